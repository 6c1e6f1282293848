// Per-bar cost of the XMT_SIGNALS exports that compute from a bar (the file exports are in
// signals_io_bench.cpp, the buy/sell pressure in bsp_bench.cpp), loaded by file name as the
// platform loads them, each against the same computation on the feature classes without the
// frame (no registry look-up, no conversions, no logging); and how RareAvg and the trend
// band scale with the number of instances and with the stored history.
//
//   build/release/bin/signals_bench
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/bench_kit.h"
#include "common/datetime/date_time.h"
#include "signals/find_gem.h"
#include "signals/rare_avg.h"
#include "signals/trend_reversal.h"
#include "signals/xmt_signals.h"

namespace {

constexpr int kRegr = 20, kWgt = 6, kResp = 60, kDaily = 2, kFast = 10, kSlow = 120;
constexpr int kGemMode = 20;  // scope 20, stop at the day's end, price units

struct Fixture : BenchLibrary {
  XMT_RareAvg_fn rareAvg = nullptr;
  XMT_TrendReversal_fn trendRev = nullptr;
  XMT_FindGemAdd_fn gemAdd = nullptr;
  XMT_FindGemCalc_fn gemCalc = nullptr;
  std::vector<HostBar> bars;  // usdchf_30min, host form

  Fixture() : BenchLibrary("signals", "XMT_SIGNALS") {
    Bind("XMT_RareAvg", &rareAvg);
    Bind("XMT_TrendReversal", &trendRev);
    Bind("XMT_FindGemAdd", &gemAdd);
    Bind("XMT_FindGemCalc", &gemCalc);
    Report("signals_bench");
    bars = HostBars(SampleFile("usdchf_30min.csv"), kSynthScale);
  }
};

Fixture& F() {
  static Fixture f;
  return f;
}

// --- RareAvg -----------------------------------------------------------------------------

void BM_RareAvg_export(benchmark::State& state) {
  Fixture& f = F();
  NEED_LIBRARY(f);
  float last = 0;
  for (auto _ : state) {
    int id = 0;
    for (const HostBar& b : f.bars)
      last = f.rareAvg("BENCH_RA", kRegr, kWgt, b.Close(), b.date, b.time, kResp, 0, kDaily, 0,
                       ++id);
  }
  benchmark::DoNotOptimize(last);
  CountBars(state, f.bars.size());
}
BENCHMARK(BM_RareAvg_export)->Unit(benchmark::kMillisecond);

void BM_RareAvg_bare(benchmark::State& state) {
  Fixture& f = F();
  CRareAvgSet set;
  set.nScopeRegr = kRegr;
  set.nScopeWgt = kWgt;
  set.nRespFac = kResp;
  set.nBarType = kDaily;
  auto pass = [&](std::vector<float>* out) {
    float last = 0;
    for (const HostBar& b : f.bars) {
      set.AddBar(b.date, b.time, b.Close());
      if (!set.Calculate(kResp, last)) last = kRareAvgNoValue;
      if (out) out->push_back(last);
    }
    return last;
  };
  if (f.ok) {  // the bare loop must give the export's numbers
    std::vector<float> bare;
    pass(&bare);
    int id = 0;
    for (size_t k = 0; k < f.bars.size(); ++k) {
      const HostBar& b = f.bars[k];
      if (f.rareAvg("BENCH_RA_CHECK", kRegr, kWgt, b.Close(), b.date, b.time, kResp, 0, kDaily, 0,
                    ++id) != bare[k])
        return state.SkipWithError("the bare loop gives other numbers than the export");
    }
  }
  for (auto _ : state) benchmark::DoNotOptimize(pass(nullptr));
  CountBars(state, f.bars.size());
}
BENCHMARK(BM_RareAvg_bare)->Unit(benchmark::kMillisecond);

// --- trend band --------------------------------------------------------------------------

void BM_TrendReversal_export(benchmark::State& state) {
  Fixture& f = F();
  NEED_LIBRARY(f);
  float pos = 0, width = 0;
  for (auto _ : state) {
    for (const HostBar& b : f.bars)
      f.trendRev(0, "BENCH_TR", b.date, b.time, 1, 30, b.Close(), 1.0f, kFast, kSlow, &pos,
                 &width);
  }
  benchmark::DoNotOptimize(pos);
  CountBars(state, f.bars.size());
}
BENCHMARK(BM_TrendReversal_export)->Unit(benchmark::kMillisecond);

void BM_TrendReversal_bare(benchmark::State& state) {
  Fixture& f = F();
  CTrendRevSym set;
  set.nFast = kFast;
  set.nSlow = kSlow;
  float pos = 0, width = 0;
  if (f.ok) {  // the bare loop must give the export's numbers
    set.BuildStacks();
    float p = 0, w = 0;
    for (const HostBar& b : f.bars) {
      const int bare = set.Evaluate(b.Close(), 1.0f, pos, width);
      if (f.trendRev(0, "BENCH_TR_CHECK", b.date, b.time, 1, 30, b.Close(), 1.0f, kFast, kSlow, &p,
                     &w) != bare ||
          p != pos || w != width)
        return state.SkipWithError("the bare loop gives other numbers than the export");
      pos = width = 0;
    }
  }
  for (auto _ : state) {
    set.BuildStacks();  // the export starts over when the chart's first bar comes again
    for (const HostBar& b : f.bars) set.Evaluate(b.Close(), 1.0f, pos, width);
  }
  benchmark::DoNotOptimize(pos);
  CountBars(state, f.bars.size());
}
BENCHMARK(BM_TrendReversal_bare)->Unit(benchmark::kMillisecond);

// --- FindGem: add the bar, then the excursions of the bar scope bars back -----------------

void BM_FindGem_export(benchmark::State& state) {
  Fixture& f = F();
  NEED_LIBRARY(f);
  float lp = 0, lm = 0, sp = 0, sm = 0;
  const size_t lines = LogLineCount("XMT_F1");
  for (auto _ : state) {
    for (const HostBar& b : f.bars) {
      f.gemAdd(0, "BENCH_GEM", b.date, b.time, kSynthScale, &b.open, &b.high, &b.low, &b.close,
               &b.volume, kGemMode);
      f.gemCalc(0, "BENCH_GEM", b.date, b.time, &lp, &lm, &sp, &sm);
    }
  }
  benchmark::DoNotOptimize(lp);
  CountBars(state, f.bars.size());
  CountLogLines(state, "XMT_F1", lines, static_cast<size_t>(state.iterations()) * f.bars.size());
}
BENCHMARK(BM_FindGem_export)->Repetitions(kRepetitions)->Unit(benchmark::kMillisecond);

void KeepMoves(float ref, float hi, float lo, float& bestRise, float& bestFall) {
  if (!(ref > 0)) return;
  if (hi - ref > bestRise) bestRise = hi - ref;
  if (ref - lo > bestFall) bestFall = ref - lo;
}

void BM_FindGem_bare(benchmark::State& state) {
  Fixture& f = F();
  CFindGemDB db;
  db.nScope = kGemMode;
  std::vector<CXMTDateTime> times;
  for (const HostBar& b : f.bars) times.emplace_back(b.date + 19000000, b.time * 100);
  const float scale = static_cast<float>(kSynthScale);
  float sum = 0;
  for (auto _ : state) {
    for (size_t k = 0; k < f.bars.size(); ++k) {
      const HostBar& b = f.bars[k];
      if (db.Find(times[k]) < 0) {
        auto* point = new CFindGemPoint;
        point->dtBar = times[k];
        int i = 0;
        for (int v : {b.open, b.high, b.low, b.close}) point->arrVal.v[i++] = static_cast<float>(v) / scale;
        point->arrVal.v[4] = static_cast<float>(b.volume);
        db.arrPoints.Add(point);
      }
      const int end = db.Find(times[k]);
      if (end - db.nScope < 0) continue;
      const CFindGemPoint* ref = db.arrPoints[end - db.nScope];
      float lp = 0, lm = 0, sp = 0, sm = 0;
      for (int i = end - db.nScope + 1; i <= end; ++i) {
        const CFindGemPoint* bar = db.arrPoints[i];
        if (bar->dtBar.day != ref->dtBar.day || bar->dtBar.month != ref->dtBar.month) break;
        KeepMoves(ref->arrVal.GetAt(2), bar->arrVal.GetAt(1), bar->arrVal.GetAt(2), lm, lp);
        KeepMoves(ref->arrVal.GetAt(1), bar->arrVal.GetAt(1), bar->arrVal.GetAt(2), sp, sm);
      }
      sum += lp + lm + sp + sm;
    }
  }
  benchmark::DoNotOptimize(sum);
  CountBars(state, f.bars.size());
}
BENCHMARK(BM_FindGem_bare)->Repetitions(kRepetitions)->Unit(benchmark::kMillisecond);

// --- scaling: instances interleaved --------------------------------------------------------

// Calls go round the instances: call k feeds instance k % N its bar k / N, so every
// instance sees a rising series and the registry is searched with a different ID each time.
template <class Call>
void Interleaved(benchmark::State& state, const char* prefix, Call call) {
  static const std::vector<HostBar> bars = MinuteBars(200000, 7);
  const int n = static_cast<int>(state.range(0));
  const std::vector<std::string> ids = InstanceIds(prefix, n);
  // Warm-up outside the timing: every instance gets its first bars.
  size_t k = 0;
  for (; k < static_cast<size_t>(n) * 12; ++k) {
    const size_t bar = k / static_cast<size_t>(n);
    call(ids[k % static_cast<size_t>(n)].c_str(), bars[bar], static_cast<int>(bar) + 1);
  }
  for (auto _ : state) {
    for (int rep = 0; rep < 1000; ++rep, ++k) {
      const size_t bar = k / static_cast<size_t>(n);
      call(ids[k % static_cast<size_t>(n)].c_str(), bars[bar % bars.size()],
           static_cast<int>(bar) + 1);
    }
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}

void BM_RareAvg_instances(benchmark::State& state) {
  Fixture& f = F();
  NEED_LIBRARY(f);
  Interleaved(state, RunName("RAI" + std::to_string(state.range(0)) + "_").c_str(),
              [&f](const char* id, const HostBar& b, int barId) {
                benchmark::DoNotOptimize(f.rareAvg(id, kRegr, kWgt, b.Close(), b.date, b.time,
                                                   kResp, 0, kDaily, 0, barId));
              });
}
BENCHMARK(BM_RareAvg_instances)->Arg(1)->Arg(100)->Arg(10000)->Repetitions(kRepetitions)
    ->Unit(benchmark::kMicrosecond);

void BM_TrendReversal_instances(benchmark::State& state) {
  Fixture& f = F();
  NEED_LIBRARY(f);
  float pos = 0, width = 0;
  Interleaved(state, RunName("TRI" + std::to_string(state.range(0)) + "_").c_str(),
              [&](const char* id, const HostBar& b, int) {
                f.trendRev(0, id, b.date, b.time, 1, 1, b.Close(), 1.0f, kFast, kSlow, &pos,
                           &width);
              });
  benchmark::DoNotOptimize(pos);
}
BENCHMARK(BM_TrendReversal_instances)->Arg(1)->Arg(100)->Arg(10000)->Repetitions(kRepetitions)
    ->Unit(benchmark::kMicrosecond);

// The same rounds on instances held in a plain array, without the registry.
template <class Set, class Call>
void InterleavedBare(benchmark::State& state, Call call) {
  static const std::vector<HostBar> bars = MinuteBars(200000, 7);
  const size_t n = static_cast<size_t>(state.range(0));
  std::vector<std::unique_ptr<Set>> sets;
  for (size_t i = 0; i < n; ++i) sets.push_back(std::make_unique<Set>());
  size_t k = 0;
  for (; k < n * 12; ++k) call(*sets[k % n], bars[k / n]);
  for (auto _ : state) {
    for (int rep = 0; rep < 1000; ++rep, ++k) call(*sets[k % n], bars[(k / n) % bars.size()]);
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}

void BM_RareAvg_instances_bare(benchmark::State& state) {
  InterleavedBare<CRareAvgSet>(state, [](CRareAvgSet& set, const HostBar& b) {
    if (set.nCur < 0) {
      set.nScopeRegr = kRegr;
      set.nScopeWgt = kWgt;
      set.nRespFac = kResp;
      set.nBarType = kDaily;
    }
    float r = 0;
    set.AddBar(b.date, b.time, b.Close());
    benchmark::DoNotOptimize(set.Calculate(kResp, r));
  });
}
BENCHMARK(BM_RareAvg_instances_bare)->Arg(1)->Arg(100)->Arg(10000)->Repetitions(kRepetitions)
    ->Unit(benchmark::kMicrosecond);

void BM_TrendReversal_instances_bare(benchmark::State& state) {
  float pos = 0, width = 0;
  InterleavedBare<CTrendRevSym>(state, [&](CTrendRevSym& set, const HostBar& b) {
    if (set.arrStacks.GetSize() == 0) {
      set.nFast = kFast;
      set.nSlow = kSlow;
      set.BuildStacks();
    }
    set.Evaluate(b.Close(), 1.0f, pos, width);
  });
  benchmark::DoNotOptimize(pos);
}
BENCHMARK(BM_TrendReversal_instances_bare)->Arg(1)->Arg(100)->Arg(10000)
    ->Repetitions(kRepetitions)->Unit(benchmark::kMicrosecond);

// --- scaling: stored history ----------------------------------------------------------------

// One instance is filled with N bars outside the timing; then 1000 more bars are timed per
// iteration (kHistoryIterations of them, a few per cent of the largest history).
constexpr int kHistoryBatch = 1000;

template <class Call>
void History(benchmark::State& state, Call call) {
  const size_t n = static_cast<size_t>(state.range(0));
  static const std::vector<HostBar> bars = MinuteBars(kHistoryBars, 11);
  size_t k = 0;
  for (; k < n + kPastGrowth; ++k) call(bars[k], static_cast<int>(k) + 1);
  for (auto _ : state) {
    for (int i = 0; i < kHistoryBatch; ++i, ++k) call(bars[k], static_cast<int>(k) + 1);
  }
  state.SetItemsProcessed(state.iterations() * kHistoryBatch);
}

void BM_RareAvg_history(benchmark::State& state) {
  Fixture& f = F();
  NEED_LIBRARY(f);
  const std::string id = RunName("BENCH_RAH" + std::to_string(state.range(0)) + "_");
  History(state, [&](const HostBar& b, int barId) {
    benchmark::DoNotOptimize(f.rareAvg(id.c_str(), kRegr, kWgt, b.Close(), b.date, b.time, kResp,
                                       0, 1, 1, barId));
  });
}
BENCHMARK(BM_RareAvg_history)->Arg(1000)->Arg(100000)->Arg(1000000)
    ->Iterations(kHistoryIterations)->Repetitions(kRepetitions)->Unit(benchmark::kMicrosecond);

void BM_TrendReversal_history(benchmark::State& state) {
  Fixture& f = F();
  NEED_LIBRARY(f);
  const std::string id = RunName("BENCH_TRH" + std::to_string(state.range(0)) + "_");
  float pos = 0, width = 0;
  History(state, [&](const HostBar& b, int) {
    f.trendRev(0, id.c_str(), b.date, b.time, 1, 1, b.Close(), 1.0f, kFast, kSlow, &pos, &width);
  });
  benchmark::DoNotOptimize(pos);
}
BENCHMARK(BM_TrendReversal_history)->Arg(1000)->Arg(100000)->Arg(1000000)
    ->Iterations(kHistoryIterations)->Repetitions(kRepetitions)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
