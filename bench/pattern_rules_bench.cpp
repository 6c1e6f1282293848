// Per-bar cost of the XMT_PATTERN exports that evaluate a rule file, loaded by file name as
// the platform loads them: XMT_PATTERN_AddBar + XMT_PATTERN_CalcPat as a study calls them
// bar by bar, and XMT_PATTERN64 through the in-memory study object. Each is set against the
// bar manager, pivot engine and pattern evaluation driven directly on the same bars (no
// registry look-up, no conversions, no host calls, no logging).
//
// XMT_PATTERN_AddBar always appends, so every pass over the sample file adds its bars to the
// instance again (as a recalculation on the platform does); the bare loop appends alike.
// Each export case and its bare loop run the same fixed number of passes, so that both end
// on histories of the same length.
//
//   build/release/bin/pattern_rules_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_kit.h"
#include "common/datetime/date_time.h"
#include "common/text/txt.h"
#include "hostbridge/entry_frame.h"
#include "hostbridge/slot_block.h"
#include "hostbridge/testing/fake_host.h"
#include "pattern/pattern64.h"
#include "pattern/pattern_eval.h"
#include "pattern/pattern_file.h"
#include "pattern/testing/pattern_test_env.h"
#include "pattern/xmt_pattern.h"
#include "studycore/barmgr/bar_mgr.h"
#include "tools/xmt-host/study_kit.h"

namespace {

constexpr int kLeft = 5, kRight = 5;
constexpr int kStylePattern = 1;
constexpr int kPairSlots = 8;  // more than the rule file's outputs + 1
constexpr int kPairPasses = 100, kPattern64Passes = 40;
// The three-point swing rule file of testdata/, evaluated on every new pivot.
constexpr char kRules[] = "BENCH_Swing3";

// One bar as the frame stores it: the date-time and the prices after scaling.
struct StoredBar {
  CXMTDateTime dt;
  float open = 0, high = 0, low = 0, close = 0, volume = 0;
};

StoredBar Stored(int hostDate, int hostTime, int scale, const int prices[4], int volume) {
  StoredBar s;
  HostToDateTime(hostDate, hostTime, s.dt);
  const EntryPrices p = ScaleHostPrices(scale, &prices[0], &prices[1], &prices[2], &prices[3]);
  s.open = p.open;
  s.high = p.high;
  s.low = p.low;
  s.close = p.close;
  s.volume = static_cast<float>(volume);
  return s;
}

struct Fixture : BenchLibrary {
  XMT_PATTERN_AddBar_fn addBar = nullptr;
  XMT_PATTERN_CalcPat_fn calcPat = nullptr;
  XMT_PATTERN64_fn pattern64 = nullptr;
  std::vector<HostBar> bars;          // ttrc_daily from 1990, host form
  std::vector<StoredBar> stored;      // the same, as the frame stores them
  FakeHost host;                      // the same bars in the study object
  std::vector<StoredBar> hostStored;  // as XMT_PATTERN64 stores them

  Fixture() : BenchLibrary("pattern_rules", "XMT_PATTERN") {
    Bind("XMT_PATTERN_AddBar", &addBar);
    Bind("XMT_PATTERN_CalcPat", &calcPat);
    Bind("XMT_PATTERN64", &pattern64);
    if (ok && !WritePatternFile(kRules, SampleText("patterns/PR_Swing3.txt"))) {
      error = "cannot write the rule file";
      ok = false;
    }
    Report("pattern_rules_bench");

    bars = HostBars(SampleFile("ttrc_daily.csv"), kSynthScale);
    for (const HostBar& b : bars) {
      const int prices[4] = {b.open, b.high, b.low, b.close};
      stored.push_back(Stored(b.date, b.time, kSynthScale, prices, b.volume));
    }
    SetUpHost();
  }

  // The study object holds the sample bars, with the parameters of a pattern study
  // (windows 5/5, style 1, bar numbers generated) in "arrValIn".
  void SetUpHost() {
    host.AddArray("arrValIn", {kP64InputCount});
    std::vector<double>& in = *host.MutableArrayValues("arrValIn");
    in[0] = kLeft;
    in[1] = kRight;
    in[2] = kStylePattern;
    host.AddArray("arrValOut", {kP64OutputCount});
    const BarFile& file = SampleFile("ttrc_daily.csv");
    for (size_t i = 0; i < file.bars.size(); ++i) {
      const CsvBar& c = file.bars[i];
      if (c.date < 19900101) continue;
      FakeBar b = HostObjectBar(c);
      UpDownVolume(file, static_cast<int>(i), &b.upTicks, &b.downTicks);
      host.AddBar(b);
      // The entry's own scaling: by the high read in single precision.
      const float high = static_cast<float>(b.high);
      const int scale = PriceScaleForHigh(high);
      const int prices[4] = {ScalePriceForFeed(static_cast<float>(b.open), scale),
                             ScalePriceForFeed(high, scale),
                             ScalePriceForFeed(static_cast<float>(b.low), scale),
                             ScalePriceForFeed(static_cast<float>(b.close), scale)};
      const float volume = static_cast<float>(b.upTicks) + static_cast<float>(b.downTicks);
      hostStored.push_back(Stored(FullDateToHost(c.date), 0, scale, prices,
                                  static_cast<int>(volume)));
    }
  }
};

Fixture& F() {
  static Fixture f;
  return f;
}

// The pair as a study calls it on one bar: append, then evaluate.
int PairCall(const Fixture& f, const char* id, const HostBar& b, XmtSlot* block) {
  const int index = f.addBar(1, id, b.date, b.time, 0, kSynthScale, &b.open, &b.high, &b.low,
                             &b.close, b.volume);
  return f.calcPat(0, id, index + 1, kLeft, kRight, block, kRules, nullptr);
}

// XMT_PATTERN64 on the study object's bar k.
int Pattern64Call(Fixture& f, const char* id, int k) {
  f.host.SetCursor(k);
  return f.pattern64(id, nullptr, &f.host, kRules, nullptr);
}

// The same work on a manager and a rule file held directly: append the bar, look for the
// pivot `right` bars back, and on a new pivot that stands (no older one of its direction
// dropped) evaluate the pattern; the block shows the last evaluation.
class BarePattern {
 public:
  BarePattern() {
    mgr_.SetFlag(kBarMgrFilterBit, 1);  // bars numbered by the library: the filter is on
    CTxt err;
    ok = LoadPattern(&pattern_, kRules, err) == kPatLoaded;
  }
  int Call(const StoredBar& b, SlotBlock block, int maxSlots) {
    const int n = mgr_.AddBar(b.dt, b.open, b.high, b.low, b.close, b.volume,
                              mgr_.GetBarCount() + 1, 0);
    if (const CBarMgrPivot* pivot = mgr_.CalcPivot(n, kLeft, kRight)) {
      const int direction = pivot->direction;
      if (mgr_.ConsolidatePivots(n, SlotBlock()) != 0) return 1;
      if (pattern_.m_nDirFilter == 0 || pattern_.m_nDirFilter == direction)
        CalcPattern(&pattern_, &mgr_, msg_);
    }
    return WriteOutputs(&pattern_, block, maxSlots);
  }
  bool ok = false;

 private:
  CBarMgr mgr_;
  CPivPatRec pattern_;
  CTxt msg_;
};

// The slots a call wrote (result m + 1 above 1), as text for comparing two runs; nine
// significant digits tell every two floats apart.
std::string Written(int result, const XmtSlot* block, int count) {
  std::string text = std::to_string(result);
  char value[32];
  for (int i = 0; result > 1 && i < count; ++i) {
    std::snprintf(value, sizeof value, ",%.9g", static_cast<double>(block[i].value));
    text += value;
  }
  return text;
}

// The checks run once per process: the export instances they fill keep their bars, so a
// second run of the same check would start from a fuller history than the bare loop.

// The pair against the bare loop over one pass: the same result and slots on every bar.
bool PairMatchesBare(const Fixture& f) {
  BarePattern bare;
  XmtSlot mine[kPairSlots] = {}, theirs[kPairSlots] = {};
  for (size_t k = 0; k < f.bars.size(); ++k) {
    const int r = bare.Call(f.stored[k], SlotBlock(mine), kPatUnboundedSlots);
    const int e = PairCall(f, "BENCH_PAT_CHECK", f.bars[k], theirs);
    if (Written(r, mine, r) != Written(e, theirs, e)) return false;
  }
  return true;
}

// XMT_PATTERN64 against the bare loop over one pass: the same result and all 100 values.
bool Pattern64MatchesBare(Fixture& f) {
  BarePattern bare;
  XmtSlot block[kP64OutputCount];
  for (int k = 0; k < f.host.BarCount(); ++k) {
    for (XmtSlot& s : block) s = XmtSlot();
    const int r = bare.Call(f.hostStored[static_cast<size_t>(k)], SlotBlock(block), kP64OutputCount);
    const int e = Pattern64Call(f, "BENCH_P64_CHECK", k);
    const std::vector<double>& out = *f.host.ArrayValues("arrValOut");
    if (r != e) return false;
    for (int i = 0; i < kP64OutputCount; ++i)
      if (static_cast<float>(out[static_cast<size_t>(i)]) != block[i].value) return false;
  }
  return true;
}

// --- XMT_PATTERN_AddBar + XMT_PATTERN_CalcPat ----------------------------------------------

void BM_PatternCalc_export(benchmark::State& state) {
  Fixture& f = F();
  NEED_LIBRARY(f);
  XmtSlot block[kPairSlots] = {};
  for (auto _ : state) {
    for (const HostBar& b : f.bars) benchmark::DoNotOptimize(PairCall(f, "BENCH_PAT", b, block));
  }
  CountBars(state, f.bars.size());
}
BENCHMARK(BM_PatternCalc_export)->Iterations(kPairPasses)->Unit(benchmark::kMillisecond);

void BM_PatternCalc_bare(benchmark::State& state) {
  Fixture& f = F();
  BarePattern bare;
  if (!bare.ok) return state.SkipWithError("cannot load the rule file");
  static const bool same = !f.ok || PairMatchesBare(f);
  if (!same) return state.SkipWithError("the bare loop gives other numbers than the export");
  XmtSlot block[kPairSlots] = {};
  for (auto _ : state) {
    for (const StoredBar& b : f.stored)
      benchmark::DoNotOptimize(bare.Call(b, SlotBlock(block), kPatUnboundedSlots));
  }
  CountBars(state, f.stored.size());
}
BENCHMARK(BM_PatternCalc_bare)->Iterations(kPairPasses)->Unit(benchmark::kMillisecond);

// --- XMT_PATTERN64 -----------------------------------------------------------------------

void BM_Pattern64_export(benchmark::State& state) {
  Fixture& f = F();
  NEED_LIBRARY(f);
  const int count = f.host.BarCount();
  for (auto _ : state) {
    for (int k = 0; k < count; ++k) benchmark::DoNotOptimize(Pattern64Call(f, "BENCH_P64", k));
  }
  CountBars(state, static_cast<size_t>(count));
}
BENCHMARK(BM_Pattern64_export)->Iterations(kPattern64Passes)->Unit(benchmark::kMillisecond);

// The bar work of one call: a zeroed block of 100 slots, the bar appended, the pattern
// evaluated, the block filled.
void BM_Pattern64_bare(benchmark::State& state) {
  Fixture& f = F();
  BarePattern bare;
  if (!bare.ok) return state.SkipWithError("cannot load the rule file");
  static const bool same = !f.ok || Pattern64MatchesBare(f);
  if (!same) return state.SkipWithError("the bare loop gives other numbers than the export");
  XmtSlot block[kP64OutputCount];
  for (auto _ : state) {
    for (const StoredBar& b : f.hostStored) {
      for (XmtSlot& s : block) s = XmtSlot();
      benchmark::DoNotOptimize(bare.Call(b, SlotBlock(block), kP64OutputCount));
    }
  }
  CountBars(state, f.hostStored.size());
}
BENCHMARK(BM_Pattern64_bare)->Iterations(kPattern64Passes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
