// Line reader over a file read in large blocks, or over bytes already in memory.
//
// LoadFromFileBuf reads big files through it, and the internet-time reader runs it over a
// fetched page. One process-wide instance (BlockReader::Shared()) serves both; it is not
// guarded, so two threads must not read through it at the same time.
//
// Line rules: a line ends at LF or at a zero byte; CR is dropped (with SetLoneCrEndsLine(true)
// a CR not followed by LF ends its line instead); a Ctrl-Z byte (26) ends the line, and a Ctrl-Z at the start of a line ends the data (or, with SetCtrlZBlank(true), reads
// as a blank); characters beyond the caller's buffer are dropped; the last line is returned
// even without a line end.
//
// Block size: the environment variable "BGETLRAM" read as a number (at least 1010), else
// 300000 bytes; when that much memory cannot be had, a block of the file's size is tried.
// The buffer is allocated by OpenFile and released by Close.
#pragma once

#include <cstddef>
#include <cstdio>

class CTxt;

class BlockReader {
 public:
  BlockReader() = default;
  ~BlockReader();
  BlockReader(const BlockReader&) = delete;
  BlockReader& operator=(const BlockReader&) = delete;

  static BlockReader& Shared();

  // Opens a host path. 0, or -1 with msg "Cannot open %s (%s)"; -2 when no buffer can be had.
  int OpenFile(const char* path, CTxt& msg);
  // Reads data (not copied: it must outlive the reading). Result 0.
  int OpenMemory(const char* data, size_t size);
  // Next line into buf (always terminated when size > 0). Result the line's length, or -1
  // at the end of the data.
  int ReadLine(char* buf, int size);
  // Closes the file and releases the buffer.
  void Close();

  // Ctrl-Z reads as a blank instead of ending the line or the data.
  void SetCtrlZBlank(bool blank) { ctrlZBlank_ = blank; }
  // A CR not followed by LF ends its line (files saved with CR-only line ends); CR LF stays
  // one line end. Off by default; the switch outlives Close, so a user sets it back
  // (CTxtArray::LoadFromFileBuf does both for its callers).
  void SetLoneCrEndsLine(bool ends) { loneCrEndsLine_ = ends; }
  // The block size the next OpenFile will use.
  static size_t BlockSize();

 private:
  int NextByte();  // -1 at the end of the data
  bool Refill();

  FILE* file_ = nullptr;
  char* buffer_ = nullptr;
  size_t capacity_ = 0;
  const char* data_ = nullptr;  // current block (buffer_ or the caller's memory)
  size_t size_ = 0;             // bytes in the current block
  size_t pos_ = 0;
  bool ended_ = true;
  bool ctrlZBlank_ = false;
  bool loneCrEndsLine_ = false;
};
