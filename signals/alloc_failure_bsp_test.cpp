// XMT_BSP through the in-memory study object with every allocation failing in turn (a study
// object of its own per run, made beforehand: the scenario may not allocate outside the
// library). XMT_BSPCalc allocates nothing; its guard is shown in export_guard_test.cpp.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>

#include "common/testing/injection_run.h"
#include "common/testing/log_capture.h"
#include "hostbridge/testing/fake_host.h"
#include "signals/xmt_signals.h"

namespace {

constexpr int kBars = 4;
constexpr int kHosts = 600;

void MakeHost(FakeHost& host) {
  FakeVariable& array = host.AddArray("arrBSP", {10});
  array.values[2] = 3;  // AvgLen
  array.values[3] = 4;  // VolLen
  array.values[4] = 2;  // Style
  for (int i = 0; i < kBars; ++i) {
    FakeBar bar;
    bar.upTicks = 30 + 5 * i;
    bar.downTicks = 10 + 3 * i;
    bar.day = 1 + i;
    host.AddBar(bar);
  }
}

TEST(SignalsAllocFailureHost, Pressure) {
  LogCapture log;
  log.Start("signals_alloc_failure_bsp_test");
  std::deque<FakeHost> hosts(kHosts);
  for (FakeHost& h : hosts) MakeHost(h);
  int run = 0;
  const InjectionReport report = RunWithAllocationFailures(
      "BSP", [&](const char* id, InjectionOutcomes& out) {
        FakeHost& host = hosts[static_cast<size_t>(run++ % kHosts)];
        for (int i = 0; i < kBars; ++i) {
          host.SetCursor(i);
          char err[XMT_SIGNALS_ERR_BUF_SIZE] = {};
          std::strcpy(err, id);  // the key
          const int r = XMT_BSP("Study", 1, 2, err, &host, 0);
          out.Note(r == -1 ? -9 : r, -9);  // -1: the instance could not be set up
          const std::vector<double>* values = host.ArrayValues("arrBSP");
          for (int k : {0, 1, 5, 6, 7}) out.Note((*values)[static_cast<size_t>(k)], -9);
        }
      });
  ASSERT_LT(run, kHosts);
  ExpectSoundRuns("XMT_BSP", report);
}

}  // namespace
