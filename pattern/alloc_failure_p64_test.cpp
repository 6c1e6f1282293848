// XMT_PATTERN64 through the in-memory study object with every allocation failing in turn (a
// study object of its own per run, made beforehand: the scenario may not allocate outside
// the library).
#include <gtest/gtest.h>

#include <deque>

#include "common/testing/injection_run.h"
#include "common/testing/log_capture.h"
#include "hostbridge/testing/fake_host.h"
#include "pattern/xmt_pattern.h"
#include "studycore/barmgr/testing/data_drive.h"

namespace {

constexpr double kHighs[] = {10, 12, 14, 12, 10, 12, 15, 13, 11};
constexpr int kBars = static_cast<int>(sizeof kHighs / sizeof kHighs[0]);
constexpr int kHosts = 900;

void MakeHost(FakeHost& host) {
  host.AddArray("arrValIn", {50});
  std::vector<double>& in = *host.MutableArrayValues("arrValIn");
  in[0] = 2;  // left
  in[1] = 2;  // right
  in[2] = 2;  // style: pivots
  host.AddArray("arrValOut", {100});
  for (int i = 0; i < kBars; ++i) {
    FakeBar b;
    b.high = kHighs[i];
    b.open = b.low = b.close = kHighs[i] * 0.99;
    b.upTicks = 10;
    b.downTicks = 5;
    b.day = 1 + i;
    host.AddBar(b);
  }
}

TEST(PatternAllocFailureHost, Pattern64) {
  PresetDataDrive();
  LogCapture log;
  log.Start("pattern_alloc_failure_p64_test");
  std::deque<FakeHost> hosts(kHosts);
  for (FakeHost& h : hosts) MakeHost(h);
  int run = 0;
  const InjectionReport report =
      RunWithAllocationFailures("P64", [&](const char* id, InjectionOutcomes& out) {
        FakeHost& host = hosts[static_cast<size_t>(run++ % kHosts)];
        for (int i = 0; i < kBars; ++i) {
          host.SetCursor(i);
          char err[XMT_PATTERN_ERR_BUF_SIZE] = {};
          char patErr[XMT_PATTERN_ERR_BUF_SIZE] = {};
          out.Note(XMT_PATTERN64(id, err, &host, "", patErr), -104);
          const std::vector<double>* values = host.ArrayValues("arrValOut");
          for (int k = 0; k < 4; ++k) out.Note((*values)[static_cast<size_t>(k)], -104);
        }
      });
  ASSERT_LT(run, kHosts);
  ExpectSoundRuns("XMT_PATTERN64", report);
}

}  // namespace
