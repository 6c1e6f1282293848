// Fuzz target: the bar-file reader. The first byte chooses the date order (from the data or
// one of the three the user can name); the rest is the file. A file that reads must hold
// only bars a study can take: real dates and times, finite prices, high not below low, no
// negative volume, lines in file order; a file that does not read must say where.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "common/barfile/bar_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const DateOrder kOrders[] = {DateOrder::kFromData, DateOrder::kYmd, DateOrder::kMdy,
                                      DateOrder::kDmy};
  BarFileOptions options;
  options.dateOrder = kOrders[data[0] % 4];
  std::istringstream in(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  BarFile file;
  std::string error;
  if (!ReadBarStream(in, "fuzz.csv", &file, &error, options)) {
    if (error.rfind("fuzz.csv:", 0) != 0) std::abort();
    return 0;
  }
  int line = 0;
  for (const CsvBar& b : file.bars) {
    const int month = b.date / 100 % 100, day = b.date % 100;
    if (b.date < 19000101 || b.date > 21551231 || month < 1 || month > 12 || day < 1 || day > 31)
      std::abort();
    if (b.time < 0 || b.time / 100 > 23 || b.time % 100 > 59) std::abort();
    const double values[] = {b.open, b.high, b.low, b.close, b.volume, b.upVol, b.downVol};
    for (double v : values)
      if (!std::isfinite(v)) std::abort();
    if (b.high < b.low || b.volume < 0 || b.upVol < 0 || b.downVol < 0) std::abort();
    if (b.line <= line) std::abort();
    line = b.line;
  }
  return 0;
}
