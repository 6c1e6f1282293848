// CTxt and files: the parts of a path, file-name arithmetic, numbered files, whole-file
// load and save, the binary record form and the hex dump.
//
// All file access goes through the platform layer, so host paths ("C:/Database/...") work
// on both builds. Failures leave their message in the text itself.
#include <cstdint>
#include <cstring>
#include <string>

#include "common/platform/platform.h"
#include "common/text/text_helpers.h"
#include "common/text/txt.h"

namespace {

// A path cut the way _splitpath cuts it: drive "C:", folder with its trailing slash, name,
// extension with its point.
struct PathParts {
  std::string drive, dir, name, ext;
};

PathParts SplitPath(const char* path) {
  PathParts parts;
  std::string p = path ? path : "";
  size_t pos = 0;
  if (p.size() >= 2 && p[1] == ':') {
    parts.drive = p.substr(0, 2);
    pos = 2;
  }
  size_t slash = p.find_last_of("/\\");
  if (slash != std::string::npos && slash >= pos) {
    parts.dir = p.substr(pos, slash + 1 - pos);
    pos = slash + 1;
  }
  std::string file = p.substr(pos);
  size_t dot = file.find_last_of('.');
  if (dot == std::string::npos) {
    parts.name = file;
  } else {
    parts.name = file.substr(0, dot);
    parts.ext = file.substr(dot);
  }
  return parts;
}

std::string PathPart(const PathParts& parts, int part) {
  switch (part) {
    case 0: return parts.drive;
    case 1: return parts.dir;
    case 2: return parts.name;
    case 3: return parts.ext.empty() ? std::string() : parts.ext.substr(1);
    case 4: return parts.drive + parts.dir;
    case 5: return parts.name + parts.ext;
    case 6: return parts.drive + parts.dir + parts.name;
    case 7: return parts.drive + parts.dir + parts.name + parts.ext;
    default: return std::string();
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// File names

int CTxt::GetFileTxt(int part, CTxt& out) const {
  std::string text = PathPart(SplitPath(data_), part);
  out.SetTxt(text.c_str());
  return out.GetLength();
}

int CTxt::IsSameFileTxt(const char* path, int part) const {
  CTxt mine(data_ ? data_ : "");
  CTxt theirs(path ? path : "");
  if (part == 7) {
    mine.MakeFn();
    theirs.MakeFn();
  }
  CTxt a, b;
  mine.GetFileTxt(part, a);
  theirs.GetFileTxt(part, b);
  return CompareNoCase(a, b, 1) == 0 ? 1 : 0;
}

int CTxt::MakeFn() {
  if (length_ <= 0) return length_;
  int out = 0;
  for (int i = 0; i < length_; i++) {
    char c = data_[i];
    if (c == '\\' && i + 1 < length_ && data_[i + 1] == '\\') {
      data_[out++] = data_[i++];  // a doubled backslash (network path) stays
      data_[out++] = data_[i];
    } else {
      data_[out++] = c == '\\' ? '/' : c;
    }
  }
  while (out > 0 && data_[out - 1] == '/') out--;
  SetLen(out);
  return out;
}

int CTxt::MakeFnDOS() {
  if (length_ <= 0) return length_;
  Replace('/', '\\');
  int out = length_;
  while (out > 0 && data_[out - 1] == '\\') out--;
  SetLen(out);
  return out;
}

int CTxt::MakeFileExt(const char* ext) {
  if (ext && *ext == '.') ext++;
  PathParts parts = SplitPath(data_);
  std::string current = PathPart(parts, 3);
  if (CompareNoCase(current.c_str(), ext ? ext : "", 1) == 0) return 1;
  std::string path = PathPart(parts, 6);
  if (ext && *ext) path += std::string(".") + ext;
  SetTxt(path.c_str());
  return 0;
}

int CTxt::MakeFileName(const char* name, const char* ext) {
  PathParts parts = SplitPath(data_);
  std::string folder = PathPart(parts, 4);
  std::string extension = ext ? std::string(ext) : PathPart(parts, 3);
  std::string path = folder;
  // A bare file name stays in the current folder instead of moving to the root.
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') path += '/';
  path += name ? name : "";
  if (!extension.empty()) path += "." + extension;
  SetTxt(path.c_str());
  MakeFn();
  return 0;
}

int CTxt::InsertToFn(const char* p, int dash) {
  PathParts parts = SplitPath(data_);
  std::string path = parts.drive + parts.dir + (p ? p : "") + (dash ? "-" : "") + parts.name +
                     parts.ext;
  return SetTxt(path.c_str());
}

int CTxt::AddToFn(const char* p, int dash) {
  PathParts parts = SplitPath(data_);
  std::string path = parts.drive + parts.dir + parts.name + (dash ? "-" : "") + (p ? p : "") +
                     parts.ext;
  return SetTxt(path.c_str());
}

int CTxt::AppendFileLocation(const char* file, int line, const char* fmt) {
  CTxt where;
  if (fmt) {
    // Callers pass their own layout with the same two arguments.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    where.Format(fmt, file ? file : "", line);
#pragma GCC diagnostic pop
  } else {
    where.Format("\r\n(File=%s, Line=%d)", file ? file : "", line);
  }
  return AddTxt(where);
}

int CTxt::GetExeName(CTxt& out, int part) {
  CTxt path(Platform::Default().MainProgramPath().c_str());
  path.Replace('\\', '/');
  path.ReplaceInText("/Release/", "/");
  return path.GetFileTxt(part, out);
}

int CTxt::GetNextFile(const char* pattern) {
  const char* run = pattern ? strstr(pattern, "%%") : nullptr;
  if (!run) {
    Format("Missing Sequence Placeholder (%%) in: %s", pattern ? pattern : "");
    return -1;
  }
  int width = 0;
  while (run[width] == '%') width++;
  // Both halves are copied: the pattern may be this text itself, which each try rewrites.
  std::string prefix(pattern, static_cast<size_t>(run - pattern));
  std::string suffix(run + width);
  Platform& platform = Platform::Default();
  for (int number = 1;; number++) {
    Format("%s%0*d%s", prefix.c_str(), width, number, suffix.c_str());
    if (platform.FileAccess(data_, 0) != 0 || number == INT32_MAX) return number;
  }
}

int CTxt::GetField(const char* src, char separator, int trim) {
  if (!src) src = "";
  const char* stop = separator ? strchr(src, separator) : nullptr;
  int n = stop ? static_cast<int>(stop - src) : static_cast<int>(strlen(src));
  SetBytes(src, n);
  if (trim == 1) TrimRight(' ');
  return length_;
}
