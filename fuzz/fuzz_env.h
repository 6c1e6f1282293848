// Set-up shared by the fuzz targets.
//
// Every target calls FuzzEnvInit() once before its first input: it points XMT_ROOT and
// XMT_HOST_DIR at a fresh temporary folder (removed when the process ends), so drive paths
// such as "C:/Database/DO_DER", settings files and the trace log land there and nowhere
// else, and puts drive C: into the bar managers' registry value so their data folders do too.
// The trace log is switched off unless XMT_FUZZ_LOG=1. XMT_FUZZ_ROOT names a folder to use
// instead of the temporary one; it is kept, log included.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Idempotent. Result the temporary root folder (native path).
const std::string& FuzzEnvInit();

// Reads fuzz input piece by piece; past the end every read gives zeros / empty texts.
class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  size_t Remaining() const { return size_ - pos_; }
  uint8_t Byte();
  int Int();  // four bytes, little-endian
  // Up to maxLen bytes, ending early at a zero byte (which is consumed).
  std::string Text(size_t maxLen);
  // Everything not yet read.
  std::string Rest();

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};
