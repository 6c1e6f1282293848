// Call sequences a chart can produce, against the loaded libraries: bar numbers and dates
// running backwards, the same bar fed 1,000 times, 10,000 instance IDs. Each must end
// without a crash and with results inside the documented range, in seconds.

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cmath>
#include <string>

#include "common/testing/loaded_library.h"
#include "cross_library_tests/library_rows.h"
#include "hostbridge/testing/fake_host.h"
#include "momentum/xmt_momentum.h"
#include "pattern/xmt_pattern.h"
#include "signals/xmt_signals.h"

namespace {

const LoadedLibrary& Pattern() { return XMT_LOADED(XMT_PATTERN); }
const LoadedLibrary& Signals() { return XMT_LOADED(XMT_SIGNALS); }

// The order in which a sequence visits its bars: numbers 1..n, n..1, or bar 1 n times.
enum class Order { Forward, Backward, Same };
int BarAt(Order order, int i, int n) {
  return order == Order::Forward ? i + 1 : order == Order::Backward ? n - i : 1;
}
// A day of 2015 counted from 1 Jan (dates stay valid for a few hundred bars).
int DateOf(int bar) { return 1150000 + ((bar - 1) / 28 % 12 + 1) * 100 + (bar - 1) % 28 + 1; }
int PriceOf(int bar) { return 10000 + (bar * 37 % 23) * 10; }

struct Sequence {
  const char* name;
  Order order;
  int bars;
  int ids;  // bars are spread over this many instance IDs
};
const Sequence kSequences[] = {{"forward", Order::Forward, 300, 1},
                               {"backward", Order::Backward, 300, 1},
                               {"same bar 1000 times", Order::Same, 1000, 1},
                               {"10000 IDs", Order::Same, 10000, 10000}};

class CallSequences : public ::testing::TestWithParam<Sequence> {
 protected:
  void SetUp() override { start_ = std::chrono::steady_clock::now(); }
  void TearDown() override {
    const double s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    EXPECT_LT(s, 60.0) << GetParam().name;
  }
  std::string Id(const char* prefix, int i) const {
    const Sequence& q = GetParam();
    return std::string(prefix) + q.name + "_" + std::to_string(i % q.ids);
  }

 private:
  std::chrono::steady_clock::time_point start_;
};

TEST_P(CallSequences, XmtPattern) {
  const LoadedLibrary& lib = Pattern();
  ASSERT_TRUE(lib.Loaded()) << lib.Error();
  auto zzAdd = lib.Get<XMT_ZZ_AddBar_fn>("XMT_ZZ_AddBar");
  auto patAdd = lib.Get<XMT_PATTERN_AddBar_fn>("XMT_PATTERN_AddBar");
  auto calcPiv = lib.Get<XMT_ZZ_CalcPiv_fn>("XMT_ZZ_CalcPiv");
  auto calcPat = lib.Get<XMT_PATTERN_CalcPat_fn>("XMT_PATTERN_CalcPat");
  auto chkPiv = lib.Get<XMT_RS_ChkPiv_fn>("XMT_RS_ChkPiv");
  const Sequence& q = GetParam();
  XmtSlot block[100];
  char err[XMT_PATTERN_ERR_BUF_SIZE];
  for (int i = 0; i < q.bars; ++i) {
    const int bar = BarAt(q.order, i, q.bars);
    const int hi = PriceOf(bar) + 50, lo = PriceOf(bar) - 50, mid = PriceOf(bar);
    const std::string id = Id("Seq", i);
    const int pos = zzAdd(1, id.c_str(), DateOf(bar), 1600, bar, 100, &mid, &hi, &lo, &mid, 1);
    ASSERT_GE(pos, 0) << q.name << " bar " << bar;
    const int piv = calcPiv(0, id.c_str(), pos + 1, 2, 2, block);
    ASSERT_TRUE(piv >= -2 && piv <= 2) << piv;
    const int patPos = patAdd(1, id.c_str(), DateOf(bar), 1600, -bar, 100, &mid, &hi, &lo, &mid, 1);
    ASSERT_GE(patPos, 0);
    const int pat = calcPat(0, id.c_str(), patPos + 1, 2, 2, block, "SeqMissing", err);
    ASSERT_TRUE(pat == -5 || (pat >= 0 && pat <= 100)) << pat;
    const int rs = chkPiv(id.c_str(), DateOf(bar), 1600, bar, 100, nullptr, nullptr, nullptr,
                          &mid, 1, 2, 2, block);
    ASSERT_TRUE(rs == 1 || rs == -1 || rs == 0 || rs == -102) << rs;
  }
}

TEST_P(CallSequences, XmtSignals) {
  const LoadedLibrary& lib = Signals();
  ASSERT_TRUE(lib.Loaded()) << lib.Error();
  auto gemAdd = lib.Get<XMT_FindGemAdd_fn>("XMT_FindGemAdd");
  auto gemCalc = lib.Get<XMT_FindGemCalc_fn>("XMT_FindGemCalc");
  auto rareAvg = lib.Get<XMT_RareAvg_fn>("XMT_RareAvg");
  auto trend = lib.Get<XMT_TrendReversal_fn>("XMT_TrendReversal");
  auto bsp = lib.Get<XMT_BSP_fn>("XMT_BSP");
  const Sequence& q = GetParam();
  // One study object for the whole sequence, as one chart has.
  FakeHost host;
  FakeVariable& array = host.AddArray("arrBSP", {10});
  array.values[2] = array.values[3] = 5;
  array.values[4] = 1;
  FakeBar first;
  first.upTicks = 5;
  first.downTicks = 3;
  host.AddBar(first);
  float a = 0, b = 0, c = 0, d = 0;
  for (int i = 0; i < q.bars; ++i) {
    const int bar = BarAt(q.order, i, q.bars);
    const std::string id = Id("Seq", i);
    const int hi = PriceOf(bar) + 50, lo = PriceOf(bar) - 50, mid = PriceOf(bar);
    // The store keeps one symbol: only the single-ID sequences grow it.
    const int stored = gemAdd(0, q.ids == 1 ? id.c_str() : "SeqGem", DateOf(bar), 1600, 100,
                              &mid, &hi, &lo, &mid, &mid, 5);
    ASSERT_GE(stored, 1);
    const int scope = gemCalc(0, q.ids == 1 ? id.c_str() : "SeqGem", DateOf(bar), 1600, &a, &b,
                              &c, &d);
    ASSERT_TRUE(scope == 5 || scope == -1) << scope;
    const float avg = rareAvg(id.c_str(), 10, 0, mid / 100.0f, DateOf(bar), 1600, 260, 0, 1,
                              0, bar);
    ASSERT_TRUE(avg == 1e9f || std::isfinite(avg)) << avg;
    float pos = 0, width = 0;
    const int band = trend(0, id.c_str(), DateOf(bar), 1600, 1, 1, mid / 100.0f, 1, 2, 5, &pos,
                           &width);
    ASSERT_TRUE(band >= -1 && band <= 2) << band;
    ASSERT_TRUE(pos >= -100 && pos <= 100) << pos;
    char err[XMT_SIGNALS_ERR_BUF_SIZE] = "SEQ";
    host.SetBarNumberParts(bar, 0);
    ASSERT_EQ(0, bsp(id.c_str(), 1, 2, err, &host, 0)) << err;
  }
}

TEST_P(CallSequences, XmtMomentum) {
  const LoadedLibrary& lib = XMT_LOADED(XMT_MOMENTUM);
  ASSERT_TRUE(lib.Loaded()) << lib.Error();
  auto utc = lib.Get<XMT_UTC_fn>("XMT_UTC");
  auto rrs = lib.Get<XMT_RRS_fn>("XMT_RRS");
  const Sequence& q = GetParam();
  XmtSlot args[92] = {};
  for (int i = 0; i < q.bars; ++i) {
    const int bar = BarAt(q.order, i, q.bars);
    const std::string id = Id("Seq", i);
    const float p = PriceOf(bar) / 100.0f;
    const float values[13] = {static_cast<float>(DateOf(bar)), 1600, p, p + 0.5f, p - 0.5f, p,
                              1000, static_cast<float>(bar), 5, 1, 0, 3, 2};
    for (int k = 0; k < 13; ++k) args[k].value = values[k];
    const float momentum = utc(id.c_str(), args);
    ASSERT_TRUE(std::isfinite(momentum)) << momentum;
    ASSERT_TRUE(args[91].value == 0.0f || args[91].value == 1.0f) << args[91].value;
    const float slope = rrs(10 + i % q.ids % 3, 1, p, DateOf(bar), 1600, 0, 0, 1, i % q.ids);
    ASSERT_TRUE(slope == 1e9f || std::isfinite(slope)) << slope;
  }
}

INSTANTIATE_TEST_SUITE_P(Sequences, CallSequences, ::testing::ValuesIn(kSequences),
                         [](const ::testing::TestParamInfo<Sequence>& p) {
                           std::string name = p.param.name;
                           for (char& ch : name) {
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           }
                           return name;
                         });

}  // namespace
