// BlockReader: lines out of a file read in large blocks, or out of bytes in memory.
#include "common/text/block_reader.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "common/platform/platform.h"
#include "common/text/txt.h"

namespace {
constexpr size_t kDefaultBlock = 300000;
constexpr size_t kSmallestBlock = 1010;
constexpr int kCtrlZ = 26;
}  // namespace

BlockReader::~BlockReader() { Close(); }

BlockReader& BlockReader::Shared() {
  static BlockReader reader;
  return reader;
}

size_t BlockReader::BlockSize() {
  const char* env = getenv("BGETLRAM");
  if (!env || !*env) return kDefaultBlock;
  const long long n = atoll(env);
  if (n <= 0) return kDefaultBlock;
  return n < static_cast<long long>(kSmallestBlock) ? kSmallestBlock : static_cast<size_t>(n);
}

int BlockReader::OpenFile(const char* path, CTxt& msg) {
  Close();
  file_ = path ? Platform::Default().OpenFile(path, "rb") : nullptr;
  if (!file_) {
    msg.Format("Cannot open %s (%s)", path ? path : "", strerror(path ? errno : ENOENT));
    return -1;
  }
  capacity_ = BlockSize();
  buffer_ = static_cast<char*>(malloc(capacity_));
  if (!buffer_) {
    // Not that much memory: a block of the file's size may still fit.
    long fileSize = -1;
    if (fseek(file_, 0, SEEK_END) == 0) fileSize = ftell(file_);
    fseek(file_, 0, SEEK_SET);
    capacity_ = fileSize > 0 ? static_cast<size_t>(fileSize) : 1;
    buffer_ = static_cast<char*>(malloc(capacity_));
  }
  if (!buffer_) {
    msg.Format("Cannot open %s (%s)", path, strerror(ENOMEM));
    Close();
    return -2;
  }
  data_ = buffer_;
  size_ = pos_ = 0;
  ended_ = false;
  return 0;
}

int BlockReader::OpenMemory(const char* data, size_t size) {
  Close();
  data_ = data ? data : "";
  size_ = data ? size : 0;
  pos_ = 0;
  ended_ = false;
  return 0;
}

void BlockReader::Close() {
  if (file_) fclose(file_);
  free(buffer_);
  file_ = nullptr;
  buffer_ = nullptr;
  capacity_ = 0;
  data_ = nullptr;
  size_ = pos_ = 0;
  ended_ = true;
}

bool BlockReader::Refill() {
  if (!file_ || !buffer_) return false;
  size_ = fread(buffer_, 1, capacity_, file_);
  pos_ = 0;
  return size_ > 0;
}

int BlockReader::NextByte() {
  if (pos_ >= size_ && !Refill()) return -1;
  return static_cast<unsigned char>(data_[pos_++]);
}

int BlockReader::ReadLine(char* buf, int size) {
  if (buf && size > 0) buf[0] = 0;
  if (ended_) return -1;
  int length = 0;
  bool consumed = false;  // any byte of this line read (a lone CR counts)
  for (;;) {
    int c = NextByte();
    if (c < 0) {
      ended_ = true;
      return consumed ? length : -1;
    }
    if (c == kCtrlZ) {
      if (ctrlZBlank_) {
        c = ' ';
      } else if (!consumed) {
        ended_ = true;  // end-of-data mark of old text files
        return -1;
      } else {
        return length;
      }
    }
    consumed = true;
    if (c == '\n' || c == 0) return length;
    if (c == '\r') {
      if (!loneCrEndsLine_) continue;
      // NextByte left pos_ just past the byte it gave, in the current block: step back.
      const int next = NextByte();
      if (next >= 0 && next != '\n') --pos_;
      return length;
    }
    if (buf && length < size - 1) {
      buf[length++] = static_cast<char>(c);
      buf[length] = 0;
    }
  }
}
