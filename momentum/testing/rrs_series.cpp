// Reader of the sample bar files for the robust-slope tests (see rrs_series.h).

#include "momentum/testing/rrs_series.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "common/testing/test_dirs.h"

std::vector<RrsSample> ReadRrsSamples(const std::string& file) {
  std::vector<RrsSample> out;
  std::istringstream in(ReadWholeFile(std::string(XMT_TESTDATA_DIR "/") + file));
  std::string line;
  if (!std::getline(in, line)) return out;
  const bool intraday = line.find("Time") != std::string::npos;
  while (std::getline(in, line)) {
    int y = 0, m = 0, d = 0, hh = 16, mm = 0, used = 0;
    const int want = intraday ? 5 : 3;
    const int got = intraday ? std::sscanf(line.c_str(), "%d-%d-%d,%d:%d,%n", &y, &m, &d, &hh,
                                           &mm, &used)
                             : std::sscanf(line.c_str(), "%d-%d-%d,%n", &y, &m, &d, &used);
    if (got != want || used == 0) continue;
    // Daily files: Open,High,Low,Close after the date; intraday: Close after the time.
    const char* p = line.c_str() + used;
    for (int skip = intraday ? 0 : 3; skip > 0 && p; --skip) {
      p = std::strchr(p, ',');
      if (p) ++p;
    }
    if (!p) continue;
    RrsSample s;
    s.date = y * 10000 + m * 100 + d - 19000000;
    s.time = hh * 100 + mm;
    s.value = static_cast<float>(std::strtod(p, nullptr));
    out.push_back(s);
  }
  return out;
}
