// Bars of a bar file in the host's call form (see host_bars.h).

#include "hostbridge/testing/host_bars.h"

#include <cmath>

#include "hostbridge/entry_frame.h"

float HostBar::Close() const { return static_cast<float>(close) / kHostPriceScale; }

HostBar ToHostBar(const CsvBar& bar, int scale) {
  auto scaled = [scale](double v) { return static_cast<int>(std::lround(v * scale)); };
  HostBar h;
  h.date = FullDateToHost(bar.date);
  h.time = bar.time;
  h.open = scaled(bar.open);
  h.high = scaled(bar.high);
  h.low = scaled(bar.low);
  h.close = scaled(bar.close);
  h.volume = static_cast<int>(bar.volume);
  return h;
}

std::vector<HostBar> HostBars(const std::vector<CsvBar>& bars, int scale, EarlyBars early) {
  std::vector<HostBar> out;
  out.reserve(bars.size());
  for (const CsvBar& b : bars) {
    const HostBar h = ToHostBar(b, scale);
    if (early == EarlyBars::Skip && h.date < 900000) continue;
    out.push_back(h);
  }
  return out;
}
