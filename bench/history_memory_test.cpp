// What a stored bar costs in memory in each history: the bar manager's bars, RareAvg's bars
// and the FindGem store. The cost meter counts the heap calls of this program and the
// allocator's usable size of every block (malloc, calloc, realloc and free wrapped at link
// time) while a history grows by many bars; the bytes include the record, its pointer slot
// in the list and the list's growth.
//
// Each case prints "history_memory <name> bars=<n> record=<bytes> allocs_per_bar=<x>
// bytes_per_bar=<y>" for scripts/run-bench.sh, and fails when a bar costs more than its bound.

#include <gtest/gtest.h>

#include <cstdio>

#include "common/settings/settings.h"
#include "common/testing/cost_meter.h"
#include "signals/find_gem.h"
#include "signals/rare_avg.h"
#include "studycore/barmgr/bar_mgr.h"

extern "C" {
void __real_free(void* p);
void __wrap_free(void* p) {
  cost_meter::Freeing(p);
  __real_free(p);
}
}  // extern "C"

namespace {

constexpr int kBars = 200000;

struct PerBar {
  double allocs = 0;
  double bytes = 0;
};

// Runs add(i) for i in 0 .. kBars - 1 while counting.
template <class Add>
PerBar Measure(const char* name, size_t record, Add add) {
  cost_meter::heapCalls = 0;
  cost_meter::heapBytes = 0;
  cost_meter::counting = true;
  for (int i = 0; i < kBars; ++i) add(i);
  cost_meter::counting = false;
  PerBar r{static_cast<double>(cost_meter::heapCalls) / kBars,
           static_cast<double>(cost_meter::heapBytes) / kBars};
  std::printf("history_memory %s bars=%d record=%zu allocs_per_bar=%.3f bytes_per_bar=%.1f\n",
              name, kBars, record, r.allocs, r.bytes);
  return r;
}

// Minute bar i of a rising series from 1 January 2001, months of 28 days (host form, HHMM).
int HostDate(int i) {
  const int d = i / 1440;
  return (101 + d / (28 * 12)) * 10000 + (d / 28 % 12 + 1) * 100 + d % 28 + 1;
}
int HostTime(int i) { return (i % 1440) / 60 * 100 + i % 60; }

class HistoryMemory : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // No log: FindGem writes a line for every bar, and lines are not what is measured here.
    WriteIniString("RELEASE", "WriteLog", "NO");
  }
};

// Bounds: the record's allocation and its list slot, with room for the allocator's rounding;
// a record or list layout that grows fails here.
TEST_F(HistoryMemory, BarManagerBars) {
  CBarMgr mgr;
  const PerBar r = Measure("bar_manager", sizeof(CBarMgrData), [&](int i) {
    CXMTDateTime dt(HostDate(i) + 19000000, HostTime(i) * 100);
    mgr.AddBar(dt, 1.0f, 1.5f, 0.5f, 1.25f, 100.0f, i + 1, 1);
  });
  EXPECT_EQ(32u, sizeof(CBarMgrData));
  EXPECT_NEAR(1.0, r.allocs, 0.01);
  EXPECT_LE(r.bytes, 56.0);
}

TEST_F(HistoryMemory, RareAvgBars) {
  CRareAvgSet set;
  const PerBar r = Measure("rare_avg", sizeof(CRareAvgBar), [&](int i) {
    set.AddBar(HostDate(i), HostTime(i), 1.0f + static_cast<float>(i % 7));
  });
  EXPECT_EQ(20u, sizeof(CRareAvgBar));
  EXPECT_NEAR(1.0, r.allocs, 0.01);
  EXPECT_LE(r.bytes, 40.0);
}

TEST_F(HistoryMemory, FindGemPoints) {
  const int price = 12345, volume = 10;
  const FindGemValues values{{&price, &price, &price, &price, &volume}};
  const PerBar r = Measure("find_gem", sizeof(CFindGemPoint), [&](int i) {
    FindGemAdd("MEM", HostDate(i), HostTime(i), 100, values, 20);
  });
  EXPECT_EQ(28u, sizeof(CFindGemPoint));
  EXPECT_NEAR(1.0, r.allocs, 0.01);
  EXPECT_LE(r.bytes, 52.0);  // was 136 (two allocations) with the values in a slot array
  EXPECT_EQ(kBars, FindGemStore().arrPoints.GetSize());
}

}  // namespace
