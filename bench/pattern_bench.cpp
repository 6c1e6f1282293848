// Per-bar cost of the XMT_PATTERN exports over the sample data, loaded by name as the
// platform loads them, each against the bar manager and pivot engine driven directly
// (no registry look-up, no conversions, no logging); how the zig-zag pair scales with the
// number of instances and the stored history; and the text helpers every export leans on.
//
//   build/release/bin/pattern_bench
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/bench_kit.h"
#include "common/text/text_helpers.h"
#include "common/text/txt.h"
#include "hostbridge/slot_block.h"
#include "pattern/xmt_pattern.h"
#include "studycore/barmgr/bar_mgr.h"

namespace {

constexpr int kLeft = 5, kRight = 5;
constexpr size_t kWarmBars = 12;

struct Fixture : BenchLibrary {
  std::vector<HostBar> ttrc, usdchf;
  XMT_ZZ_AddBar_fn addBar = nullptr;
  XMT_ZZ_CalcPiv_fn calcPiv = nullptr;
  XMT_RS_ChkPiv_fn rsCheck = nullptr;

  Fixture() : BenchLibrary("pattern", "XMT_PATTERN") {
    Bind("XMT_ZZ_AddBar", &addBar);
    Bind("XMT_ZZ_CalcPiv", &calcPiv);
    Bind("XMT_RS_ChkPiv", &rsCheck);
    Report("pattern_bench");
    ttrc = HostBars(SampleFile("ttrc_daily.csv"), kSynthScale);
    usdchf = HostBars(SampleFile("usdchf_30min.csv"), kSynthScale);
  }
};

Fixture& F() {
  static Fixture f;
  return f;
}


// One zig-zag bar through the exports: add it, then look for the pivot `right` bars back.
int ZigZagCall(const Fixture& f, const char* id, const HostBar& b, int number) {
  int index = f.addBar(1, id, b.date, b.time, number, kSynthScale, &b.open, &b.high, &b.low,
                       &b.close, b.volume);
  XmtSlot block[12];
  return f.calcPiv(0, id, index + 1, kLeft, kRight, block);
}

// The same on a manager held directly: the bar manager and pivot engine calls of the pair.
struct BareZigZag {
  CBarMgr mgr;
  std::vector<CXMTDateTime> times;
  explicit BareZigZag(const std::vector<HostBar>& bars) {
    mgr.SetFlag(kBarMgrFilterBit, 1);
    for (const HostBar& b : bars) times.emplace_back(b.date + 19000000, b.time * 100);
  }
  int Call(const HostBar& b, size_t k, int number) { return CallAt(b, times[k], number); }
  int last = -1;
  int CallAt(const HostBar& b, const CXMTDateTime& dt, int number) {
    if (number < last) Restart();  // the frame's restart: the bars stay, the pivots go
    last = number;
    const float s = kSynthScale;
    const int n = mgr.AddBar(dt, b.open / s, b.high / s, b.low / s, b.close / s,
                             static_cast<float>(b.volume), number, 1);
    XmtSlot block[12];
    SlotBlock out(block);
    const CBarMgrPivot* pivot = mgr.CalcPivot(n, kLeft, kRight);
    if (!pivot) return 0;
    CBarMgr::WritePivotSlots(*pivot, n, out);
    const int direction = pivot->direction;
    int result = direction;
    if (mgr.ConsolidatePivots(n, out.From(4)) > 0) result = 2 * direction;
    if (const CBarMgrPivot* other = mgr.FindOppositePivot(direction))
      CBarMgr::WritePivotSlots(*other, n, out.From(8));
    return result;
  }
  // A recalculation: bar numbers start over, the bars stay and the pivots go.
  void Restart() { mgr.Release(0); }
};

// One recalculation of a whole chart per iteration: bar numbers start over, so the instance
// keeps its bars and finds each one again, as when the platform recalculates a study.
void BM_ZigZag_export(benchmark::State& state) {
  Fixture& f = F();
  NEED_LIBRARY(f);
  for (auto _ : state) {
    int number = 0;
    for (const HostBar& b : f.ttrc) benchmark::DoNotOptimize(ZigZagCall(f, "BENCH_ZZ", b, ++number));
  }
  CountBars(state, f.ttrc.size());
}
BENCHMARK(BM_ZigZag_export)->Unit(benchmark::kMillisecond);

void BM_ZigZag_bare(benchmark::State& state) {
  Fixture& f = F();
  BareZigZag bare(f.ttrc);
  if (f.ok) {  // the bare loop must give the export's numbers
    int number = 0;
    for (size_t k = 0; k < f.ttrc.size(); ++k, ++number) {
      if (bare.Call(f.ttrc[k], k, number + 1) != ZigZagCall(f, "BENCH_ZZ_CHECK", f.ttrc[k], number + 1))
        return state.SkipWithError("the bare loop gives other numbers than the export");
    }
  }
  for (auto _ : state) {
    bare.Restart();
    int number = 0;
    for (size_t k = 0; k < f.ttrc.size(); ++k)
      benchmark::DoNotOptimize(bare.Call(f.ttrc[k], k, ++number));
  }
  CountBars(state, f.ttrc.size());
}
BENCHMARK(BM_ZigZag_bare)->Unit(benchmark::kMillisecond);

// The support/resistance check: one price per bar, the same frame and pivot engine, and a
// log line on every pivot it finds.
void BM_RsCheck_export(benchmark::State& state) {
  Fixture& f = F();
  NEED_LIBRARY(f);
  const size_t lines = LogLineCount("XMT_PATTERN");
  for (auto _ : state) {
    int number = 0;
    for (const HostBar& b : f.usdchf) {
      XmtSlot block[20];
      benchmark::DoNotOptimize(f.rsCheck("BENCH_RS", b.date, b.time, ++number, kSynthScale,
                                         nullptr, nullptr, nullptr, &b.close, b.volume, 10, 10,
                                         block));
    }
  }
  CountBars(state, f.usdchf.size());
  CountLogLines(state, "XMT_PATTERN", lines,
                static_cast<size_t>(state.iterations()) * f.usdchf.size());
}
BENCHMARK(BM_RsCheck_export)->Repetitions(kRepetitions)->Unit(benchmark::kMillisecond);

void BM_RsCheck_bare(benchmark::State& state) {
  Fixture& f = F();
  CBarMgr mgr;
  mgr.SetFlag(kBarMgrFilterBit, 1);
  std::vector<CXMTDateTime> times;
  for (const HostBar& b : f.usdchf) times.emplace_back(b.date + 19000000, b.time * 100);
  for (auto _ : state) {
    mgr.Release(0);
    int number = 0;
    for (size_t k = 0; k < f.usdchf.size(); ++k) {
      const float p = static_cast<float>(f.usdchf[k].close) / kSynthScale;
      const int n = mgr.AddBar(times[k], p, p, p, p, 0.0f, ++number, 1);
      XmtSlot block[20];
      SlotBlock out(block);
      const CBarMgrPivot* found = mgr.CalcPivot(n, 10, 10);
      if (!found) continue;
      const CBarMgrPivot pivot = *found;
      CBarMgr::WritePivotSlots(pivot, n, out);
      mgr.ConsolidatePivots(n, out.From(4));
      if (const CBarMgrPivot* other = mgr.FindOppositePivot(pivot.direction))
        CBarMgr::WritePivotSlots(*other, n, out.From(8));
      benchmark::DoNotOptimize(block);
    }
  }
  CountBars(state, f.usdchf.size());
}
BENCHMARK(BM_RsCheck_bare)->Repetitions(kRepetitions)->Unit(benchmark::kMillisecond);

// --- scaling -----------------------------------------------------------------------------

// Calls go round the instances: call k feeds instance k % N its bar k / N.
void BM_ZigZag_instances(benchmark::State& state) {
  Fixture& f = F();
  NEED_LIBRARY(f);
  static const std::vector<HostBar> bars = MinuteBars(200000, 3);
  const size_t n = static_cast<size_t>(state.range(0));
  const std::vector<std::string> ids =
      InstanceIds(RunName("ZZI" + std::to_string(n) + "_").c_str(), static_cast<int>(n));
  // Warm-up outside the timing: every instance gets its first bars (and its first list
  // growth past 10 bars), as charts that have been running for a while.
  size_t k = 0;
  for (; k < n * kWarmBars; ++k) {
    const size_t bar = k / n;
    ZigZagCall(f, ids[k % n].c_str(), bars[bar], static_cast<int>(bar) + 1);
  }
  for (auto _ : state) {
    for (int rep = 0; rep < 1000; ++rep, ++k) {
      const size_t bar = k / n;
      benchmark::DoNotOptimize(
          ZigZagCall(f, ids[k % n].c_str(), bars[bar % bars.size()], static_cast<int>(bar) + 1));
    }
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_ZigZag_instances)->Arg(1)->Arg(100)->Arg(10000)->Repetitions(kRepetitions)
    ->Unit(benchmark::kMicrosecond);

// The same rounds on managers held in a plain array: what the data of many instances costs
// without any look-up.
void BM_ZigZag_instances_bare(benchmark::State& state) {
  static const std::vector<HostBar> bars = MinuteBars(200000, 3);
  const size_t n = static_cast<size_t>(state.range(0));
  std::vector<std::unique_ptr<BareZigZag>> managers;
  for (size_t i = 0; i < n; ++i) managers.push_back(std::make_unique<BareZigZag>(std::vector<HostBar>()));
  std::vector<CXMTDateTime> times;
  for (const HostBar& b : bars) times.emplace_back(b.date + 19000000, b.time * 100);
  auto call = [&](size_t k) {
    const size_t bar = (k / n) % bars.size();
    BareZigZag& z = *managers[k % n];
    return z.CallAt(bars[bar], times[bar], static_cast<int>(bar) + 1);
  };
  size_t k = 0;
  for (; k < n * kWarmBars; ++k) call(k);
  for (auto _ : state) {
    for (int rep = 0; rep < 1000; ++rep, ++k) benchmark::DoNotOptimize(call(k));
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_ZigZag_instances_bare)->Arg(1)->Arg(100)->Arg(10000)->Repetitions(kRepetitions)
    ->Unit(benchmark::kMicrosecond);

// One instance filled with N bars outside the timing, then 1000 more bars per iteration.
void BM_ZigZag_history(benchmark::State& state) {
  Fixture& f = F();
  NEED_LIBRARY(f);
  static const std::vector<HostBar> bars = MinuteBars(kHistoryBars, 5);
  const std::string id = RunName("BENCH_ZZH" + std::to_string(state.range(0)) + "_");
  size_t k = 0;
  for (; k < static_cast<size_t>(state.range(0)) + kPastGrowth; ++k)
    ZigZagCall(f, id.c_str(), bars[k], static_cast<int>(k) + 1);
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i, ++k)
      benchmark::DoNotOptimize(ZigZagCall(f, id.c_str(), bars[k], static_cast<int>(k) + 1));
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_ZigZag_history)->Arg(1000)->Arg(100000)->Arg(1000000)
    ->Iterations(kHistoryIterations)->Repetitions(kRepetitions)->Unit(benchmark::kMicrosecond);

// --- text helpers --------------------------------------------------------------------------

void BM_TxtFormat(benchmark::State& state) {
  CTxt t;
  for (auto _ : state) benchmark::DoNotOptimize(t.Format("Bar=%5u, Prc=%9.4f, Dir=%c%d", 812u, 1.2345, '-', 1));
}
BENCHMARK(BM_TxtFormat);

void BM_Strfld(benchmark::State& state) {
  char out[64];
  for (auto _ : state) benchmark::DoNotOptimize(strfld("a  b c,d e f g", ' ', -2, 0, out, sizeof out));
}
BENCHMARK(BM_Strfld);

}  // namespace

BENCHMARK_MAIN();
