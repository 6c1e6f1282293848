// What a stored bar costs in memory in each history: the bar manager's bars, RareAvg's bars
// and the FindGem store. Heap calls are counted on this program's side (malloc, calloc,
// realloc and free wrapped at link time, operator new routed through malloc) with the
// allocator's usable size of every block, while a history grows by many bars; the bytes
// include the record, its pointer slot in the list and the list's growth.
//
// Each case prints "history_memory <name> bars=<n> record=<bytes> allocs_per_bar=<x>
// bytes_per_bar=<y>" for scripts/run-bench.sh, and fails when a bar costs more than its bound.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <new>

#if defined(_WIN32)
#include <malloc.h>
#define XMT_USABLE_SIZE _msize
#else
#include <malloc.h>
#define XMT_USABLE_SIZE malloc_usable_size
#endif

#include "common/settings/settings.h"
#include "pattern/barmgr/bar_mgr.h"
#include "signals/find_gem.h"
#include "signals/rare_avg.h"

// --- counting -------------------------------------------------------------------------------

namespace {

bool g_counting = false;
long long g_allocs = 0;
long long g_bytes = 0;  // usable bytes allocated minus freed while counting

void Added(void* p) {
  if (g_counting && p) {
    ++g_allocs;
    g_bytes += static_cast<long long>(XMT_USABLE_SIZE(p));
  }
}
void Removed(void* p) {
  if (g_counting && p) g_bytes -= static_cast<long long>(XMT_USABLE_SIZE(p));
}

}  // namespace

extern "C" {
void* __real_malloc(size_t n);
void* __real_calloc(size_t n, size_t size);
void* __real_realloc(void* p, size_t n);
void __real_free(void* p);

void* __wrap_malloc(size_t n) {
  void* p = __real_malloc(n);
  Added(p);
  return p;
}
void* __wrap_calloc(size_t n, size_t size) {
  void* p = __real_calloc(n, size);
  Added(p);
  return p;
}
void* __wrap_realloc(void* p, size_t n) {
  Removed(p);
  void* q = __real_realloc(p, n);
  Added(q ? q : (n ? p : nullptr));
  return q;
}
void __wrap_free(void* p) {
  Removed(p);
  __real_free(p);
}
}  // extern "C"

void* operator new(size_t n) {
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t n) { return operator new(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return std::malloc(n ? n : 1); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return std::malloc(n ? n : 1); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace {

constexpr int kBars = 200000;

struct PerBar {
  double allocs = 0;
  double bytes = 0;
};

// Runs add(i) for i in 0 .. kBars - 1 while counting.
template <class Add>
PerBar Measure(const char* name, size_t record, Add add) {
  g_allocs = 0;
  g_bytes = 0;
  g_counting = true;
  for (int i = 0; i < kBars; ++i) add(i);
  g_counting = false;
  PerBar r{static_cast<double>(g_allocs) / kBars, static_cast<double>(g_bytes) / kBars};
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
