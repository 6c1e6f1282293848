// CTxt whole-file load and save, the binary record form and the hex dump of a file.
//
// Files are opened through the platform layer and closed before returning; a failure
// leaves its message in the text ("Cannot open '%s' (%s)" with the runtime's error text).
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/platform/platform.h"
#include "common/text/txt.h"

namespace {

// The binary record's count: 32 bits, little-endian whatever the machine.
void PutCount(unsigned char* out, uint32_t n) {
  for (int i = 0; i < 4; i++) out[i] = static_cast<unsigned char>(n >> (8 * i));
}

uint32_t GetCount(const unsigned char* in) {
  return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
         static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
}

}  // namespace

int CTxt::LoadFromFile(const char* path) {
  if (!path || !*path) {
    SetTxt("Missing filename");
    return -1;
  }
  FILE* f = Platform::Default().OpenFile(path, "rb");
  if (!f) {
    int code = errno;
    Format("Cannot open '%s' (%s)", path, strerror(code));
    return -1;
  }
  long size = -1;
  if (fseek(f, 0, SEEK_END) == 0) size = ftell(f);
  if (size < 0 || size > INT_MAX - 2 || fseek(f, 0, SEEK_SET) != 0) {
    int code = errno;
    fclose(f);
    Format("Cannot open '%s' (%s)", path, strerror(code ? code : EFBIG));
    return -1;
  }
  Empty();
  if (!Reserve(static_cast<int>(size) + 2)) {
    fclose(f);
    return -1;
  }
  size_t got = fread(data_, 1, static_cast<size_t>(size), f);
  fclose(f);
  SetLen(static_cast<int>(got));
  return length_;
}

int CTxt::WriteFile(const char* path, const char* mode, bool commit) {
  if (!path || !*path) {
    SetTxt("Missing filename");
    return -1;
  }
  Platform& platform = Platform::Default();
  FILE* f = platform.OpenFile(path, mode);
  if (!f) {
    int code = errno;
    Format("Cannot open '%s' (%s)", path, strerror(code));
    return -1;
  }
  size_t n = static_cast<size_t>(length_ > 0 ? length_ : 0);
  bool ok = n == 0 || fwrite(data_, 1, n, f) == n;
  if (ok && commit) platform.CommitFile(f);
  int code = errno;
  if (fclose(f) != 0) ok = false;
  if (!ok) {
    // A full disk must not look like a saved file.
    Format("Cannot write '%s' (%s)", path, strerror(code ? code : EIO));
    return -2;
  }
  return length_;
}

int CTxt::SaveToFile(const char* path, int append) {
  return WriteFile(path, append == 1 ? "ab" : "wb", false);
}

int CTxt::SaveToFileCommit(const char* path, int append) {
  return WriteFile(path, append == 1 ? "abc" : "wbc", true);
}

int CTxt::BinarySave(FILE* stream) {
  if (!stream) return -1;
  uint32_t count = static_cast<uint32_t>(length_) + 1;
  unsigned char head[4];
  PutCount(head, count);
  if (fwrite(head, 1, 4, stream) != 4) return -1;
  const char* text = data_ ? data_ : "";
  if (fwrite(text, 1, count, stream) != count) return -2;
  return static_cast<int>(count) + 4;
}

int CTxt::BinaryRead(FILE* stream) {
  unsigned char head[4];
  if (!stream || fread(head, 1, 4, stream) != 4) return -1;
  uint32_t count = GetCount(head);
  if (count < 1 || count > static_cast<uint32_t>(INT_MAX - 2)) return -1;
  CTxt read;
  if (!read.Reserve(static_cast<int>(count) + 1)) return -1;
  if (fread(read.data_, 1, count, stream) != count) return -1;
  read.SetLen(static_cast<int>(count) - 1);
  *this = static_cast<CTxt&&>(read);
  return 0;
}

int CTxt::BinaryRead(const void* memory, int available) {
  if (!memory || available < 4) return -1;
  const unsigned char* in = static_cast<const unsigned char*>(memory);
  uint32_t count = GetCount(in);
  if (count < 1 || count > static_cast<uint32_t>(available - 4)) return -1;
  if (SetBytes(reinterpret_cast<const char*>(in + 4), static_cast<int>(count) - 1) < 0) return -1;
  return static_cast<int>(count) + 4;
}

// ---------------------------------------------------------------------------------------
// Hex dump

namespace {

char Shown(int byte) { return (byte >= 32 && byte <= 126) ? static_cast<char>(byte) : '?'; }

}  // namespace

int CTxt::PrintFile(const char* path, int width, int withOffset) {
  if (width != 2 && width != 4) width = 1;
  Platform& platform = Platform::Default();
  PlatformFileInfo info;
  const char* source = path ? path : "";
  int64_t size = platform.FileStat(source, &info) == 0 ? info.size : -1;
  if (size <= 0 || size > INT_MAX) {
    Format("Empty or missing file %s (%d)", source, static_cast<int>(size > INT_MAX ? -1 : size));
    return -1;
  }
  FILE* f = platform.OpenFile(source, "rb");
  if (!f) {
    int code = errno;
    Format("Cannot open file %s (%s)", source, strerror(code));
    return -2;
  }
  std::string bytes(static_cast<size_t>(size), '\0');
  size_t got = fread(bytes.data(), 1, bytes.size(), f);
  fclose(f);
  if (got != bytes.size()) {
    Format("Read error in workspace file %s", source);
    return -3;
  }

  CTxt line;
  line.Format("FILE:\t%s\r\n", source);
  std::string dump(line.GetData(), static_cast<size_t>(line.GetLength()));
  line.Format("\r\nLENGTH=%d:\r\n", width);
  dump.append(line.GetData(), static_cast<size_t>(line.GetLength()));

  CTxt hex, offset;
  int total = static_cast<int>(size);
  for (int pos = 0; pos < total; pos += width) {
    if (pos % 1000 == 0) {
      line.Format("POS%d:\r\n", pos);
      dump.append(line.GetData(), static_cast<size_t>(line.GetLength()));
    }
    // A short last group reads its missing bytes as zero and shows them as blanks.
    int b[4] = {0, 0, 0, 0};
    char c[4] = {' ', ' ', ' ', ' '};
    for (int k = 0; k < width && pos + k < total; k++) {
      b[k] = static_cast<unsigned char>(bytes[static_cast<size_t>(pos + k)]);
      c[k] = Shown(b[k]);
    }
    uint32_t value = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                     static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
    hex.MakeHexValue(value, width * 2);
    if (withOffset == 1) {
      offset.Format("[%9d]: ", pos);
    } else {
      offset.MakeEmpty();
    }
    if (width == 1) {
      line.Format("%s%s - %3d - %c%c\r\n", (const char*)offset, (const char*)hex,
                  static_cast<int>(value), c[0], ' ');
    } else if (width == 2) {
      line.Format("%s%s - %6d - %c%c\r\n", (const char*)offset, (const char*)hex,
                  static_cast<int>(value), c[0], c[1]);
    } else {
      line.Format("%s%s - %12d - %c%c%c%c\r\n", (const char*)offset, (const char*)hex,
                  static_cast<int>(value), c[0], c[1], c[2], c[3]);
    }
    dump.append(line.GetData(), static_cast<size_t>(line.GetLength()));
  }

  CTxt target(source);
  target.MakeFileExt("txt");
  line.Format("%d", width);
  target.AddToFn(line, 1);
  FILE* out = platform.OpenFile(target, "wb");
  bool ok = out && fwrite(dump.data(), 1, dump.size(), out) == dump.size();
  int code = errno;
  if (out && fclose(out) != 0) ok = false;
  if (!ok) {
    Format("Cannot open file %s (%s)", (const char*)target, strerror(code ? code : EIO));
    return -4;
  }
  SetTxt(target);
  return 0;
}
