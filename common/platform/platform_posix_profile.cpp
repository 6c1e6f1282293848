// POSIX backend: initialisation files with the Windows profile-string rules, and the
// registry stand-in kept in the same format in $XMT_ROOT/registry.ini.
//
// Sections and keys compare without regard to case, values are read trimmed of blanks and
// of one pair of surrounding quotes, writes keep every other line of the file as it was.
// Each call reads the file afresh under an flock, so that several threads or processes
// (the three libraries inside one host) can share a settings file.
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include "common/platform/scoped_release.h"
#include "common/platform/platform_posix.h"

namespace {

const char kBlanks[] = " \t\r\n";

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(kBlanks);
  if (b == std::string::npos) return std::string();
  size_t e = s.find_last_not_of(kBlanks);
  return s.substr(b, e - b + 1);
}

bool SameText(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

// The lines of one ini file, with the helpers that find sections and keys in them.
struct IniDoc {
  std::vector<std::string> lines;
  std::string eol = "\r\n";  // what new lines end with; a file's own style is kept

  void Parse(const std::string& text) {
    lines.clear();
    size_t lf = text.find('\n');
    if (lf != std::string::npos && (lf == 0 || text[lf - 1] != '\r')) eol = "\n";
    size_t pos = 0;
    while (pos < text.size()) {
      size_t end = text.find('\n', pos);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(pos, end - pos);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      pos = end + 1;
    }
  }

  std::string Text() const {
    std::string out;
    for (const auto& l : lines) out += l + eol;
    return out;
  }

  // Section name of a header line "[name]", or false.
  static bool Header(const std::string& line, std::string* name) {
    std::string t = Trim(line);
    if (t.empty() || t[0] != '[') return false;
    size_t close = t.find(']');
    *name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
  }

  // Key and raw value of a "key=value" line, or false (blank, comment or stray line).
  static bool KeyLine(const std::string& line, std::string* key, std::string* value) {
    std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '[') return false;
    size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    *key = Trim(t.substr(0, eq));
    if (value) *value = t.substr(eq + 1);
    return true;
  }

  int FindSection(const char* section) const {
    std::string name;
    for (size_t i = 0; i < lines.size(); ++i)
      if (Header(lines[i], &name) && SameText(name, section)) return (int)i;
    return -1;
  }

  int SectionEnd(int header) const {
    std::string name;
    for (size_t i = (size_t)header + 1; i < lines.size(); ++i)
      if (Header(lines[i], &name)) return (int)i;
    return (int)lines.size();
  }

  int FindKey(int header, const char* key) const {
    std::string k;
    for (int i = header + 1, end = SectionEnd(header); i < end; ++i)
      if (KeyLine(lines[(size_t)i], &k, nullptr) && SameText(k, key)) return i;
    return -1;
  }

  int AddSection(const char* section) {
    if (!lines.empty() && !Trim(lines.back()).empty()) lines.push_back(std::string());
    lines.push_back(std::string("[") + section + "]");
    return (int)lines.size() - 1;
  }

  void SetKey(int header, const char* key, const std::string& value) {
    int at = FindKey(header, key);
    if (at >= 0) {
      std::string k;
      KeyLine(lines[(size_t)at], &k, nullptr);
      lines[(size_t)at] = k + "=" + value;
      return;
    }
    // New keys go after the section's last non-blank line.
    int end = SectionEnd(header);
    while (end > header + 1 && Trim(lines[(size_t)end - 1]).empty()) --end;
    lines.insert(lines.begin() + end, std::string(key) + "=" + value);
  }
};

// Reads (and with write, rewrites) one ini file under an flock. edit returns true when the
// document changed. Result false when the file could not be opened or written (errno set).
bool WithIniFile(const std::string& path, bool write, const std::function<bool(IniDoc&)>& edit) {
  int fd = open(path.c_str(), write ? O_RDWR | O_CREAT | O_CLOEXEC : O_RDONLY | O_CLOEXEC, 0666);
  IniDoc doc;
  if (fd < 0) {
    if (write) return false;
    edit(doc);  // a missing file reads as an empty one
    return true;
  }
  // Released on every path: a failed allocation below must not leave the file locked, or
  // the next settings read (the trace log reads one) would wait for ever.
  ScopedRelease unlockAndClose([fd] {
    const int saved = errno;
    flock(fd, LOCK_UN);
    close(fd);
    errno = saved;
  });
  flock(fd, write ? LOCK_EX : LOCK_SH);
  std::string text;
  char buf[8192];
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) > 0) text.append(buf, (size_t)n);
  doc.Parse(text);
  bool ok = true;
  if (edit(doc) && write) {
    std::string out = doc.Text();
    ok = ftruncate(fd, 0) == 0 && pwrite(fd, out.data(), out.size(), 0) == (ssize_t)out.size();
  }
  return ok;
}

// Copies a double-zero-terminated list of names into out with the Windows truncation rule.
int CopyNameList(const std::vector<std::string>& names, char* out, int size) {
  if (size <= 0) return 0;
  if (size == 1) {
    out[0] = 0;
    return 0;
  }
  int pos = 0;
  for (const auto& name : names) {
    if (pos + (int)name.size() + 2 > size) {  // does not fit: cut and end with two zeros
      int room = size - 2 - pos;
      if (room > 0) memcpy(out + pos, name.data(), (size_t)room);
      out[size - 2] = 0;
      out[size - 1] = 0;
      return size - 2;
    }
    memcpy(out + pos, name.c_str(), name.size() + 1);
    pos += (int)name.size() + 1;
  }
  out[pos] = 0;
  return pos;
}

}  // namespace

namespace posix_detail {

// Where a profile file lives: a bare file name goes to the Windows folder, as on Windows.
std::string ProfilePath(Platform& p, const char* file) {
  std::string f = file;
  if (f.find_first_of("/\\:") == std::string::npos) {
    std::string windows = RootDir() + "/C/Windows";
    EnsureFolders(windows);
    return windows + "/" + f;
  }
  return p.NativePath(file);
}

}  // namespace posix_detail

int PlatformBackend::ReadProfileString(const char* section, const char* key, const char* def,
                                       char* out, int size, const char* file) {
  if (!out || size <= 0) return 0;
  out[0] = 0;
  if (!file) return 0;
  std::string path = posix_detail::ProfilePath(*this, file);
  std::vector<std::string> names;
  std::string value;
  bool found = false;
  WithIniFile(path, false, [&](IniDoc& doc) {
    std::string name, k;
    if (!section) {
      for (const auto& l : doc.lines)
        if (IniDoc::Header(l, &name)) names.push_back(name);
      return false;
    }
    int h = doc.FindSection(section);
    if (h < 0) return false;
    if (!key) {
      for (int i = h + 1, end = doc.SectionEnd(h); i < end; ++i)
        if (IniDoc::KeyLine(doc.lines[(size_t)i], &k, nullptr)) names.push_back(k);
      return false;
    }
    int at = doc.FindKey(h, key);
    if (at >= 0) {
      IniDoc::KeyLine(doc.lines[(size_t)at], &k, &value);
      found = true;
    }
    return false;
  });
  if (!section || !key) return CopyNameList(names, out, size);
  if (found) {
    value = Trim(value);
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
      value = value.substr(1, value.size() - 2);
  } else {
    value = def ? def : "";
    size_t e = value.find_last_not_of(' ');  // trailing blanks of the default are dropped
    value.erase(e == std::string::npos ? 0 : e + 1);
  }
  size_t n = value.size() < (size_t)size - 1 ? value.size() : (size_t)size - 1;
  memcpy(out, value.data(), n);
  out[n] = 0;
  return (int)n;
}

bool PlatformBackend::WriteProfileString(const char* section, const char* key, const char* value,
                                         const char* file) {
  if (!section || !file) {
    errno = EINVAL;
    return false;
  }
  std::string path = posix_detail::ProfilePath(*this, file);
  if (!key || !value) {  // deleting: a missing file stays missing
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return true;
  }
  return WithIniFile(path, true, [&](IniDoc& doc) {
    int h = doc.FindSection(section);
    if (!key) {  // a null key removes the whole section
      if (h < 0) return false;
      doc.lines.erase(doc.lines.begin() + h, doc.lines.begin() + doc.SectionEnd(h));
      return true;
    }
    if (!value) {
      int at = h < 0 ? -1 : doc.FindKey(h, key);
      if (at < 0) return false;
      doc.lines.erase(doc.lines.begin() + at);
      return true;
    }
    if (h < 0) h = doc.AddSection(section);
    doc.SetKey(h, key, value);
    return true;
  });
}

// --- registry ------------------------------------------------------------------------------
// A key is a section "HKLM\Software\XMT\KorvaMgr"; a value is a line of it: strings
// quoted ("value"), numbers as dword:0000000a, the default value under the name "@".

namespace {

struct RegKey {
  std::string section;
  bool writable = false;
};

std::string RegistryFile() { return posix_detail::RootDir() + "/registry.ini"; }

const char* ValueKey(const char* name) { return name && *name ? name : "@"; }

// The raw stored text of a value; 2 when the key or value is missing.
long ReadRaw(void* key, const char* valueName, std::string* raw) {
  if (!key) return 6;  // ERROR_INVALID_HANDLE
  auto* k = static_cast<RegKey*>(key);
  bool found = false;
  bool keyThere = false;
  WithIniFile(RegistryFile(), false, [&](IniDoc& doc) {
    int h = doc.FindSection(k->section.c_str());
    keyThere = h >= 0;
    int at = h < 0 ? -1 : doc.FindKey(h, ValueKey(valueName));
    std::string name;
    if (at >= 0) found = IniDoc::KeyLine(doc.lines[(size_t)at], &name, raw);
    return false;
  });
  if (!keyThere) return 1018;  // ERROR_KEY_DELETED
  return found ? 0 : 2;
}

}  // namespace

long PlatformBackend::RegOpen(RegRoot root, const char* keyPath, bool create, bool,
                              void** key) {
  if (!key) return 87;  // ERROR_INVALID_PARAMETER
  *key = nullptr;
  if (!keyPath) return 87;
  std::string section = root == RegRoot::LocalMachine ? "HKLM" : "HKCU";
  std::string path = keyPath;
  for (auto& c : path)
    if (c == '/') c = '\\';
  while (!path.empty() && path.back() == '\\') path.pop_back();
  if (!path.empty()) section += "\\" + path;
  if (create) posix_detail::EnsureFolders(posix_detail::RootDir());
  bool exists = false;
  bool ok = WithIniFile(RegistryFile(), create, [&](IniDoc& doc) {
    exists = doc.FindSection(section.c_str()) >= 0;
    if (exists || !create) return false;
    doc.AddSection(section.c_str());
    exists = true;
    return true;
  });
  if (!ok) return 5;  // ERROR_ACCESS_DENIED
  if (!exists) return 2;
  *key = new RegKey{section, create};
  return 0;
}

long PlatformBackend::RegQueryString(void* key, const char* valueName, std::string* out) {
  std::string raw;
  long rc = ReadRaw(key, valueName, &raw);
  if (rc != 0) return rc;
  if (raw.size() < 2 || raw[0] != '"' || raw.back() != '"') return 13;  // ERROR_INVALID_DATA
  if (out) *out = raw.substr(1, raw.size() - 2);
  return 0;
}

long PlatformBackend::RegQueryDword(void* key, const char* valueName, uint32_t* out) {
  std::string raw;
  long rc = ReadRaw(key, valueName, &raw);
  if (rc != 0) return rc;
  unsigned long v = 0;
  char extra = 0;
  if (sscanf(raw.c_str(), "dword:%lx%c", &v, &extra) != 1) return 13;
  if (out) *out = (uint32_t)v;
  return 0;
}

long PlatformBackend::RegSetString(void* key, const char* valueName, const char* value) {
  if (!key) return 6;
  auto* k = static_cast<RegKey*>(key);
  if (!k->writable) return 5;
  std::string stored = std::string("\"") + (value ? value : "") + "\"";
  for (auto& c : stored)  // one value is one line
    if (c == '\r' || c == '\n') c = ' ';
  bool ok = WithIniFile(RegistryFile(), true, [&](IniDoc& doc) {
    int h = doc.FindSection(k->section.c_str());
    if (h < 0) h = doc.AddSection(k->section.c_str());
    doc.SetKey(h, ValueKey(valueName), stored);
    return true;
  });
  return ok ? 0 : 5;
}

void PlatformBackend::RegClose(void* key) { delete static_cast<RegKey*>(key); }
