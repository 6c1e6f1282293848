// The file-name rules of the export and loading functions (see file_names.h).
#include "signals/file_names.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

bool IsDeviceName(const char* part) {
  // The device is opened whatever extension follows, and blanks before it do not count.
  const size_t length = std::strcspn(part, "/\\");
  std::string stem(part, std::min(length, std::strcspn(part, ".")));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (char& c : stem) c = (char)std::toupper((unsigned char)c);
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
  return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
         stem[3] >= '0' && stem[3] <= '9';
}

bool IsPlainFileName(const char* name) {
  if (!name) return false;
  if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return false;
  for (const char* p = name; *p; ++p) {
    unsigned char c = (unsigned char)*p;
    if (c < 32 || std::strchr("<>:\"/\\|?*", c)) return false;
  }
  return !IsDeviceName(name);
}

bool StaysInsideFolder(const char* name) {
  if (!name || name[0] == '/' || name[0] == '\\' || std::strchr(name, ':')) return false;
  const char* part = name;
  for (;;) {
    size_t n = std::strcspn(part, "/\\");
    if (n == 2 && part[0] == '.' && part[1] == '.') return false;
    if (IsDeviceName(part)) return false;
    if (!part[n]) return true;
    part += n + 1;
  }
}
