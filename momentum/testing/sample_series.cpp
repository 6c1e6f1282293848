// Test support: reading the sample bar files (see sample_series.h).

#include "momentum/testing/sample_series.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

std::vector<HostSeriesBar> ReadHostSeries(const std::string& dir, const std::string& file) {
  std::vector<HostSeriesBar> bars;
  std::ifstream in(dir + "/" + file, std::ios::binary);
  std::string line;
  if (!std::getline(in, line)) return bars;
  const bool closeOnly = line.find("Time") != std::string::npos;
  while (std::getline(in, line)) {
    int y = 0, m = 0, d = 0, hh = 0, mm = 0;
    double o = 0, h = 0, l = 0, c = 0, v = 0;
    HostSeriesBar b;
    if (closeOnly) {
      if (std::sscanf(line.c_str(), "%d-%d-%d,%d:%d,%lf", &y, &m, &d, &hh, &mm, &c) != 6)
        continue;
      o = h = l = c;
      b.time = hh * 100 + mm;
    } else {
      if (std::sscanf(line.c_str(), "%d-%d-%d,%lf,%lf,%lf,%lf,%lf", &y, &m, &d, &o, &h, &l, &c,
                      &v) != 8)
        continue;
      b.time = 1600;
    }
    b.date = y * 10000 + m * 100 + d - 19000000;
    b.open = static_cast<float>(o);
    b.high = static_cast<float>(h);
    b.low = static_cast<float>(l);
    b.close = static_cast<float>(c);
    b.volume = static_cast<float>(v);
    bars.push_back(b);
  }
  return bars;
}
