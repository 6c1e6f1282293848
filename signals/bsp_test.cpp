// Buy/sell pressure: the pressure of one bar, the styles, and XMT_BSP through the fake
// study object (bindings, error codes and texts, the catch-all, the array written once
// per bar, restarts).

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/testing/log_capture.h"
#include "hostbridge/testing/fake_host.h"
#include "signals/bsp.h"
#include "signals/xmt_signals.h"

namespace {

TEST(BSPCalc, PressureOfOneBar) {
  struct Case {
    float up, down, pressure;
  } cases[] = {{30, 10, 1.0f - 10.0f / 30.0f}, {10, 30, -(1.0f - 10.0f / 30.0f)},
               {5, 0, 1.0f},  {0, 5, -1.0f}, {0, 0, 1.0f}, {7, 7, 0.0f}};
  for (const Case& c : cases) {
    CBSPSet set;  // averages never sized: the volume average stays 0, so the ratio is 1
    float w = 99;
    EXPECT_EQ(0, BSPCalc(&set, c.up, c.down, 2, &w));
    EXPECT_EQ(c.pressure, w) << c.up << "/" << c.down;
    w = 99;
    EXPECT_EQ(0, BSPCalc(nullptr, c.up, c.down, 2, &w));  // no instance: ratio 1 as well
    EXPECT_EQ(c.pressure, w);
  }
  EXPECT_EQ(0, BSPCalc(nullptr, 1, 2, 1, nullptr));
  EXPECT_NEAR(0.6667f, 1.0f - 10.0f / 30.0f, 1e-4);
}

TEST(BSPCalc, VolumeRatioWeighsThePressure) {
  CBSPSet set;
  set.stkVol.SetLength(3);
  float w = 0;
  BSPCalc(&set, 0, 0, 0, &w);
  EXPECT_EQ(1.0f, w);  // first bar without volume: average 0, ratio 1
  BSPCalc(&set, 30, 10, 0, &w);
  EXPECT_FLOAT_EQ(40.0f / 20.0f * (1.0f - 10.0f / 30.0f), w);
  BSPCalc(&set, 0, 0, 0, &w);
  EXPECT_EQ(0.0f, w);  // no volume after bars with volume: ratio 0
}

// Exponential and simple averages of a series, as a stack of length n ends up with them.
float Ema(const std::vector<float>& v, int n) {
  float avg = v.front();
  for (size_t i = 1; i < v.size(); ++i)
    avg = avg + 2.0f / static_cast<float>(n + 1) * (v[i] - avg);
  return avg;
}
float Ma(const std::vector<float>& v, int n) {
  float sum = 0;
  const size_t from = v.size() > static_cast<size_t>(n) ? v.size() - n : 0;
  for (size_t i = from; i < v.size(); ++i) sum += v[i];
  return sum / static_cast<float>(v.size() - from);
}

TEST(BSPCalc, StylesFeedTheSides) {
  // Six bars of changing sign and volume, averages of length 3: the weighted pressure
  // varies, so every kind of average gives its own number. Styles 1 and 3 feed a side only
  // on its own bars, 2 and 4 both sides every bar (the idle side with 0); the selling side
  // holds magnitudes; the pressure average is exponential whatever the style.
  const float up[] = {3, 1, 6, 1, 4, 2}, down[] = {1, 3, 1, 5, 2, 7};
  constexpr int kLen = 3;
  const struct {
    int style;
    bool exponential, everyBar;
  } cases[] = {{1, true, false}, {2, true, true}, {3, false, false}, {4, false, true}};
  for (const auto& c : cases) {
    CBSPSet set;
    for (CCalcStack* stack : {&set.stkBuy, &set.stkSell, &set.stkBSP, &set.stkVol})
      stack->SetLength(kLen);
    std::vector<float> all, buys, sells;
    for (int i = 0; i < 6; ++i) {
      float w = 0;
      BSPCalc(&set, up[i], down[i], c.style, &w);
      all.push_back(w);
      if (w > 0 || c.everyBar) buys.push_back(w > 0 ? w : 0.0f);
      if (w < 0 || c.everyBar) sells.push_back(w < 0 ? -w : 0.0f);
    }
    const auto avg = [&](const std::vector<float>& v) {
      return c.exponential ? Ema(v, kLen) : Ma(v, kLen);
    };
    EXPECT_FLOAT_EQ(avg(buys), set.stkBuy.fAvg) << c.style;
    EXPECT_FLOAT_EQ(avg(sells), set.stkSell.fAvg) << c.style;
    EXPECT_FLOAT_EQ(Ema(all, kLen), set.stkBSP.fAvg) << c.style;
  }
  // Any other style feeds only the volume average.
  for (int style : {0, 5}) {
    CBSPSet set;
    for (CCalcStack* stack : {&set.stkBuy, &set.stkSell, &set.stkBSP, &set.stkVol})
      stack->SetLength(kLen);
    for (int i = 0; i < 6; ++i) BSPCalc(&set, up[i], down[i], style, nullptr);
    EXPECT_EQ(0u, set.stkBuy.nCount + set.stkSell.nCount + set.stkBSP.nCount) << style;
    EXPECT_EQ(3u, set.stkVol.nCount) << style;
  }
}

class BSPHost : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeVariable& array = host.AddArray("arrBSP", {10});
    array.values[2] = 3;  // AvgLen
    array.values[3] = 4;  // VolLen
    array.values[4] = 2;  // Style
    array.values[8] = -8;
    array.values[9] = -9;
    NextBar(30, 10);
  }
  void NextBar(double up, double down) {
    FakeBar bar;
    bar.upTicks = up;
    bar.downTicks = down;
    host.AddBar(bar);
  }
  // One call with the test's own key.
  int Call(const char* name = "Study") {
    std::strcpy(err, key);
    return BSP(name, 1, 2, err, &host);
  }
  double Elem(int i) const { return (*host.ArrayValues("arrBSP"))[i]; }
  CBSPSet* Set() const { return FindBSPSet((std::string(key) + "/Study/1/2").c_str()); }

  FakeHost host;
  char key[64] = "SYM";
  char err[XMT_SIGNALS_ERR_BUF_SIZE] = {};
};

// The host calls of a bound instance: a call on a new bar reads the bar number's two
// parts, three parameters and the bar's two ticks and writes five values, each element
// selected once (20 calls); a second call on the same bar reads the number and the
// parameters only (8); the first call also binds the array (found and checked: 3 calls) and
// the two tick series.
TEST_F(BSPHost, HostCallsPerBar) {
  std::strcpy(key, "CALLS");
  ASSERT_EQ(kBspReady, Call());
  EXPECT_EQ(25, host.TotalCalls());
  NextBar(10, 30);
  const struct {
    int total, select, get, put, ticks, counter, offset;
  } steps[] = {{20, 8, 3, 5, 2, 1, 1},  // the new bar
               {8, 3, 3, 0, 0, 1, 1}};  // the same bar again
  for (const auto& step : steps) {
    SCOPED_TRACE(step.total);
    const int before = host.TotalCalls();
    const int select = host.Calls(FakeIface::Variable, 28);
    const int get = host.Calls(FakeIface::Variable, 12);
    const int put = host.Calls(FakeIface::Variable, 13);
    const int ticks = host.Calls(FakeIface::NumSeries, 16);
    const int counter = host.Calls(FakeIface::Study, 8);
    const int offset = host.Calls(FakeIface::Study, 7);
    ASSERT_EQ(kBspReady, Call());
    EXPECT_EQ(step.total, host.TotalCalls() - before);
    EXPECT_EQ(step.select, host.Calls(FakeIface::Variable, 28) - select);
    EXPECT_EQ(step.get, host.Calls(FakeIface::Variable, 12) - get);
    EXPECT_EQ(step.put, host.Calls(FakeIface::Variable, 13) - put);
    EXPECT_EQ(step.ticks, host.Calls(FakeIface::NumSeries, 16) - ticks);
    EXPECT_EQ(step.counter, host.Calls(FakeIface::Study, 8) - counter);
    EXPECT_EQ(step.offset, host.Calls(FakeIface::Study, 7) - offset);
  }
}

TEST_F(BSPHost, BindsOnceAndWritesTheArrayOncePerBar) {
  std::strcpy(key, "ONCE");
  ASSERT_EQ(kBspReady, Call());
  EXPECT_FLOAT_EQ(1.0f - 10.0f / 30.0f, static_cast<float>(Elem(0)));
  EXPECT_FLOAT_EQ(1.0f - 10.0f / 30.0f, static_cast<float>(Elem(1)));
  EXPECT_FLOAT_EQ(1.0f - 10.0f / 30.0f, static_cast<float>(Elem(5)));
  EXPECT_EQ(0.0, Elem(6));
  EXPECT_EQ(40.0, Elem(7));
  EXPECT_EQ(3.0, Elem(2));  // parameters and the last two elements untouched
  EXPECT_EQ(-8.0, Elem(8));
  EXPECT_EQ(-9.0, Elem(9));
  const int puts = host.Calls(FakeIface::Variable, 13);
  EXPECT_EQ(5, puts);

  ASSERT_EQ(kBspReady, Call());  // same bar: nothing fed, nothing written
  EXPECT_EQ(puts, host.Calls(FakeIface::Variable, 13));
  EXPECT_EQ(1u, Set()->stkVol.nCount);

  NextBar(10, 30);
  ASSERT_EQ(kBspReady, Call());
  EXPECT_FLOAT_EQ(-(1.0f - 10.0f / 30.0f), static_cast<float>(Elem(0)));
  // Length 3, style 2: the pressure average p, -p gives 0, each side p / 2.
  EXPECT_EQ(0.0, Elem(1));
  EXPECT_FLOAT_EQ(0.5f * (1.0f - 10.0f / 30.0f), static_cast<float>(Elem(5)));
  EXPECT_FLOAT_EQ(0.5f * (1.0f - 10.0f / 30.0f), static_cast<float>(Elem(6)));
  EXPECT_EQ(2 * puts, host.Calls(FakeIface::Variable, 13));
  EXPECT_EQ(2u, Set()->stkVol.nCount);

  EXPECT_EQ(1, host.Calls(FakeIface::Study, 13));
  EXPECT_EQ(1, host.Calls(FakeIface::Study, 24));
  EXPECT_EQ(1, host.Calls(FakeIface::Study, 25));
  // The binding holds one reference each to the array and the two tick series, across calls.
  EXPECT_EQ(3, host.OutstandingRefs());
  EXPECT_EQ(0, host.OverReleases());

  // The key ignores letter case.
  const int count = BSPSetCount();
  std::strcpy(key, "once");
  EXPECT_EQ(kBspReady, Call("STUDY"));
  EXPECT_EQ(count, BSPSetCount());
}

TEST_F(BSPHost, BarNumberGoingBackRestartsTheAverages) {
  std::strcpy(key, "RESTART");
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(kBspReady, Call());
    NextBar(20, 10);
  }
  EXPECT_EQ(3u, Set()->stkVol.nCount);
  host.SetBarNumberParts(1, 0);  // bar number 0 again
  ASSERT_EQ(kBspReady, Call());
  EXPECT_EQ(1u, Set()->stkVol.nCount);
  EXPECT_EQ(4u, Set()->stkVol.nLength);
  EXPECT_EQ(3u, Set()->stkBSP.nLength);
  EXPECT_EQ(0, Set()->nLastBar);
  host.SetBarNumberParts(2, 5);  // bar number 6: counter + MaxBarsBack - 1
  ASSERT_EQ(kBspReady, Call());
  EXPECT_EQ(6, Set()->nLastBar);
}

TEST_F(BSPHost, ErrorCodesAndTexts) {
  struct Case {
    const char* what;
    int result;
    const char* text;
  } cases[] = {
      {"no array", kBspArrayMissing, "XMT_UT64 Error#6 occured - arrBSP missing"},
      {"two dimensions", kBspArrayDims, "XMT_UT64 Error#7 occured - arrBSP dimensions wrong"},
      {"nine elements", kBspArraySize, "XMT_UT64 Error#8 occured - arrBSP Size wrong"},
      {"no up ticks", kBspUpTicksMissing, "XMT_UT64 Error#3 occured - UpTicks missing"},
      {"no down ticks", kBspDownTicksMissing, "XMT_UT64 Error#4 occured - DownTicks missing"},
  };
  int n = 0;
  for (const Case& c : cases) {
    FakeHost h;
    h.AddBar(FakeBar());
    if (n == 1) h.AddArray("arrBSP", {10, 2});
    if (n == 2) h.AddArray("arrBSP", {9});
    if (n >= 3) h.AddArray("arrBSP", {10});
    if (n == 3) h.SetUpTicksMissing(true);
    if (n == 4) h.SetDownTicksMissing(true);
    const std::string k = "ERR" + std::to_string(n++);
    for (int call = 1; call <= 2; ++call) {
      std::strcpy(err, k.c_str());
      EXPECT_EQ(c.result, BSP("Study", 1, 2, err, &h)) << c.what;
      EXPECT_STREQ(c.text, err) << c.what;
      // A failed array check is repeated on the next call, and the array it refused is
      // given back at once; an array that passed stays bound (one reference).
      if (n <= 3) {
        EXPECT_EQ(call, h.Calls(FakeIface::Study, 13)) << c.what;
      }
      EXPECT_EQ(n <= 3 ? 0 : 1 + (n == 5), h.OutstandingRefs()) << c.what;
      EXPECT_EQ(0, h.OverReleases()) << c.what;
    }
  }
  // A null name: the instance is set up, nothing is fed or written, no text.
  std::strcpy(key, "NULLNAME");
  EXPECT_EQ(kBspNullName, Call(nullptr));
  EXPECT_STREQ("NULLNAME", err);
  EXPECT_EQ(0, host.Calls(FakeIface::Variable, 13));
  EXPECT_NE(nullptr, FindBSPSet("NULLNAME//1/2"));
}

TEST_F(BSPHost, HostFailureClearsTheBindings) {
  std::strcpy(key, "FAIL");
  ASSERT_EQ(kBspReady, Call());
  host.FailSlot(FakeIface::Variable, 12, E_FAIL);  // reading a parameter fails
  EXPECT_EQ(kBspHostFailure, Call());
  EXPECT_EQ(0, std::strncmp(err, "Internal Error occured (g_BSPMgr=", 33)) << err;
  EXPECT_EQ(nullptr, Set()->pArrBSP);
  EXPECT_EQ(nullptr, Set()->pUpTicks);
  EXPECT_EQ(nullptr, Set()->pDownTicks);
  EXPECT_EQ(0, host.OutstandingRefs());  // the dropped bindings gave their references back
  host.FailSlot(FakeIface::Variable, 12, S_OK);
  EXPECT_EQ(kBspReady, Call());
  EXPECT_EQ(3, host.OutstandingRefs());
  EXPECT_EQ(0, host.OverReleases());
  EXPECT_EQ(2, host.Calls(FakeIface::Study, 13));
  EXPECT_EQ(2, host.Calls(FakeIface::Study, 24));

  // No study object at all, and no text buffer: -9 without a crash.
  EXPECT_EQ(kBspHostFailure, BSP("Study", 1, 2, nullptr, nullptr));
  std::strcpy(err, "FAIL");
  EXPECT_EQ(kBspHostFailure, BSP("Study", 1, 2, err, nullptr));
}

TEST_F(BSPHost, ErrorTextIsBoundedAndKeyIncludesTheBuffer) {
  // A long key in the buffer: the text copied back is cut to the documented size.
  char big[2 * XMT_SIGNALS_ERR_BUF_SIZE];
  std::memset(big, 'k', sizeof big - 1);
  big[sizeof big - 1] = 0;
  FakeHost h;
  h.AddBar(FakeBar());
  EXPECT_EQ(kBspArrayMissing, BSP("Study", 1, 2, big, &h));
  EXPECT_EQ(std::string("XMT_UT64 Error#6 occured - arrBSP missing"), big);
  std::string longName(5000, 'n');
  std::strcpy(err, "X");
  EXPECT_EQ(kBspArrayMissing, BSP(longName.c_str(), 1, 2, err, &h));
  EXPECT_LT(std::strlen(err), static_cast<size_t>(XMT_SIGNALS_ERR_BUF_SIZE));
}

// The lines XMT_BSP writes, as text, category and level: the start of an instance, a
// caught host failure, and an error sent to the caller.
TEST_F(BSPHost, TraceLines) {
  LogCapture log;
  log.Start("bsp_test");
  std::strcpy(key, "LOGB");
  host.SetBarNumberParts(2, 5);  // bar number 6
  ASSERT_EQ(kBspReady, Call());
  host.FailSlot(FakeIface::Variable, 12, E_FAIL);
  EXPECT_EQ(kBspHostFailure, Call());
  FakeHost noArray;
  noArray.AddBar(FakeBar());
  std::strcpy(err, "LOGB2");
  EXPECT_EQ(kBspArrayMissing, BSP("Study", 1, 2, err, &noArray));
  const std::string text = log.NewLogText();
  const struct {
    const char* start;
    const char* head;
  } lines[] = {
      {"Added new BSP Instance: ID=LOGB/Study/1/2, Idx=", "BSPMgr|a"},
      {"pELVal=", "BSPMgr|a"},
      {"Starting BSP Manager (Ver=1.2b Mar 26 2015 16:43:43) for ID=LOGB/Study/1/2, "
       "Bar=-1 -> 6, AvgLen=3, VolLen=4, Style=2",
       "BSPMgr|a"},
      {"XMT_BSPCalc1 pBSP=", "BSPMgr|a"},
      {"Internal Error occured (g_BSPMgr=", "BSPMgr|a"},
      {"TEST: MaxBarsBack=5, MnBarNbr=6", "BSPMgr|a"},
      {"sendError: XMT_UT64 Error#6 occured - arrBSP missing", "UTC|c"},
  };
  for (const auto& line : lines) EXPECT_EQ(line.head, LogLineHead(text, line.start)) << text;
}

}  // namespace
