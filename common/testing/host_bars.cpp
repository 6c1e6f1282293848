// Bars of a bar file in the host's call form (see host_bars.h).

#include "common/testing/host_bars.h"

#include <cmath>

float HostBar::Close() const { return static_cast<float>(close) / kHostPriceScale; }

std::vector<HostBar> HostBars(const BarFile& file, int scale) {
  std::vector<HostBar> out;
  out.reserve(file.bars.size());
  auto scaled = [scale](double v) { return static_cast<int>(std::lround(v * scale)); };
  for (const CsvBar& b : file.bars) {
    HostBar h;
    h.date = b.date - 19000000;
    if (h.date < 900000) continue;
    h.time = b.time;
    h.open = scaled(b.open);
    h.high = scaled(b.high);
    h.low = scaled(b.low);
    h.close = scaled(b.close);
    h.volume = static_cast<int>(b.volume);
    out.push_back(h);
  }
  return out;
}
