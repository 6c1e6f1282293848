// XMT_MOMENTUM beside momentum_bench and rrs_bench: XMT_UTC against the same sums on a bar
// manager held directly (no registry look-up, no conversions, no logging), and how XMT_UTC
// and XMT_RRS scale with the number of instances and with the stored history. The library
// is loaded by file name as the platform loads it.
//
//   build/release/bin/momentum_scaling_bench
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "bench/bench_kit.h"
#include "momentum/utc_module.h"
#include "momentum/xmt_momentum.h"
#include "studycore/barmgr/bar_mgr.h"

namespace {

constexpr int kLookBack = 50;
constexpr int kRrsScope = 10;  // small windows: 10,000 histories of scope 100 would take 400 MB

struct Fixture : BenchLibrary {
  XMT_UTC_fn utc = nullptr;
  XMT_RRS_fn rrs = nullptr;
  std::vector<HostBar> bars;  // usdchf_30min, host form

  Fixture() : BenchLibrary("momentum", "XMT_MOMENTUM") {
    Bind("XMT_UTC", &utc);
    Bind("XMT_RRS", &rrs);
    Report("momentum_scaling_bench");
    bars = HostBars(SampleFile("usdchf_30min.csv"), kSynthScale);
  }
};

Fixture& F() {
  static Fixture f;
  return f;
}


// One XMT_UTC call: a 30-minute bar, look-back kLookBack, no smoothing.
float UtcCall(const Fixture& f, const char* symbol, const HostBar& b, int number) {
  XmtSlot block[92] = {};
  const float s = kSynthScale;
  block[0].value = static_cast<float>(b.date);
  block[1].value = static_cast<float>(b.time);
  block[2].value = b.open / s;
  block[3].value = b.high / s;
  block[4].value = b.low / s;
  block[5].value = b.close / s;
  block[6].value = static_cast<float>(b.volume);
  block[7].value = static_cast<float>(number);
  block[8].value = 30;
  block[9].value = 1;
  block[11].value = kLookBack;
  block[12].value = 1;
  return f.utc(symbol, block);
}

// The same sum on a manager held directly (the module's own MomentumSum).
struct BareUtc {
  CBarMgr mgr;
  float Call(const CXMTDateTime& dt, const HostBar& b, int number) {
    const float s = kSynthScale;
    mgr.AddBar(dt, b.open / s, b.high / s, b.low / s, b.close / s, static_cast<float>(b.volume),
               number, 0);
    return static_cast<float>(MomentumSum(mgr, kLookBack));
  }
};

// One recalculation of the whole chart per iteration (bar numbers start over: the module
// starts over).
void BM_Utc_export(benchmark::State& state) {
  Fixture& f = F();
  NEED_LIBRARY(f);
  for (auto _ : state) {
    int number = 0;
    for (const HostBar& b : f.bars) benchmark::DoNotOptimize(UtcCall(f, "BENCH_UTC", b, ++number));
  }
  CountBars(state, f.bars.size());
}
BENCHMARK(BM_Utc_export)->Unit(benchmark::kMillisecond);

void BM_Utc_bare(benchmark::State& state) {
  Fixture& f = F();
  std::vector<CXMTDateTime> times;
  for (const HostBar& b : f.bars) times.emplace_back(b.date + 19000000, b.time * 100);
  if (f.ok) {  // the bare loop must give the export's numbers
    BareUtc check;
    int number = 0;
    for (size_t k = 0; k < f.bars.size(); ++k, ++number) {
      if (check.Call(times[k], f.bars[k], number + 1) != UtcCall(f, "BENCH_UTC_CHECK", f.bars[k], number + 1))
        return state.SkipWithError("the bare loop gives other numbers than the export");
    }
  }
  for (auto _ : state) {
    BareUtc bare;
    int number = 0;
    for (size_t k = 0; k < f.bars.size(); ++k)
      benchmark::DoNotOptimize(bare.Call(times[k], f.bars[k], ++number));
  }
  CountBars(state, f.bars.size());
}
BENCHMARK(BM_Utc_bare)->Unit(benchmark::kMillisecond);

// --- scaling ---------------------------------------------------------------------------------

// Calls go round N instances: call k feeds instance k % N its bar k / N (after a warm-up of
// 12 bars each outside the timing).
template <class Call>
void Interleaved(benchmark::State& state, Call call) {
  static const std::vector<HostBar> bars = MinuteBars(200000, 13);
  const size_t n = static_cast<size_t>(state.range(0));
  size_t k = 0;
  for (; k < n * 12; ++k) call(k % n, bars[k / n], static_cast<int>(k / n) + 1);
  for (auto _ : state) {
    for (int rep = 0; rep < 1000; ++rep, ++k) {
      const size_t bar = k / n;
      call(k % n, bars[bar % bars.size()], static_cast<int>(bar) + 1);
    }
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}

void BM_Utc_instances(benchmark::State& state) {
  Fixture& f = F();
  NEED_LIBRARY(f);
  const std::vector<std::string> ids =
      InstanceIds(RunName("UTCI" + std::to_string(state.range(0)) + "_").c_str(),
                  static_cast<int>(state.range(0)));
  Interleaved(state, [&](size_t i, const HostBar& b, int number) {
    benchmark::DoNotOptimize(UtcCall(f, ids[i].c_str(), b, number));
  });
}
BENCHMARK(BM_Utc_instances)->Arg(1)->Arg(100)->Arg(10000)->Repetitions(kRepetitions)
    ->Unit(benchmark::kMicrosecond);

// XMT_RRS keys its histories by scope, response factor, bar type and nExtra: the instances
// are told apart by nExtra (daily bars, so no day restarts), each run of a case on keys of
// its own.
void BM_Rrs_instances(benchmark::State& state) {
  Fixture& f = F();
  NEED_LIBRARY(f);
  const int n = static_cast<int>(state.range(0));
  const int base = n * 100000 + (NextRun("RRSI" + std::to_string(n)) - 1) * n;
  Interleaved(state, [&](size_t i, const HostBar& b, int) {
    benchmark::DoNotOptimize(
        f.rrs(kRrsScope, 1, b.Close(), b.date, b.time, 60, 0, 2, base + static_cast<int>(i) + 1));
  });
}
BENCHMARK(BM_Rrs_instances)->Arg(1)->Arg(100)->Arg(10000)->Repetitions(kRepetitions)
    ->Unit(benchmark::kMicrosecond);

// One instance filled with N bars outside the timing, then 1000 more bars per iteration
// (kHistoryIterations of them).
template <class Call>
void History(benchmark::State& state, Call call) {
  static const std::vector<HostBar> bars = MinuteBars(kHistoryBars, 17);
  size_t k = 0;
  for (; k < static_cast<size_t>(state.range(0)) + kPastGrowth; ++k)
    call(bars[k], static_cast<int>(k) + 1);
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i, ++k) call(bars[k], static_cast<int>(k) + 1);
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}

void BM_Utc_history(benchmark::State& state) {
  Fixture& f = F();
  NEED_LIBRARY(f);
  const std::string id = RunName("BENCH_UTCH" + std::to_string(state.range(0)) + "_");
  History(state, [&](const HostBar& b, int number) {
    benchmark::DoNotOptimize(UtcCall(f, id.c_str(), b, number));
  });
}
BENCHMARK(BM_Utc_history)->Arg(1000)->Arg(100000)->Arg(1000000)
    ->Iterations(kHistoryIterations)->Repetitions(kRepetitions)->Unit(benchmark::kMicrosecond);

void BM_Rrs_history(benchmark::State& state) {
  Fixture& f = F();
  NEED_LIBRARY(f);
  const int extra = 900000000 + static_cast<int>(state.range(0) % 1000000) +
                    NextRun("RRSH" + std::to_string(state.range(0)));
  History(state, [&](const HostBar& b, int) {
    benchmark::DoNotOptimize(f.rrs(100, 1, b.Close(), b.date, b.time, 60, 0, 2, extra));
  });
}
BENCHMARK(BM_Rrs_history)->Arg(1000)->Arg(100000)->Arg(1000000)
    ->Iterations(kHistoryIterations)->Repetitions(kRepetitions)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
