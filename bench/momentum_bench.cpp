// Per-bar cost of XMT_UTC over the sample data, loaded by name as the platform loads it.
//
//   build/release/bin/momentum_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "common/platform/modules.h"
#include "momentum/xmt_momentum.h"
#include "common/barfile/bar_file.h"
#include "tools/xmt-host/library.h"

namespace {

struct Fixture {
  Library lib;
  BarFile usdchf;
  XMT_UTC_fn utc = nullptr;
  bool ok = false;

  Fixture() {
    std::string error;
    // Keep the library's settings, logs and folders out of the user's own.
    SetEnvironmentValue("XMT_ROOT", "out/bench/root");
    SetEnvironmentValue("XMT_HOST_DIR", "out/bench");
    ok = lib.Open(Library::BesideProgram("XMT_MOMENTUM"), &error) &&
         BindExport(lib, "XMT_UTC", &utc, &error) &&
         ReadBarFile(XMT_DATA_DIR "/usdchf_30min.csv", &usdchf, &error);
    if (!ok) std::fprintf(stderr, "momentum_bench: %s\n", error.c_str());
  }
};

Fixture& F() {
  static Fixture f;
  return f;
}

// One calculation of the whole chart per iteration, N = 50, L = 10: bar numbers start
// over at 1, so each iteration begins with the module's reset, as when the platform
// recalculates a study.
void BM_UtcPerBar(benchmark::State& state) {
  Fixture& f = F();
  if (!f.ok) return state.SkipWithError("library or data missing");
  XmtSlot block[92] = {};
  block[8].value = 30;  // intraday, 30 minutes
  block[9].value = 1;
  block[11].value = static_cast<float>(state.range(0));
  block[12].value = static_cast<float>(state.range(1));
  int64_t fed = 0;
  for (auto _ : state) {
    int number = 0;
    for (const CsvBar& b : f.usdchf.bars) {
      block[0].value = static_cast<float>(b.date - 19000000);
      block[1].value = static_cast<float>(b.time);
      block[2].value = static_cast<float>(b.open);
      block[3].value = static_cast<float>(b.high);
      block[4].value = static_cast<float>(b.low);
      block[5].value = static_cast<float>(b.close);
      block[6].value = static_cast<float>(b.volume);
      block[7].value = static_cast<float>(++number);
      benchmark::DoNotOptimize(f.utc("BENCH_USDCHF", block));
    }
    fed += number;
  }
  state.SetItemsProcessed(fed);
  state.counters["ns_per_bar"] = benchmark::Counter(
      static_cast<double>(fed), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_UtcPerBar)->Args({50, 10})->Args({200, 10})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
