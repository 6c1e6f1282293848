// Per-bar cost of the buy/sell pressure, loaded by file name as the platform loads it:
// XMT_BSP through the in-memory study object, which finds the instance, reads the bar's up
// and down ticks and the array "arrBSP", and on each new bar runs XMT_BSPCalc's pressure
// and averages and writes them into the array (no export hands a study the instance that
// XMT_BSPCalc takes, so a study gets its pressure this way). Against it: the same
// pressure and averages computed on an instance held directly, from ticks already read
// (no registry look-up, no host calls, no logging).
//
//   build/release/bin/bsp_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_kit.h"
#include "hostbridge/testing/fake_host.h"
#include "signals/bsp.h"
#include "signals/xmt_signals.h"
#include "tools/xmt-host/study_kit.h"

namespace {

constexpr int kAvgLen = 10, kVolLen = 20, kStyle = 2;

// The values XMT_BSP writes into "arrBSP" for one bar, in element order 0, 1, 5, 6, 7.
struct Pressure {
  float value[5] = {};
};
constexpr int kWritten[5] = {kBspElemPressure, kBspElemAvgPressure, kBspElemAvgBuy,
                             kBspElemAvgSell, kBspElemAvgVolume};

struct Fixture : BenchLibrary {
  XMT_BSP_fn bsp = nullptr;
  FakeHost host;  // ttrc_daily with its volume split into up and down ticks
  std::vector<float> up, down;

  Fixture() : BenchLibrary("bsp", "XMT_SIGNALS") {
    Bind("XMT_BSP", &bsp);
    Report("bsp_bench");
    FakeVariable& array = host.AddArray("arrBSP", {kBspArrayMinSize});
    array.values[kBspElemAvgLen] = kAvgLen;
    array.values[kBspElemVolLen] = kVolLen;
    array.values[kBspElemStyle] = kStyle;
    const BarFile& file = SampleFile("ttrc_daily.csv");
    for (size_t i = 0; i < file.bars.size(); ++i) {
      FakeBar b = HostObjectBar(file.bars[i]);
      UpDownVolume(file, static_cast<int>(i), &b.upTicks, &b.downTicks);
      host.AddBar(b);
      up.push_back(static_cast<float>(b.upTicks));
      down.push_back(static_cast<float>(b.downTicks));
    }
  }
  int Bars() const { return host.BarCount(); }
};

Fixture& F() {
  static Fixture f;
  return f;
}

// XMT_BSP on the study object's bar k; the key's symbol part is `symbol`.
int BspCall(Fixture& f, const char* symbol, int k) {
  f.host.SetCursor(k);
  char symErr[XMT_SIGNALS_ERR_BUF_SIZE];
  std::snprintf(symErr, sizeof symErr, "%s", symbol);
  return f.bsp("BENCH", 1, 0, symErr, &f.host, 0);
}

// The same pressure and averages on an instance held directly.
class BarePressure {
 public:
  // A new pass: the averages sized again, as on a restart.
  void Start() {
    for (CCalcStack* stack : {&set_.stkVol, &set_.stkBSP, &set_.stkBuy, &set_.stkSell})
      stack->Free();
    set_.stkVol.SetLength(kVolLen);
    set_.stkBSP.SetLength(kAvgLen);
    set_.stkBuy.SetLength(kAvgLen);
    set_.stkSell.SetLength(kAvgLen);
  }
  Pressure Bar(float up, float down) {
    Pressure p;
    BSPCalc(&set_, up, down, kStyle, &p.value[0]);
    p.value[1] = set_.stkBSP.fAvg;
    p.value[2] = set_.stkBuy.fAvg;
    p.value[3] = set_.stkSell.fAvg;
    p.value[4] = set_.stkVol.fAvg;
    return p;
  }

 private:
  CBSPSet set_;
};

// The export against the bare loop over one pass: the same five values on every bar.
bool PressureMatchesBare(Fixture& f) {
  BarePressure bare;
  bare.Start();
  for (int k = 0; k < f.Bars(); ++k) {
    const Pressure p = bare.Bar(f.up[static_cast<size_t>(k)], f.down[static_cast<size_t>(k)]);
    if (BspCall(f, "BENCH_BSP_CHECK", k) != kBspReady) return false;
    const std::vector<double>& array = *f.host.ArrayValues("arrBSP");
    for (int i = 0; i < 5; ++i)
      if (static_cast<float>(array[static_cast<size_t>(kWritten[i])]) != p.value[i]) return false;
  }
  return true;
}

// One recalculation of the chart per iteration: the bar number starts over, so the
// instance re-sizes its averages and feeds every bar again.
void BM_BSP_export(benchmark::State& state) {
  Fixture& f = F();
  NEED_LIBRARY(f);
  const size_t lines = LogLineCount("XMT_F1");
  for (auto _ : state) {
    for (int k = 0; k < f.Bars(); ++k) benchmark::DoNotOptimize(BspCall(f, "BENCH_BSP", k));
  }
  CountBars(state, static_cast<size_t>(f.Bars()));
  CountLogLines(state, "XMT_F1", lines,
                static_cast<size_t>(state.iterations()) * static_cast<size_t>(f.Bars()));
}
BENCHMARK(BM_BSP_export)->Repetitions(kRepetitions)->Unit(benchmark::kMillisecond);

void BM_BSP_bare(benchmark::State& state) {
  Fixture& f = F();
  static const bool same = !f.ok || PressureMatchesBare(f);
  if (!same) return state.SkipWithError("the bare loop gives other numbers than the export");
  BarePressure bare;
  for (auto _ : state) {
    bare.Start();
    for (size_t k = 0; k < f.up.size(); ++k) benchmark::DoNotOptimize(bare.Bar(f.up[k], f.down[k]));
  }
  CountBars(state, f.up.size());
}
BENCHMARK(BM_BSP_bare)->Repetitions(kRepetitions)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
