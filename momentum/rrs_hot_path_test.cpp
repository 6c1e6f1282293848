// What a call costs in XMT_RRS: heap allocations, task memory, settings, registry and file
// calls and log writes, while the closes of the sample data go through the export.
//
// A history's first call creates it. While its window grows towards the scope the window's
// tables grow by doubling (a handful of allocations each time, a few dozen in all at scope
// 500); from then on a new point needs no memory at all: it takes over the slot and the row
// of the point that leaves the window. An emptied history keeps its tables, so the daily
// restarts of intraday bars cost nothing either. Only nRespFac 61 writes, one line a call.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "common/testing/cost_meter.h"
#include "momentum/rrs.h"
#include "momentum/testing/sample_series.h"
#include "momentum/xmt_momentum.h"
#include "common/testing/log_capture.h"

namespace {

struct HotRun {
  int scope, barType, respFac;
  int quietFrom;  // calls from this one on must not allocate (the window has its full size)
  int calls;
};

class RrsHotPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ReleaseRrsHistories();
    log_.Start("rrs_hot_path_test");  // the log is open before counting starts
    bars_ = ReadHostSeries(XMT_TESTDATA_DIR, "usdchf_30min.csv");
    ASSERT_GT(bars_.size(), 3000u);
  }
  void TearDown() override { ReleaseRrsHistories(); }

  CountingPlatform platform_;
  ScopedPlatform scoped_{platform_};
  LogCapture log_;
  std::vector<HostSeriesBar> bars_;
};

TEST_F(RrsHotPathTest, OnlyTheWarmUpAllocates) {
  // Daily bars slide over the whole series; intraday bars restart every day, so their
  // window never holds more than one day (48 half-hours).
  const HotRun runs[] = {{2, 2, 5, 3, 3000},    {10, 2, 5, 11, 3000}, {100, 2, 5, 101, 3000},
                         {500, 2, 5, 501, 1200}, {100, 1, 5, 49, 3000}, {500, 1, 61, 49, 3000}};
  for (const HotRun& run : runs) {
    Cost warmUp;
    for (size_t i = 0; i < static_cast<size_t>(run.calls); ++i) {
      const HostSeriesBar& b = bars_[i];
      Meter meter(platform_);
      const float r =
          XMT_RRS(run.scope, 1 + static_cast<int>(i % 2), b.close, b.date, b.time, run.respFac,
                  0, run.barType, 0);
      const Cost c = meter.Stop();
      ASSERT_TRUE(std::isfinite(r));
      ASSERT_EQ(0, c.task) << "call " << i + 1 << ": " << Describe(c);
      ASSERT_EQ(0, c.other) << "call " << i + 1 << ": " << Describe(c);
      ASSERT_EQ(run.respFac == 61 ? 1 : 0, c.logs) << "call " << i + 1 << ": " << Describe(c);
      if (static_cast<int>(i) + 1 < run.quietFrom) {
        warmUp.heap += c.heap;
      } else {
        ASSERT_EQ(0, c.heap) << "scope " << run.scope << " call " << i + 1;
      }
    }
    // The history, its place in the list and about seven tables per doubling of the window.
    const long doublings = static_cast<long>(std::ceil(std::log2(run.scope / 8.0 + 1))) + 1;
    EXPECT_LE(warmUp.heap, 2 + 7 * doublings) << "scope " << run.scope;
    EXPECT_GT(warmUp.heap, 0) << "scope " << run.scope;  // the meter does see them
    printf("scope %d bar type %d: %ld allocations in the first %d calls, none after\n",
           run.scope, run.barType, warmUp.heap, run.quietFrom - 1);
  }
}

}  // namespace
