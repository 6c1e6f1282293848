// XMT_UTC over the sample bar files, through the loaded library, against a checked-in
// expected file. The native and the Windows build compare with the same file, so they give
// the same results to the last bit (nine significant digits identify a float).
//
// Each run feeds every bar of a file (bar numbers 1, 2, ...) with its look-back N and
// smoothing length L under a symbol of its own. In the runs marked "update" every bar
// first arrives as a flat bar at the previous bar's close (the bar as it starts to form)
// and is then updated with its real prices under the same bar number. A line is written
// for every k-th bar: file, N, L, mode, bar number, host date, time and the result.
// testdata/check/utc_golden_check.py recomputes the file from the bar files.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/testing/loaded_library.h"
#include "common/testing/test_data.h"
#include "common/testing/test_dirs.h"
#include "momentum/testing/sample_series.h"
#include "momentum/testing/utc_block.h"
#include "momentum/xmt_momentum.h"
#include "studycore/barmgr/testing/data_drive.h"

namespace {

struct GoldenRun {
  const char* file;
  int lookBack, smooth;
  bool update;
  int every;  // a line for every k-th bar
};

const GoldenRun kRuns[] = {
    {"msft_daily.csv", 1, 0, false, 1},     {"msft_daily.csv", 10, 1, false, 1},
    {"msft_daily.csv", 20, 5, false, 1},    {"ttrc_daily.csv", 5, 3, false, 10},
    {"ttrc_daily.csv", 50, 10, false, 10},  {"usdchf_30min.csv", 50, 10, false, 100},
    {"usdchf_30min.csv", 200, 30, false, 100}, {"usdchf_30min.csv", 50, 10, true, 100},
};

std::string RunFile(XMT_UTC_fn utc, const GoldenRun& run, int index) {
  const std::vector<HostSeriesBar> bars = ReadHostSeries(XMT_TESTDATA_DIR, run.file);
  EXPECT_FALSE(bars.empty()) << run.file;
  const std::string symbol = "Golden" + std::to_string(index);
  std::string out;
  UtcBlock block;
  float previousClose = bars.empty() ? 0.0f : bars[0].close;
  for (size_t i = 0; i < bars.size(); ++i) {
    const HostSeriesBar& b = bars[i];
    const int number = static_cast<int>(i) + 1;
    block.Setup(1, 30, run.lookBack, run.smooth);
    if (run.update) {
      const float p = previousClose;
      block.Bar(b.date, b.time, p, p, p, p, 0, number);
      utc(symbol.c_str(), block.slots);
    }
    block.Bar(b.date, b.time, b.open, b.high, b.low, b.close, b.volume, number);
    const float result = utc(symbol.c_str(), block.slots);
    previousClose = b.close;
    if (number % run.every != 0) continue;
    char line[160];
    std::snprintf(line, sizeof line, "%s,%d,%d,%s,%d,%d,%d,%.9g\n", run.file, run.lookBack,
                  run.smooth, run.update ? "update" : "new", number, b.date, b.time,
                  static_cast<double>(result));
    out += line;
  }
  return out;
}

TEST(UtcGolden, MatchesTheExpectedResults) {
  PresetDataDrive();
  LoadedLibrary lib(XMT_MOMENTUM_FILE_NAME);
  ASSERT_TRUE(lib.Loaded()) << lib.Error();
  auto utc = lib.Get<XMT_UTC_fn>("XMT_UTC");
  ASSERT_NE(utc, nullptr);
  std::string actual;
  int index = 0;
  for (const GoldenRun& run : kRuns) actual += RunFile(utc, run, index++);
  ExpectMatchesGolden(actual, "utc_golden_expected.csv");
}

}  // namespace
