// Per-bar cost of the XMT_PATTERN exports over the sample data, loaded by name as the
// platform loads them, and of the text helpers every export leans on.
//
//   build/release/bin/pattern_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "common/platform/modules.h"
#include "common/text/text_helpers.h"
#include "common/text/txt.h"
#include "pattern/xmt_pattern.h"
#include "common/testing/bar_file.h"
#include "tools/xmt-host/library.h"
#include "tools/xmt-host/study.h"
#include "tools/xmt-host/study_kit.h"

namespace {

struct Fixture {
  Library lib;
  BarFile ttrc, usdchf;
  XMT_ZZ_AddBar_fn addBar = nullptr;
  XMT_ZZ_CalcPiv_fn calcPiv = nullptr;
  XMT_RS_ChkPiv_fn rsCheck = nullptr;
  bool ok = false;

  Fixture() {
    std::string error;
    // Keep the libraries' settings, logs and folders out of the user's own.
    SetEnvironmentValue("XMT_ROOT", "out/bench/root");
    SetEnvironmentValue("XMT_HOST_DIR", "out/bench");
    ok = lib.Open(Library::BesideProgram("XMT_PATTERN"), &error) &&
         BindExport(lib, "XMT_ZZ_AddBar", &addBar, &error) &&
         BindExport(lib, "XMT_ZZ_CalcPiv", &calcPiv, &error) &&
         BindExport(lib, "XMT_RS_ChkPiv", &rsCheck, &error) &&
         ReadBarFile(XMT_DATA_DIR "/ttrc_daily.csv", &ttrc, &error) &&
         ReadBarFile(XMT_DATA_DIR "/usdchf_30min.csv", &usdchf, &error);
    if (!ok) std::fprintf(stderr, "pattern_bench: %s\n", error.c_str());
  }
};

Fixture& F() {
  static Fixture f;
  return f;
}

// One recalculation of a whole chart: bar numbers start over, so the instance keeps its
// bars and finds each one again, as when the platform recalculates a study.
void BM_ZigZagPerBar(benchmark::State& state) {
  Fixture& f = F();
  if (!f.ok) return state.SkipWithError("library or data missing");
  const int scale = AutoScale(f.ttrc);
  int64_t fed = 0;
  for (auto _ : state) {
    int number = 0;
    for (size_t i = 0; i < f.ttrc.bars.size(); ++i) {
      ScaledBar s(f.ttrc.bars[i], scale);
      // The file starts in 1985, before any date the library takes: the host numbers only
      // the bars it feeds, and only then does each bar land on its old record again.
      if (s.date < 900000) continue;
      int index = f.addBar(1, "BENCH_ZZ", s.date, s.time, ++number, scale, &s.open, &s.high,
                           &s.low, &s.close, s.volume);
      XmtSlot block[12];
      benchmark::DoNotOptimize(f.calcPiv(0, "BENCH_ZZ", index + 1, 5, 5, block));
    }
    fed += number;
  }
  state.SetItemsProcessed(fed);
}
BENCHMARK(BM_ZigZagPerBar)->Unit(benchmark::kMillisecond);

void BM_RsCheckPerBar(benchmark::State& state) {
  Fixture& f = F();
  if (!f.ok) return state.SkipWithError("library or data missing");
  const int scale = AutoScale(f.usdchf);
  for (auto _ : state) {
    for (size_t i = 0; i < f.usdchf.bars.size(); ++i) {
      ScaledBar s(f.usdchf.bars[i], scale);
      XmtSlot block[20];
      benchmark::DoNotOptimize(f.rsCheck("BENCH_RS", s.date, s.time, static_cast<int>(i) + 1,
                                         scale, nullptr, nullptr, nullptr, &s.close, s.volume,
                                         10, 10, block));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(f.usdchf.bars.size()));
}
BENCHMARK(BM_RsCheckPerBar)->Unit(benchmark::kMillisecond);

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
