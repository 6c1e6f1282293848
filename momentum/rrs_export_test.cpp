// XMT_RRS from the outside: the built XMT_MOMENTUM loaded by file name and the export
// called by name, with its nine arguments in the platform's order; and its results over the
// sample bar files against a checked-in expected file, the same for the native and the
// Windows build (testdata/check/rrs.py recomputes that file from the rules).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "common/testing/loaded_library.h"
#include "common/testing/log_capture.h"
#include "common/testing/test_data.h"
#include "common/testing/test_dirs.h"
#include "momentum/testing/sample_series.h"
#include "momentum/xmt_momentum.h"

namespace {

LoadedLibrary& Lib() {
  static LoadedLibrary lib(XMT_MOMENTUM_FILE_NAME);
  return lib;
}

XMT_RRS_fn Rrs() { return Lib().Get<XMT_RRS_fn>("XMT_RRS"); }

// The library's log of today: "<host program folder>/logs/<yyyymmdd>/XMT_F2.log".
std::string TodaysLibraryLog() {
  return ReadWholeFile(TodaysLibraryLogPath("XMT_F2", HostProgramFolder().c_str()));
}

TEST(RrsExportTest, ArgumentsInThePlatformsOrder) {
  ASSERT_TRUE(Lib().Loaded()) << Lib().Error();
  XMT_RRS_fn rrs = Rrs();
  ASSERT_NE(rrs, nullptr);
  // Scope 3, values 1, 2, 3, 4: the fourth call's window is 1, 2, 3; mode 2 divides by 4.
  const float plain[] = {0, 0, 100, 100}, perValue[] = {0, 0, 100.0f / 3 * 1000, 25000};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(plain[i], rrs(3, 1, i + 1.0f, 1250105, 930 + i, 7, 0, 1, 0)) << i;
    EXPECT_FLOAT_EQ(perValue[i], rrs(3, 2, i + 1.0f, 1250105, 930 + i, 8, 0, 1, 0)) << i;
  }
  // Scope 1 returns the value; a new date restarts intraday bars (type 1, nExtra 0) only.
  EXPECT_EQ(2.5f, rrs(1, 1, 2.5f, 1250105, 930, 7, 0, 1, 0));
  EXPECT_EQ(0.0f, rrs(3, 1, 9, 1250106, 930, 7, 0, 1, 0));
  EXPECT_EQ(0.0f, rrs(3, 1, 9, 1250106, 930, 7, 0, 1, 0));
  // nExtra 1 keeps the history across the new date: the window is 1, 2, 3.
  for (float v : {1.0f, 2.0f, 3.0f}) rrs(3, 1, v, 1250105, 930, 9, 0, 1, 1);
  EXPECT_EQ(100.0f, rrs(3, 1, 5, 1250106, 930, 9, 0, 1, 1));
}

TEST(RrsExportTest, TraceLineFor61ShowsTheArguments) {
  ASSERT_TRUE(Lib().Loaded()) << Lib().Error();
  XMT_RRS_fn rrs = Rrs();
  ASSERT_NE(rrs, nullptr);
  for (float v : {4.0f, 2.0f, 1.25f}) rrs(2, 1, v, 1250107, 1415, 61, 33, 1, 0);
  const std::string log = TodaysLibraryLog();
  EXPECT_NE(std::string::npos,
            log.find("ret = (pFunc)(nScopeRegr,1,    1.25f,1250107,1415,nRespFac,33,1,0); "
                     "// RespFac=61, Res= -200.00"))
      << log;
}

// --- expected results over the sample files ------------------------------------------------

struct GoldenRun {
  const char* file;
  int scope, mode, barType, extra;
  int bars;       // closes fed from the start of the file (0: all)
  int firstLine;  // first call written (1-based)
};

// testdata/check/rrs.py runs the same list.
const GoldenRun kGoldenRuns[] = {
    {"msft_daily.csv", 3, 1, 2, 0, 0, 1},       {"msft_daily.csv", 10, 2, 2, 0, 0, 1},
    {"msft_daily.csv", 50, 1, 2, 0, 0, 1},      {"ttrc_daily.csv", 20, 2, 2, 0, 1000, 1},
    {"ttrc_daily.csv", 100, 1, 2, 0, 400, 101}, {"ttrc_daily.csv", 500, 2, 2, 0, 520, 501},
    {"usdchf_30min.csv", 10, 1, 1, 0, 3000, 1}, {"usdchf_30min.csv", 100, 2, 1, 0, 3000, 1},
};

std::string ResultText(float r) {
  if (std::isnan(r)) return "nan";
  if (std::isinf(r)) return r > 0 ? "inf" : "-inf";
  if (r == 0) return "0";  // either sign
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(r));
  return text;
}

std::string RunGolden(XMT_RRS_fn rrs, const GoldenRun& run, int respFac) {
  std::vector<HostSeriesBar> series = ReadHostSeries(XMT_TESTDATA_DIR, run.file);
  EXPECT_GT(series.size(), 200u) << run.file;
  if (run.bars > 0 && series.size() > static_cast<size_t>(run.bars)) series.resize(run.bars);
  std::string out;
  for (size_t i = 0; i < series.size(); ++i) {
    const HostSeriesBar& s = series[i];
    const float r = rrs(run.scope, run.mode, s.close, s.date, s.time, respFac, 0, run.barType,
                        run.extra);
    if (static_cast<int>(i) + 1 < run.firstLine) continue;
    char line[160];
    std::snprintf(line, sizeof line, "%s,%d,%d,%d,%d,%zu,%d,%04d,", run.file, run.scope,
                  run.mode, run.barType, run.extra, i + 1, s.date + 19000000, s.time);
    out += line + ResultText(r) + "\n";
  }
  return out;
}

TEST(RrsExportTest, MatchesTheExpectedResults) {
  ASSERT_TRUE(Lib().Loaded()) << Lib().Error();
  XMT_RRS_fn rrs = Rrs();
  ASSERT_NE(rrs, nullptr);
  std::string actual;
  int respFac = 100;  // a history of its own for each run
  for (const GoldenRun& run : kGoldenRuns) actual += RunGolden(rrs, run, respFac++);
  ExpectMatchesGolden(actual, "rrs_golden_expected.csv");
}

}  // namespace
