// Test support: bars of a bar file in the form the host passes them to the bar-feeding
// exports (host date, HHMM time, prices as scaled integers), for tests and benchmarks.
#pragma once

#include <vector>

#include "common/barfile/bar_file.h"

// One bar in the host's call form: host date ((year - 1900) * 10000 + month * 100 + day),
// time HHMM, prices times kHostPriceScale.
struct HostBar {
  int date = 0, time = 0;
  int open = 0, high = 0, low = 0, close = 0;
  int volume = 0;
  float Close() const;  // the close as a price (close / kHostPriceScale)
};
inline constexpr int kHostPriceScale = 10000;

// The bars of a bar file in host form, prices scaled by `scale` and rounded; bars dated
// before 1990 (the host form below 900000) are left out.
std::vector<HostBar> HostBars(const BarFile& file, int scale = kHostPriceScale);
