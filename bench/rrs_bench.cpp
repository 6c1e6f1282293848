// Cost of one XMT_RRS call (the export compiled into this program) against the direct
// computation (every slope of the window and a sort per point), in the same run over the
// same closes of usdchf_30min.csv, at the scopes a study uses. Both keep their history the same way (daily bars: no daily restart); each
// timed call is one new point after a warm-up longer than the scope.
//
// BM_RrsSameAsDirect is the heavy comparison the tests only sample: every call of a long
// run, both ways, counted in "mismatches" (an error when not 0).
//
//   build/release/bin/rrs_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "momentum/rrs.h"
#include "momentum/testing/rrs_direct.h"
#include "momentum/testing/sample_series.h"
#include "momentum/xmt_momentum.h"

namespace {

const std::vector<HostSeriesBar>& Series() {
  static const std::vector<HostSeriesBar> s = ReadHostSeries(XMT_DATA_DIR, "usdchf_30min.csv");
  return s;
}

constexpr int kBarType = 2;  // daily bars: the window slides over the whole series

float Call(int scope, int respFac, const HostSeriesBar& s, int mode = 1) {
  return XMT_RRS(scope, mode, s.close, s.date, s.time, respFac, 0, kBarType, 0);
}

// One call per iteration, the series fed in order; one warm-up of 2 * scope calls first.
void BM_RrsPerCall(benchmark::State& state) {
  const int scope = static_cast<int>(state.range(0));
  const auto& s = Series();
  if (s.size() < 4000) return state.SkipWithError("usdchf_30min.csv missing");
  ReleaseRrsHistories();
  size_t i = 0;
  for (; i < static_cast<size_t>(2 * scope); ++i) Call(scope, 1, s[i]);
  for (auto _ : state) {
    if (i == s.size()) {  // the host starts over: warm up again, untimed
      state.PauseTiming();
      ReleaseRrsHistories();
      for (i = 0; i < static_cast<size_t>(2 * scope); ++i) Call(scope, 1, s[i]);
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(Call(scope, 1, s[i++]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RrsPerCall)->Arg(10)->Arg(100)->Arg(500)->Unit(benchmark::kMicrosecond);

void BM_DirectPerCall(benchmark::State& state) {
  const int scope = static_cast<int>(state.range(0));
  const auto& s = Series();
  if (s.size() < 4000) return state.SkipWithError("usdchf_30min.csv missing");
  DirectRrsHistory direct(scope);
  size_t i = 0;
  auto warmUp = [&] {
    direct = DirectRrsHistory(scope);
    for (i = 0; i < static_cast<size_t>(2 * scope); ++i)
      direct.Call(1, s[i].close, s[i].date, kBarType, 0, false);
  };
  warmUp();
  for (auto _ : state) {
    if (i == s.size()) {
      state.PauseTiming();
      warmUp();
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(direct.Call(1, s[i].close, s[i].date, kBarType, 0));
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DirectPerCall)->Arg(10)->Arg(100)->Arg(500)->Unit(benchmark::kMicrosecond);

// Every call of the first range(1) closes at scope range(0), both ways.
void BM_RrsSameAsDirect(benchmark::State& state) {
  const int scope = static_cast<int>(state.range(0));
  const auto& s = Series();
  const size_t calls = std::min(s.size(), static_cast<size_t>(state.range(1)));
  long mismatches = 0;
  for (auto _ : state) {
    ReleaseRrsHistories();
    DirectRrsHistory direct(scope);
    for (size_t i = 0; i < calls; ++i) {
      const int mode = i % 2 ? 2 : 1;
      const float expect = direct.Call(mode, s[i].close, s[i].date, kBarType, 0);
      const float got = Call(scope, 2, s[i], mode);
      if (!SameRrsResult(expect, got)) {
        if (++mismatches <= 5)
          std::fprintf(stderr, "scope %d call %zu: %.9g instead of %.9g\n", scope, i,
                       static_cast<double>(got), static_cast<double>(expect));
      }
    }
  }
  state.counters["calls"] = static_cast<double>(calls);
  state.counters["mismatches"] = static_cast<double>(mismatches);
  if (mismatches) state.SkipWithError("results differ from the direct computation");
}
BENCHMARK(BM_RrsSameAsDirect)
    ->Args({100, 62496})
    ->Args({500, 4000})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
