// What a bar costs in XMT_UTC: heap allocations, task memory, settings, registry and file
// calls and log writes while the bars of the sample data go through the export, after a
// warm-up that creates the instance and its smoothing stack and opens the log. A new bar
// may cost its own record; an update of the newest bar costs nothing.

#include <gtest/gtest.h>

#include <vector>

#include "common/settings/trace_log.h"
#include "common/testing/cost_meter.h"
#include "common/testing/log_capture.h"
#include "momentum/testing/sample_series.h"
#include "momentum/testing/utc_block.h"
#include "momentum/xmt_momentum.h"
#include "studycore/barmgr/bar_mgr_registry.h"
#include "studycore/barmgr/testing/data_drive.h"

namespace {

// Longer than any short-string buffer, so that a text built from it per call would show.
const char* const kSymbol = "HotPath USDCHF half-hourly closes of a momentum study";

constexpr int kWarmUp = 300;  // bars fed before counting starts

class UtcHotPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PresetDataDrive();
    ReleaseAllBarMgrs();
    log_.Start("momentum_hot_path_test");
    bars_ = ReadHostSeries(XMT_TESTDATA_DIR, "usdchf_30min.csv");
    ASSERT_GT(bars_.size(), 60000u);
  }
  void TearDown() override { ReleaseAllBarMgrs(); }

  float Feed(int number, const HostSeriesBar& b, float closeShift = 0) {
    block_.Setup(1, 30, 50, 10).Bar(b.date, b.time, b.open, b.high, b.low,
                                    b.close + closeShift, b.volume, number);
    return XMT_UTC(kSymbol, block_.slots);
  }

  CountingPlatform platform_;
  ScopedPlatform scoped_{platform_};
  LogCapture log_;
  std::vector<HostSeriesBar> bars_;
  UtcBlock block_;
};

TEST_F(UtcHotPathTest, NewBarCostsItsRecordAndAnUpdateNothing) {
  for (int i = 0; i < kWarmUp; ++i) Feed(i + 1, bars_[static_cast<size_t>(i)]);
  Cost total;
  long bars = 0;
  for (size_t i = kWarmUp; i < bars_.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    Meter newBar(platform_);
    Feed(number, bars_[i]);
    const Cost added = newBar.Stop();
    ASSERT_LE(added.heap, 1) << "bar " << number << ": " << Describe(added);
    Meter update(platform_);
    Feed(number, bars_[i], 0.0001f);
    const Cost updated = update.Stop();
    ASSERT_EQ(updated.heap, 0) << "bar " << number << ": " << Describe(updated);
    total.heap += added.heap;
    total.task += added.task + updated.task;
    total.other += added.other + updated.other;
    total.logs += added.logs + updated.logs;
    ++bars;
  }
  EXPECT_EQ(total.heap, bars) << Describe(total);  // exactly one record per new bar
  EXPECT_EQ(total.task, 0) << Describe(total);
  EXPECT_EQ(total.other, 0) << Describe(total);
  EXPECT_EQ(total.logs, 0) << Describe(total);
}

}  // namespace
