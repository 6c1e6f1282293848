// XMT_RRS against the direct computation (every slope, a sort per point) over the sample
// bar files: every compared call must give the same number, bit for bit up to the sign of a
// zero and the payload of a NaN.
//
// Each run feeds one file's closes at one scope through one history, with the disturbances
// a study produces: repeated calls on one bar, a result mode that changes between calls,
// daily restarts (intraday bars), the host starting over (dates running backwards) and, in
// some runs, NaN and infinite values. Long scopes compare a sample of the calls (a row that
// went wrong stays wrong, so a sample finds it); the release benchmark compares every call.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "momentum/rrs.h"
#include "momentum/testing/rrs_direct.h"
#include "momentum/testing/sample_series.h"

namespace {

struct CompareRun {
  const char* file;
  int scope;
  int barType, extra;
  int bars;          // closes fed from the start of the file (0: all)
  int compareEvery;  // compare every n-th call, and the first calls after each restart
  bool specials;     // NaN and infinities among the values
};

const CompareRun kRuns[] = {
    // Daily bars, no daily restart.
    {"msft_daily.csv", 2, 2, 0, 0, 1, false},
    {"msft_daily.csv", 3, 2, 0, 0, 1, true},
    {"msft_daily.csv", 10, 2, 0, 0, 1, false},
    {"msft_daily.csv", 100, 2, 0, 0, 7, true},
    {"msft_daily.csv", 500, 2, 0, 0, 20, false},
    {"ttrc_daily.csv", 2, 2, 0, 0, 1, true},
    {"ttrc_daily.csv", 3, 2, 0, 0, 1, false},
    {"ttrc_daily.csv", 10, 2, 0, 0, 1, true},
    {"ttrc_daily.csv", 100, 2, 0, 1200, 13, false},
    {"ttrc_daily.csv", 500, 3, 0, 680, 61, true},
    // Half-hourly bars: a restart every day, or none (nExtra 1).
    {"usdchf_30min.csv", 2, 1, 0, 8000, 1, false},
    {"usdchf_30min.csv", 3, 1, 0, 8000, 1, true},
    {"usdchf_30min.csv", 10, 1, 0, 8000, 1, false},
    {"usdchf_30min.csv", 100, 1, 0, 3000, 3, true},
    {"usdchf_30min.csv", 500, 0, 0, 3000, 5, false},
    {"usdchf_30min.csv", 100, 1, 1, 1500, 17, false},
    {"usdchf_30min.csv", 500, 1, 3, 700, 53, false},
};

// The value of call k: the close, or a NaN or an infinity at a few places.
float Disturbed(float close, int k, bool specials) {
  if (!specials) return close;
  switch (k % 401) {
    case 150: return std::numeric_limits<float>::quiet_NaN();
    case 300: return std::numeric_limits<float>::infinity();
    case 301: return -std::numeric_limits<float>::infinity();
    default: return close;
  }
}

TEST(RrsCompareTest, SameAsTheDirectComputation) {
  for (const CompareRun& run : kRuns) {
    std::vector<HostSeriesBar> series = ReadHostSeries(XMT_TESTDATA_DIR, run.file);
    ASSERT_GT(series.size(), 200u) << run.file;
    if (run.bars > 0 && series.size() > static_cast<size_t>(run.bars)) series.resize(run.bars);
    // The host starts over after the whole series and feeds its first quarter again.
    const size_t total = series.size() + series.size() / 4;

    ReleaseRrsHistories();
    DirectRrsHistory direct(run.scope);
    int calls = 0, compared = 0, sinceRestart = 0;
    for (size_t i = 0; i < total; ++i) {
      const HostSeriesBar& bar = series[i % series.size()];
      // Every seventh bar is called twice, the second time with another value.
      for (int repeat = 0; repeat < (i % 7 == 3 ? 2 : 1); ++repeat, ++calls) {
        const float value = Disturbed(bar.close * (repeat ? 1.001f : 1.0f), calls, run.specials);
        const int mode = calls % 3 == 0 ? 2 : 1;
        RrsArgs a;
        a.scope = run.scope;
        a.resMode = mode;
        a.value = value;
        a.date = bar.date;
        a.time = bar.time;
        a.respFac = 5;
        a.barType = run.barType;
        a.extra = run.extra;
        const int before = direct.PointCount();
        const bool compare = calls % run.compareEvery == 0 || sinceRestart < 3;
        const float expect = direct.Call(mode, value, bar.date, run.barType, run.extra, compare);
        sinceRestart = direct.PointCount() <= before ? 0 : sinceRestart + 1;
        const float got = CalcRrs(a);
        if (!compare) continue;
        ++compared;
        ASSERT_TRUE(SameRrsResult(expect, got))
            << run.file << " scope " << run.scope << " bar type " << run.barType << " extra "
            << run.extra << ": call " << calls << " (bar " << i << ", date " << bar.date
            << ", point " << direct.PointCount() << ") gives " << got << " instead of " << expect;
      }
    }
    EXPECT_GT(compared, 8) << run.file << " scope " << run.scope;
  }
}

}  // namespace
