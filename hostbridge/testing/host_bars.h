// Test support: bars of a bar file in the form the host passes them to the bar-feeding
// exports (host date, HHMM time, prices as scaled integers), for tests and benchmarks.
#pragma once

#include <vector>

#include "common/barfile/bar_file.h"

// One bar in the host's call form: host date ((year - 1900) * 10000 + month * 100 + day,
// FullDateToHost), time HHMM, prices times the scale.
struct HostBar {
  int date = 0, time = 0;
  int open = 0, high = 0, low = 0, close = 0;
  int volume = 0;
  float Close() const;  // the close as a price (close / kHostPriceScale)
};
inline constexpr int kHostPriceScale = 10000;

// Bars dated before 1990 (the host form below 900000), which the bar-feeding exports
// refuse: left out, or kept for a test that feeds them as a study would.
enum class EarlyBars { Skip, Keep };

// One bar in host form, prices scaled by `scale` and rounded to the nearest integer.
HostBar ToHostBar(const CsvBar& bar, int scale = kHostPriceScale);

// The bars in host form, prices scaled by `scale` and rounded to the nearest integer.
std::vector<HostBar> HostBars(const std::vector<CsvBar>& bars, int scale = kHostPriceScale,
                              EarlyBars early = EarlyBars::Skip);
inline std::vector<HostBar> HostBars(const BarFile& file, int scale = kHostPriceScale,
                                     EarlyBars early = EarlyBars::Skip) {
  return HostBars(file.bars, scale, early);
}
