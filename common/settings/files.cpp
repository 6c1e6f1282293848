// File and folder helpers (see files.h), written once on top of the platform layer.
#include "common/settings/files.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "common/platform/platform.h"
#include "common/text/text_helpers.h"
#include "common/text/txt.h"

int NormalizeSlashes(char* path) {
  if (!path) return -1;
  int n = 0;
  for (char* p = path; *p; ++p, ++n) {
    if (*p != '\\') continue;
    if (p[1] == '\\') {
      ++p;  // a doubled backslash stays as it is
      ++n;
    } else {
      *p = '/';
    }
  }
  while (n > 0 && path[n - 1] == '/') path[--n] = 0;
  return n;
}

int NormalizeSlashes(CTxt& path) {
  std::string s = static_cast<const char*>(path);
  int n = NormalizeSlashes(s.data());
  path.SetTxt(s.c_str());
  return n;
}

int MakeDirPath(const char* path, int parentsOnly) {
  if (!path || !*path) return -1;
  Platform& platform = Platform::Default();
  std::string soFar;
  int last = 0;  // result of the last creation: 0 created, 1 existed, -1 failed
  for (const char* p = path; *p; ++p) {
    bool doubled = p[0] == '\\' && p[1] == '\\';
    if (doubled) {
      soFar += "\\\\";
      ++p;
      continue;
    }
    if ((*p == '/' || *p == '\\') && !soFar.empty()) last = platform.MakeDir(soFar.c_str());
    soFar += *p;
  }
  if (!parentsOnly) last = platform.MakeDir(path);
  return last < 0 ? -1 : 0;
}

int IsDirectory(const char* path) {
  if (!path || !*path) return -1;
  PlatformFileInfo info;
  if (Platform::Default().FileStat(path, &info) != 0) return -2;
  return info.isDirectory ? 1 : 0;
}

int IsRegularFile(const char* path, int mode) {
  if (!path || !*path) return 0;
  Platform& platform = Platform::Default();
  if (platform.FileAccess(path, mode) != 0) return 0;
  PlatformFileInfo info;
  if (platform.FileStat(path, &info) != 0) return 0;
  return info.isDirectory ? 0 : 1;
}

long long FileSizeOf(const char* path) {
  if (!path || !*path) return -2;
  PlatformFileInfo info;
  if (Platform::Default().FileStat(path, &info) != 0) return -1;
  return info.size;
}

bool IsNullDevicePath(const char* path) {
  if (!path) return false;
  const char* name = path;
  for (const char* p = path; *p; ++p) {
    if (*p == '/' || *p == '\\') name = p + 1;
  }
  return CompareNoCase(name, "NUL", 1) == 0;
}

long long FileModTime(const char* path) {
  if (!path || !*path) return -1;
  // The null device has no time; the runtime reports it as 0.
  if (IsNullDevicePath(path)) return 0;
  PlatformFileInfo info;
  if (Platform::Default().FileStat(path, &info) != 0 || info.lastWriteMs < 0) return -1;
  return info.lastWriteMs / 1000;
}

namespace {

// True when the two names are the same path as written. "/" and "\" count as one, so that a
// copy onto itself never deletes its own source; case counts only where the system counts it.
bool SameName(const char* a, const char* b, bool ignoreCase) {
  if (std::strlen(a) != std::strlen(b)) return false;
  for (; *a; ++a, ++b) {
    char x = *a == '\\' ? '/' : *a;
    char y = *b == '\\' ? '/' : *b;
    if (ignoreCase) {
      x = static_cast<char>(std::tolower(static_cast<unsigned char>(x)));
      y = static_cast<char>(std::tolower(static_cast<unsigned char>(y)));
    }
    if (x != y) return false;
  }
  return true;
}

}  // namespace

int CopyFileData(const char* source, const char* target) {
  if (!source || !target) return -1;
  Platform& platform = Platform::Default();
  if (SameName(source, target, platform.PathsIgnoreCase())) return 0;
  if (platform.FileAccess(source, 0) != 0) return -1;
  if (platform.FileAccess(target, 0) == 0 && platform.RemoveFile(target) != 0) return -2;

  // A large block when memory allows, smaller ones when it does not.
  size_t size = 60010;
  char* buffer = nullptr;
  while (!buffer) {
    buffer = new (std::nothrow) char[size];
    if (buffer || size <= 1000) break;
    size = size - 1000 < 1000 ? 1000 : size - 1000;
  }
  if (!buffer) return -3;

  int result = 0;
  FILE* in = platform.OpenFile(source, "rb");
  FILE* out = in ? platform.OpenFile(target, "wb") : nullptr;
  if (!in) {
    result = -4;
  } else if (!out) {
    result = -5;
  } else {
    size_t got;
    while ((got = std::fread(buffer, 1, size, in)) > 0) {
      if (std::fwrite(buffer, 1, got, out) != got) {
        result = -6;
        break;
      }
    }
    // A source that stops yielding data through an error (a folder opened as a file, a
    // failing disk) is not copied, whatever reached the target.
    if (result == 0 && std::ferror(in)) result = -4;
  }
  if (out && std::fclose(out) != 0 && result == 0) result = -6;
  if (in) std::fclose(in);
  delete[] buffer;
  if (result == 0 && platform.FileAccess(target, 0) != 0) result = -7;
  return result;
}
