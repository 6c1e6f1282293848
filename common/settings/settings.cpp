// The deliverable's folder and settings file, and the settings calls on top of the platform's
// profile strings (see settings.h).
#include "common/settings/settings.h"

#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "common/settings/deliverable.h"
#include "common/settings/fixed_path.h"
#include "common/platform/platform.h"
#include "common/text/text_helpers.h"
#include "common/text/txt.h"

namespace {

// Computed on first use and kept for the process. Never destroyed, like the trace log's
// state: the libraries' own global objects may still log (and so read settings) while
// they are torn down.
// Built in static room with its paths in fixed room: nothing of it is on the heap.
struct SettingsPaths {
  FixedPath baseDir;
  FixedPath iniFile;
  bool baseDirKnown = false;
  bool iniFileKnown = false;
};
SettingsPaths& Paths() {
  alignas(SettingsPaths) static unsigned char room[sizeof(SettingsPaths)];
  static SettingsPaths* paths = new (room) SettingsPaths();
  return *paths;
}

bool EqualNoCase(const char* a, const char* b) { return CompareNoCase(a, b, 1) == 0; }

bool EndsWithNoCase(const std::string& s, const char* tail) {
  size_t n = std::strlen(tail);
  return s.size() >= n && EqualNoCase(s.c_str() + s.size() - n, tail);
}

bool IsSlash(char c) { return c == '/' || c == '\\'; }

// The main program's file name without folder.
std::string FileNameOf(const std::string& path) {
  size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

std::string BaseDirFromProgramPath(const std::string& programPath, bool lowerCase) {
  size_t cut = programPath.find_last_of("/\\");
  std::string dir = cut == std::string::npos ? std::string() : programPath.substr(0, cut + 1);
  if (lowerCase) {
    for (char& c : dir) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  // A program run from its build folder keeps its settings one level up, beside the sources.
  for (const char* build : {"Debug", "Release"}) {
    size_t n = std::strlen(build);
    if (dir.size() >= n + 2 && IsSlash(dir.back()) && IsSlash(dir[dir.size() - n - 2]) &&
        EqualNoCase(dir.substr(dir.size() - n - 1, n).c_str(), build)) {
      dir.resize(dir.size() - n - 1);
      break;
    }
  }
  if (!dir.empty() && IsSlash(dir.back())) dir.pop_back();
  for (char& c : dir) {
    if (c == '\\') c = '/';
  }
  return dir;
}

std::string IniFileFromProgramPath(const std::string& baseDir, const std::string& programPath) {
  std::string name = FileNameOf(programPath);
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.resize(dot);
  for (const char* build : {"Debug", "Release"}) {
    if (EndsWithNoCase(name, build)) {
      name.erase(name.end() - static_cast<std::ptrdiff_t>(std::strlen(build)), name.end());
      break;
    }
  }
  std::string file = baseDir + "/" + name + ".ini";
  for (char& c : file) {
    if (c == '\\') c = '/';
  }
  return file;
}

std::string ProgramFileTitle() {
  std::string name = FileNameOf(Platform::Default().MainProgramPath());
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

int GetBaseDir(CTxt& out) {
  SettingsPaths& paths = Paths();
  if (!paths.baseDirKnown) {
    Platform& p = Platform::Default();
    // Only a system whose file names ignore case may have its folder lower-cased.
    bool lower = !IsProgramVariant() && p.PathsIgnoreCase();
    paths.baseDir.assign(BaseDirFromProgramPath(p.MainProgramPath(), lower));
    paths.baseDirKnown = true;
  }
  out.SetTxt(paths.baseDir.c_str());
  return static_cast<int>(paths.baseDir.size());
}

int GetIniFileName(CTxt& out) {
  SettingsPaths& paths = Paths();
  if (!paths.iniFileKnown) {
    CTxt base;
    GetBaseDir(base);
    paths.iniFile.assign(IniFileFromProgramPath(static_cast<const char*>(base),
                                                Platform::Default().MainProgramPath()));
    paths.iniFileKnown = true;
  }
  out.SetTxt(paths.iniFile.c_str());
  return static_cast<int>(paths.iniFile.size());
}

namespace {
// The file to use: the caller's, or the deliverable's settings file.
const char* SettingsFile(const char* file, CTxt& holder) {
  if (file) return file;
  GetIniFileName(holder);
  return static_cast<const char*>(holder);
}
}  // namespace

int ReadIniString(const char* section, const char* key, const char* def, char* out, int size,
                  const char* file) {
  if (!out || size <= 0) return 0;
  CTxt holder;
  return Platform::Default().ReadProfileString(section, key, def ? def : "", out, size,
                                               SettingsFile(file, holder));
}

int WriteIniString(const char* section, const char* key, const char* value, const char* file) {
  CTxt holder;
  return Platform::Default().WriteProfileString(section, key, value, SettingsFile(file, holder))
             ? 1
             : 0;
}

int ReadIniBool(const char* section, const char* key, int def, const char* file) {
  // Without a section and key the profile calls list names instead, and the write-back of a
  // null key would delete the whole section.
  if (!section || !key) return def ? 1 : 0;
  CTxt holder;
  const char* path = SettingsFile(file, holder);
  char text[256];
  bool missing = ReadIniString(section, key, "", text, sizeof text, path) == 0;
  ReadIniString(section, key, def ? "YES" : "NO", text, sizeof text, path);
  int value = EqualNoCase(text, "YES") || (IsProgramVariant() && EqualNoCase(text, "TRUE"));
  const char* normal = value ? "YES" : "NO";
  if (missing || !EqualNoCase(text, normal)) WriteIniString(section, key, normal, path);
  return value;
}

int ReadIniInt(const char* section, const char* key, int def, const char* file) {
  if (!section || !key) return def;  // see ReadIniBool
  CTxt holder;
  const char* path = SettingsFile(file, holder);
  char text[256];
  bool missing = ReadIniString(section, key, "", text, sizeof text, path) == 0;
  int value = missing ? def : TextToIntSaturated(text);
  char normal[32];
  std::snprintf(normal, sizeof normal, "%d", value);
  if (missing || std::strcmp(text, normal) != 0) WriteIniString(section, key, normal, path);
  return value;
}

int WriteIniInt(const char* section, const char* key, int value, const char* file) {
  char text[32];
  std::snprintf(text, sizeof text, "%d", value);
  return WriteIniString(section, key, text, file);
}

void SettingsResetForTest(const char* iniFile) {
  SettingsPaths& paths = Paths();
  paths.baseDirKnown = false;
  paths.baseDir.clear();
  paths.iniFileKnown = iniFile != nullptr;
  paths.iniFile.assign(iniFile ? iniFile : "");
}
