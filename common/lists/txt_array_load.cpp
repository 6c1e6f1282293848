// CTxtArray: reading text files into the list and writing it back.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/lists/txt_array.h"
#include "common/platform/platform.h"
#include "common/platform/scoped_release.h"
#include "common/text/block_reader.h"

namespace {

constexpr size_t kMaxLine = 99999;  // longer lines are cut
constexpr int kLineBuffer = 100000;  // the block reader's line buffer (with terminator)

void SetOpenError(CTxt& msg, const char* path, int error) {
  msg.Format("Cannot open %s (%s)", path ? path : "", strerror(error));
}

}  // namespace

int CTxtArray::LoadFromFile(const char* path, CTxt& msg) {
  RemoveAll();
  FILE* f = path ? Platform::Default().OpenFile(path, "rb") : nullptr;
  if (!f) {
    SetOpenError(msg, path, path ? errno : ENOENT);
    return -1;
  }
  ScopedRelease closeFile([f] { fclose(f); });
  std::string line;
  bool pending = false;  // a line has begun
  bool stored = true;    // every line found room in the list
  int c;
  while ((c = getc(f)) != EOF) {
    if (c == '\n' || c == '\r') {
      // CR LF is one line end. A CR alone ends its line as well, and the byte after it
      // belongs to the next line.
      if (c == '\r') {
        const int next = getc(f);
        if (next != '\n' && next != EOF) ungetc(next, f);
      }
      stored = Add(line.c_str()) >= 0 && stored;
      line.clear();
      pending = false;
      continue;
    }
    pending = true;
    if (line.size() < kMaxLine) line += static_cast<char>(c);
  }
  if (pending) stored = Add(line.c_str()) >= 0 && stored;
  if (!stored) {  // a file with lines missing is no file: nothing is kept
    RemoveAll();
    SetOpenError(msg, path, ENOMEM);
    return -1;
  }
  return GetSize();
}

int CTxtArray::LoadFromFileBuf(const char* path, CTxt& msg, int limit, bool loneCrEndsLine) {
  if (limit >= 0) RemoveAll();
  BlockReader& reader = BlockReader::Shared();
  const int rc = reader.OpenFile(path, msg);
  if (rc < 0) return rc;
  reader.SetLoneCrEndsLine(loneCrEndsLine);
  ScopedRelease closeReader([&reader] {
    reader.Close();
    reader.SetLoneCrEndsLine(false);
  });
  const int start = GetSize();
  std::vector<char> line(kLineBuffer);
  while (reader.ReadLine(line.data(), kLineBuffer) >= 0) {
    if (Add(line.data()) < 0) {  // a file with lines missing is no file: none of it is kept
      while (GetSize() > start) RemoveAt(GetSize() - 1);
      SetOpenError(msg, path, ENOMEM);
      return -1;
    }
    if (limit > 0 && GetSize() >= limit) break;
  }
  return GetSize();
}

int CTxtArray::LoadFromCSV(const char* path, CTxt& msg) {
  const int rc = LoadFromFileBuf(path, msg, 0);
  if (rc < 0) return rc;
  std::string out;
  for (int i = 0; i < GetSize(); ++i) {
    const char* p = GetAtTxt(i);
    if (!p) continue;
    out.clear();
    bool quoted = false;
    for (; *p; ++p) {
      if (*p == '"') {
        quoted = !quoted;
      } else if (*p == ',' && !quoted) {
        out += '\t';
      } else {
        out += *p;
      }
    }
    if (SetAt(i, out.c_str()) < 0) {  // a file with lines missing is no file
      RemoveAll();
      SetOpenError(msg, path, ENOMEM);
      return -1;
    }
  }
  return GetSize();
}

int CTxtArray::SaveToFile(const char* path, CTxt& msg, int count, int append) const {
  FILE* f = path ? Platform::Default().OpenFile(path, append == 1 ? "ab" : "wb") : nullptr;
  if (!f) {
    SetOpenError(msg, path, path ? errno : ENOENT);
    return -1;
  }
  int n = GetSize();
  if (count > 0 && count < n) n = count;
  bool failed = false;
  for (int i = 0; i < n; ++i) {
    const char* t = GetAtTxt(i);
    if (t && *t && fputs(t, f) < 0) failed = true;
    if (fputs("\r\n", f) < 0) failed = true;
  }
  if (fclose(f) != 0) failed = true;
  // A full disk must not read as saved.
  if (failed) {
    msg.Format("Cannot write %s (%s)", path, strerror(errno));
    return -2;
  }
  if (GetSize() <= 1) {
    msg.Format("Saved %d line to %s", GetSize(), path);
  } else {
    msg.Format("Saved %d lines to %s", GetSize(), path);
  }
  return 0;
}

int CTxtArray::SaveToNextFile(const char* pattern, CTxt& msg) const {
  CTxt name;
  if (name.GetNextFile(pattern ? pattern : "") < 0) {
    msg = name;  // "Missing Sequence Placeholder (%%) in: %s"
    return -10;
  }
  return SaveToFile(name, msg);
}
