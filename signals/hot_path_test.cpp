// What a bar costs in the XMT_SIGNALS exports that keep a history or running averages: heap
// allocations, task memory, settings, registry and file calls and log writes while the bars
// of a sample file go through each export, after a warm-up that creates the instance and
// opens the log. A bar may cost its own record where the export stores one, and the trace
// lines the export writes for every bar; nothing else.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/testing/cost_meter.h"
#include "common/testing/log_capture.h"
#include "common/testing/test_data.h"
#include "hostbridge/testing/host_bars.h"
#include "signals/xmt_signals.h"
#include "studycore/barmgr/testing/data_drive.h"

namespace {

// Longer than any short-string buffer, so that a text built from it per call would show.
const char* const kSymbol = "HotPath USDCHF half-hourly closes of a signals study";

constexpr size_t kWarmUp = 300;  // bars fed before counting starts
constexpr size_t kCounted = 3000;

std::vector<HostBar> SampleBars() {
  BarFile file;
  std::string error;
  if (!ReadBarFile(TestDataPath("usdchf_30min.csv"), &file, &error)) ADD_FAILURE() << error;
  return HostBars(file);
}

struct HotPathCase {
  const char* name;
  // Feeds bar k (bar number k + 1) of the sample file through the export(s).
  std::function<void(const HostBar&, int number)> feed;
  long recordsPerBar;  // heap allocations a new bar may cost: its stored record
  long logsPerBar;     // trace lines the export writes for every bar
};

const std::vector<HotPathCase>& Cases() {
  static const std::vector<HotPathCase> cases = {
      {"XMT_RareAvg",
       [](const HostBar& b, int number) {
         XMT_RareAvg(kSymbol, 20, 6, b.Close(), b.date, b.time, 60, 0, 2, 0, number);
       },
       1, 0},
      {"XMT_TrendReversal",
       [](const HostBar& b, int) {
         float pos = 0, width = 0;
         XMT_TrendReversal(0, kSymbol, b.date, b.time, 1, 30, b.Close(), 1.0f, 10, 120, &pos,
                           &width);
       },
       0, 0},
      {"XMT_FindGemAdd + XMT_FindGemCalc",
       [](const HostBar& b, int) {
         XMT_FindGemAdd(0, kSymbol, b.date, b.time, 10000, &b.open, &b.high, &b.low, &b.close,
                        &b.volume, 20);
         float lp = 0, lm = 0, sp = 0, sm = 0;
         XMT_FindGemCalc(0, kSymbol, b.date, b.time, &lp, &lm, &sp, &sm);
       },
       1, 2},
  };
  return cases;
}

class SignalsHotPathTest : public ::testing::TestWithParam<size_t> {
 protected:
  void SetUp() override {
    PresetDataDrive();
    log_.Start("signals_hot_path_test");
    bars_ = SampleBars();
    ASSERT_GT(bars_.size(), kWarmUp + kCounted);
  }

  CountingPlatform platform_;
  ScopedPlatform scoped_{platform_};
  LogCapture log_;
  std::vector<HostBar> bars_;
};

TEST_P(SignalsHotPathTest, BarCostsAtMostItsRecordAndItsLogLines) {
  const HotPathCase& c = Cases()[GetParam()];
  SCOPED_TRACE(c.name);
  for (size_t i = 0; i < kWarmUp; ++i) c.feed(bars_[i], static_cast<int>(i) + 1);
  Cost total;
  for (size_t i = kWarmUp; i < kWarmUp + kCounted; ++i) {
    Meter meter(platform_);
    c.feed(bars_[i], static_cast<int>(i) + 1);
    const Cost bar = meter.Stop();
    // A stored record, and now and then the record list's own growth.
    ASSERT_LE(bar.heap, c.recordsPerBar * 2) << "bar " << i + 1 << ": " << Describe(bar);
    total.heap += bar.heap;
    total.task += bar.task;
    total.other += bar.other;
    total.logs += bar.logs;
  }
  const long bars = static_cast<long>(kCounted);
  // The record list grows geometrically: a dozen steps over these bars, not one per bar.
  EXPECT_LE(total.heap, c.recordsPerBar * (bars + 12)) << Describe(total);
  EXPECT_EQ(total.task, 0) << Describe(total);
  EXPECT_EQ(total.other, 0) << Describe(total);
  EXPECT_EQ(total.logs, c.logsPerBar * bars) << Describe(total);
}

INSTANTIATE_TEST_SUITE_P(Exports, SignalsHotPathTest, ::testing::Range<size_t>(0, 3));

}  // namespace
