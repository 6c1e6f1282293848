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
class FuzzInput;

// The host's clock of a fuzzed bar sequence: host date and HHMM time, stepping 30 minutes a
// bar across midnight, and the bar number.
struct FuzzBarClock {
  int date = 1150101;  // host form, 2015-01-01
  int time = 930;
  int bar = 0;
  void NextBar() {
    ++bar;
    time += 30;
    if (time % 100 >= 60) time += 40;
    if (time > 2359) {
      time = 0;
      ++date;
    }
  }
};

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
  // Four bytes taken as a float's bits (NaN, infinities, subnormals and all).
  float FloatBits();
  // Mostly a small number around base (one byte: base - 8 .. base + 23); a byte of 0xF0 or
  // above is followed by any int.
  int NumberNear(int base);
  // One entry of a fixed list, chosen by one byte.
  template <size_t N>
  const char* Pick(const char* const (&list)[N]) {
    return list[Byte() % N];
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};
