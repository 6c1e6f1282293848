// Starting programs, editors and the browser (see processes.h), on top of the platform layer.
#include "common/settings/processes.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/settings/deliverable.h"
#include "common/platform/platform.h"
#include "common/settings/settings.h"
#include "common/text/text_helpers.h"
#include "common/settings/trace_log.h"

namespace {

// True when s begins with prefix, case ignored.
bool StartsWithNoCase(const char* s, const char* prefix) { return CompareNoCase(prefix, s, 2) == 0; }

void Replace(std::string& s, char a, char b) {
  for (char& c : s) {
    if (c == a) c = b;
  }
}

// A string value of a local-machine key (64-bit view); empty when it cannot be read.
std::string MachineString(const char* keyPath, const char* name) {
  Platform& p = Platform::Default();
  void* key = nullptr;
  std::string value;
  if (p.RegOpen(RegRoot::LocalMachine, keyPath, false, false, &key) != 0) return value;
  if (p.RegQueryString(key, name, &value) != 0) value.clear();
  p.RegClose(key);
  return value;
}

void ShowLaunchError(unsigned long code, const char* what) {
  Platform& p = Platform::Default();
  char text[2400];
  std::snprintf(text, sizeof text, "File Launch Error (%lu) in:\r\n%.1000s\r\n%.1000s", code, what,
                p.ErrorText(code).c_str());
  p.MessageBox(text, "LaunchFile", kMbIconError);
}

}  // namespace

int GetWindowsVersion() {
  Platform& p = Platform::Default();
  int major = 0;
  int minor = 0;
  const char* os = std::getenv("OS");
  if (os && StartsWithNoCase(os, "WINDOWS_NT")) {
    const char* nt = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    void* key = nullptr;
    uint32_t hi = 0;
    uint32_t lo = 0;
    if (p.RegOpen(RegRoot::LocalMachine, nt, false, false, &key) == 0) {
      if (p.RegQueryDword(key, "CurrentMajorVersionNumber", &hi) == 0 &&
          p.RegQueryDword(key, "CurrentMinorVersionNumber", &lo) == 0) {
        major = static_cast<int>(hi);
        minor = static_cast<int>(lo);
      }
      p.RegClose(key);
    }
    if (major == 0) std::sscanf(MachineString(nt, "CurrentVersion").c_str(), "%d.%d", &major, &minor);
    return major * 100 + minor;
  }
  // The 9x family keeps its version as "4.10.2222"; a system without it is not Windows at
  // all (the POSIX stand-in) and is reported as 0, which callers treat like the NT family.
  std::string v = MachineString("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "VersionNumber");
  if (std::sscanf(v.c_str(), "%d.%d", &major, &minor) != 2) return 0;
  return major == 4 && minor == 10 ? 9800 : 9500 + minor;
}

int LaunchFile(const char* command, int showErrors) {
  if (!command) return -1;
  Platform& p = Platform::Default();
  std::string cmd = command;
  if (!cmd.empty() && cmd[0] == '^') {
    // Edit a file: the editor of the settings file, the file in quotes.
    std::string file = cmd.substr(1);
    // Windows editors want backslashes; a POSIX path must keep its slashes.
    if (p.PathsIgnoreCase()) Replace(file, '/', '\\');
    char editor[1024];
    ReadIniString("SYS", "EDITOR", "NOTEPAD", editor, sizeof editor);
    WriteIniString("SYS", "EDITOR", editor);
    cmd = std::string("!") + editor + " \"" + file + "\"";
  }
  const char* rest = cmd.c_str();
  PlatformStart opts;
  if (*rest == '<') {
    opts.wait = true;
    ++rest;
  }
  if (*rest == '#') {
    opts.useShowWindow = true;
    opts.fullScreen = true;
    opts.shareConsole = true;
    ++rest;
  }
  if (*rest == '~') {
    opts.show = 2;
    ++rest;
  }
  if (*rest == '@') {
    opts.useShowWindow = true;
    opts.shareConsole = true;
    ++rest;
  }
  std::string line;
  if (*rest == '!') {
    line = rest + 1;
  } else {
    if (GetWindowsVersion() > 8999) return OpenInBrowser(rest, opts.wait ? 1 : 0);
    if (p.FileAccess(rest, 0) != 0) {
      ShowLaunchError(p.LastError(), rest);
      return -1;
    }
    line = std::string("cmd /C \"") + rest + "\"";
  }
  unsigned long exitCode = 0;
  long err = p.StartProcess(line.c_str(), opts, &exitCode);
  if (err != 0) {
    if (showErrors == 1) ShowLaunchError(static_cast<unsigned long>(err), line.c_str());
    return static_cast<int>(-err);
  }
  return opts.wait ? static_cast<int>(exitCode) : 1;
}

void BrowserCommandFromRegistry(const char* registryCommand, char* out, int size) {
  if (!out || size <= 0) return;
  std::string result;
  const char* s = registryCommand ? registryCommand : "";
  while (*s) {
    while (*s == ' ') ++s;
    const char* end = s;
    while (*end && *end != ' ') ++end;
    std::string field(s, end);
    s = end;
    if (field.empty()) continue;
    // Leave out the placeholder for the address and any address the command carries.
    if (StartsWithNoCase(field.c_str(), "\"%") || field[0] == '%') continue;
    bool httpStart = field.size() <= 5 ? StartsWithNoCase("http:", field.c_str())
                                       : StartsWithNoCase(field.c_str(), "http:");
    if (httpStart) continue;
    Replace(field, '\\', '/');
    result += field;
    result += ' ';
  }
  std::snprintf(out, static_cast<size_t>(size), "%s", result.c_str());
}

int OpenInBrowser(const char* target, int wait) {
  Platform& p = Platform::Default();
  char browser[2048];
  ReadIniString("INTERNET", "Browser", "", browser, sizeof browser);

  // The registered http command replaces the setting on every use; the 64-bit libraries ask
  // for the 32-bit view, where the browsers register themselves.
  void* key = nullptr;
  bool wow64_32 = !IsProgramVariant();
  if (p.RegOpen(RegRoot::LocalMachine, "Software\\Classes\\http\\shell\\open\\command", false,
                wow64_32, &key) == 0) {
    std::string value;
    if (p.RegQueryString(key, "", &value) != 0) value.clear();
    p.RegClose(key);
    char built[2048];
    BrowserCommandFromRegistry(value.c_str(), built, sizeof built);
    WriteIniString("INTERNET", "Browser", built);
    ReadIniString("INTERNET", "Browser", "", browser, sizeof browser);
  }

  std::string line = std::string(browser) + " \"" + (target ? target : "") + "\"";
  Replace(line, '\\', '/');
  std::string logged = "HELP: Cmd=" + line + "<";
  LogWrite("Test", logged.data(), 0);

  PlatformStart opts;
  opts.wait = wait == 1;
  unsigned long exitCode = 0;
  long err = p.StartProcess(line.c_str(), opts, &exitCode);
  if (err != 0) {
    char text[2200];
    std::snprintf(text, sizeof text, "Cannot start '%.2000s' (%ld)\r\n", browser, err);
    p.MessageBox(text, "View Error", kMbIconError);
    return -1;
  }
  return 0;
}
