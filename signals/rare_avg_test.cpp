// RareAvg: instance keys, warm-up, day break, re-sent bars, the diagnostic factors and the
// response step.

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>
#include <cstddef>
#include <string>

#include "common/testing/alloc_fault.h"
#include "common/testing/log_capture.h"
#include "signals/rare_avg.h"

#pragma GCC diagnostic ignored "-Winvalid-offsetof"  // the records are not standard-layout
static_assert(alignof(CRareAvgSet) == 64 && offsetof(CRareAvgSet, stkStart) + sizeof(CCalcStack) <= 4 * 64,
              "what every call touches fits the record's first four cache lines");

namespace {

constexpr int kDay = 1150326;
constexpr int kDaily = 2;
constexpr int kIntraday = 1;

// One call per bar: bar id = index, time 930 + index.
float Feed(const char* sym, int regr, int wgt, float value, int index, int respFac,
           int barType, int date = kDay, int extra = 0) {
  return RareAvg(sym, regr, wgt, value, date, 930 + index, respFac, 0, barType, extra, index);
}

TEST(RareAvg, LengthOneGivesThePassedValue) {
  for (int barType : {0, 2})
    for (int i = 0; i < 5; ++i) {
      const float v = 10.0f + static_cast<float>(i * i);
      EXPECT_EQ(v, Feed("ONE", 1, 3, v, i, 60, barType));
    }
  EXPECT_EQ(7.5f, RareAvg(nullptr, 10, 3, 7.5f, kDay, 930, 60, 0, 2, 0, 1));
}

TEST(RareAvg, WeightedLengthDefaults) {
  struct Case {
    int regr, wgt;
  } cases[] = {{30, 10}, {13, 4}, {12, 6}, {9, 4}, {3, 2}, {1, 2}, {-5, 2}};
  for (const Case& c : cases) {
    const std::string sym = "DEF" + std::to_string(c.regr);
    Feed(sym.c_str(), c.regr, 0, 1.0f, 0, 60, kDaily);
    EXPECT_NE(nullptr, FindRareAvg(sym.c_str(), c.regr, c.wgt, 60, kDaily, 0)) << c.regr;
    // The same key in other letters and with the default length spelled out.
    Feed(sym.c_str(), c.regr, c.wgt, 1.0f, 1, 60, kDaily);
  }
  EXPECT_EQ(nullptr, FindRareAvg("DEF30", 30, 0, 60, kDaily, 0));
  EXPECT_NE(nullptr, FindRareAvg("def30", 30, 10, 60, kDaily, 0));
  // Every number is part of the key.
  EXPECT_EQ(nullptr, FindRareAvg("DEF30", 30, 10, 61, kDaily, 0));
  EXPECT_EQ(nullptr, FindRareAvg("DEF30", 30, 10, 60, kIntraday, 0));
  EXPECT_EQ(nullptr, FindRareAvg("DEF30", 30, 10, 60, kDaily, 1));
}

TEST(RareAvg, DiagnosticFactors) {
  // On a straight line (or a parabola) the fit of the bars up to the one before the newest
  // gives that bar's value exactly.
  for (int i = 0; i < 30; ++i) {
    const float line = 2.0f * static_cast<float>(i) + 1.0f;
    const float parabola = static_cast<float>(i * i);
    EXPECT_EQ(line, Feed("DIAG", 10, 3, line, i, -1820, kDaily));
    const float fit1 = Feed("DIAG", 10, 3, line, i, -1818, kDaily);
    const float fit2 = Feed("DIAG", 10, 3, parabola, i, -1819, kDaily);
    if (i == 0) {
      EXPECT_EQ(kRareAvgNoValue, fit1);  // no bar before the first
      EXPECT_EQ(kRareAvgNoValue, fit2);
    } else if (i >= 3) {
      EXPECT_NEAR(2.0f * static_cast<float>(i - 1) + 1.0f, fit1, 1e-4) << i;
      EXPECT_NEAR(static_cast<float>((i - 1) * (i - 1)), fit2, 1e-3) << i;
    }
  }
}

TEST(RareAvg, WarmUpDependsOnTheBarType) {
  // Length 10: H = 4, so the first H + 1 = 5 bars are the warm-up. Tick (0) and intraday (1)
  // bars give the start-up average then, other bars no value.
  const float values[] = {10, 20, 30, 40, 50, 60, 70};
  for (int barType : {0, 1, 2, 3}) {
    const std::string sym = "WARM" + std::to_string(barType);
    for (int i = 0; i < 7; ++i) {
      const float r = Feed(sym.c_str(), 10, 3, values[i], i, 60, barType);
      EXPECT_EQ(i < 5 && barType >= 2, r == kRareAvgNoValue) << barType << " " << i;
    }
  }
  // The start-up average weighs the newest of the first bars most (K, K - 1, ..., 1).
  EXPECT_EQ(10.0f, Feed("WARMI2", 10, 3, 10.0f, 0, 60, kIntraday));
  EXPECT_FLOAT_EQ(50.0f / 3.0f, Feed("WARMI2", 10, 3, 20.0f, 1, 60, kIntraday));
  EXPECT_FLOAT_EQ(140.0f / 6.0f, Feed("WARMI2", 10, 3, 30.0f, 2, 60, kIntraday));
}

TEST(RareAvg, NewDayEmptiesIntradayHistoryOnly) {
  for (int barType : {0, kIntraday, kDaily}) {
    const std::string sym = "DAYBRK" + std::to_string(barType);
    for (int i = 0; i < 3; ++i) Feed(sym.c_str(), 10, 3, 5.0f, i, 60, barType);
    Feed(sym.c_str(), 10, 3, 5.0f, 3, 60, barType, kDay + 1);
    const CRareAvgSet* set = FindRareAvg(sym.c_str(), 10, 3, 60, barType, 0);
    ASSERT_NE(nullptr, set);
    EXPECT_EQ(barType <= kIntraday ? 1 : 4, set->arrBars.GetSize());
    EXPECT_EQ(set->arrBars.GetSize() - 1, set->nCur);
  }
  // nExtra switches the day break off; a date running backwards resets any bar type.
  for (int i = 0; i < 3; ++i) Feed("DAYX", 10, 3, 5.0f, i, 60, kIntraday, kDay, 1);
  Feed("DAYX", 10, 3, 5.0f, 3, 60, kIntraday, kDay + 1, 1);
  EXPECT_EQ(4, FindRareAvg("DAYX", 10, 3, 60, kIntraday, 1)->arrBars.GetSize());
  Feed("DAYX", 10, 3, 5.0f, 4, 60, kIntraday, kDay - 1, 1);
  EXPECT_EQ(1, FindRareAvg("DAYX", 10, 3, 60, kIntraday, 1)->arrBars.GetSize());
}

TEST(RareAvg, ResentBarsReplaceTheNewestBars) {
  // 260: every bar is added twice with factor 60; a re-sent bar takes two back.
  for (int i = 0; i < 8; ++i) Feed("RESEND", 10, 3, 10.0f + static_cast<float>(i), i, 260, 1);
  const CRareAvgSet* set = FindRareAvg("RESEND", 10, 3, 260, 1, 0);
  ASSERT_NE(nullptr, set);
  EXPECT_EQ(16, set->arrBars.GetSize());
  Feed("RESEND", 10, 3, 99.0f, 7, 260, 1);  // same bar id
  EXPECT_EQ(16, set->arrBars.GetSize());
  EXPECT_EQ(99.0f, set->arrBars[15]->fRaw);
  EXPECT_EQ(99.0f, set->arrBars[14]->fRaw);
  EXPECT_EQ(17.0f - 1.0f, set->arrBars[13]->fRaw);
  // A negative date re-sends too.
  RareAvg("RESEND", 10, 3, 77.0f, -kDay, 930, 260, 0, 1, 0, 8);
  EXPECT_EQ(16, set->arrBars.GetSize());
  EXPECT_EQ(77.0f, set->arrBars[15]->fRaw);

  // Daily bars, count 2: the failed warm-up returns after one add, so fewer bars are stored
  // than the count. Taking back removes only what exists and the index stays right.
  EXPECT_EQ(kRareAvgNoValue, Feed("RESEND2", 10, 3, 1.0f, 0, 260, kDaily));
  const CRareAvgSet* daily = FindRareAvg("RESEND2", 10, 3, 260, kDaily, 0);
  EXPECT_EQ(1, daily->arrBars.GetSize());
  EXPECT_EQ(kRareAvgNoValue, Feed("RESEND2", 10, 3, 2.0f, 0, 260, kDaily));
  EXPECT_EQ(1, daily->arrBars.GetSize());
  EXPECT_EQ(0, daily->nCur);
  EXPECT_EQ(2.0f, daily->arrBars[0]->fRaw);
}

// Feeds a set directly: 6 flat bars, a rise by a tenth to 100, then the last value. The
// changes held are then 0, 0, 0, 0, 10 percent and that of the last bar. Returns the last
// bar's responded value.
float AfterCalmBars(CRareAvgSet& set, int factor, float last) {
  set.nScopeRegr = 3;
  set.nScopeWgt = 2;
  set.nBarType = kIntraday;
  const float values[] = {90, 90, 90, 90, 90, 90, 100, last};
  float result = 0;
  for (int i = 0; i < 8; ++i) {
    set.AddBar(kDay, 930 + i, values[i]);
    EXPECT_TRUE(set.Calculate(factor, result));
  }
  EXPECT_EQ(100.0f, set.arrBars[6]->fAdj);  // only 5 changes held at that bar
  return set.arrBars[7]->fAdj;
}

TEST(RareAvg, ResponseStretchesRareChanges) {
  const struct {
    int factor;
    float last, adjusted;
  } cases[] = {
      // Doubling: Q = 50 against an average of 10, R = 5.
      {100, 200.0f, 100.0f + 5.0f * 100.0f},
      {0, 200.0f, 200.0f},
      {60, 200.0f, 100.0f + 100.0f * std::pow(5.0f, 0.6f)},  // R^0.6
      // Falling to 25: the change is 300 percent of the value, held to 100, so the average
      // is 110 / 6 and R = 100 / (110 / 6).
      {100, 25.0f, 100.0f - 75.0f * 600.0f / 110.0f},
      // Falling to 50: the change is 100 percent exactly.
      {100, 50.0f, 100.0f - 50.0f * 600.0f / 110.0f},
  };
  for (const auto& c : cases) {
    CRareAvgSet set;
    EXPECT_NEAR(c.adjusted, AfterCalmBars(set, c.factor, c.last), 1e-3)
        << c.factor << " " << c.last;
  }
  // A bar without change takes the magnitude of its value; a bar whose change is not a
  // number (it follows a bar that is not a number) keeps its value.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const struct {
    int odd;
    float oddValue, adjusted;
  } flat[] = {{4, -36.0f, 40.0f}, {7, nan, -40.0f}};
  for (const auto& c : flat) {
    CRareAvgSet set;
    set.nScopeRegr = 3;
    set.nBarType = kIntraday;
    float result = 0;
    for (int i = 0; i < 9; ++i) {
      set.AddBar(kDay, 930 + i, i == c.odd ? c.oddValue : -40.0f);
      ASSERT_TRUE(set.Calculate(60, result));
    }
    EXPECT_EQ(c.adjusted, set.arrBars[8]->fAdj) << c.odd;
    EXPECT_EQ(-40.0f, set.arrBars[8]->fRaw);
  }
}

TEST(RareAvg, FactorZeroKeepsTheValuesAndAveragesTheFits) {
  const float values[] = {5, 7, 6, 9, 8, 12, 11, 10, 14, 13, 15, 18, 16, 17, 20};
  float last = 0;
  for (int i = 0; i < 15; ++i) last = Feed("FAC0", 10, 3, values[i], i, 0, kDaily);
  const CRareAvgSet* set = FindRareAvg("FAC0", 10, 3, 0, kDaily, 0);
  ASSERT_NE(nullptr, set);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(set->arrBars[i]->fRaw, set->arrBars[i]->fAdj);
  EXPECT_EQ(last, set->arrBars[14]->fRes);
  // The mean of the four fits at the bar before the newest, smoothed with weights 3, 2, 1
  // over the newest three bars.
  float mean[3];
  for (int j = 0; j < 3; ++j) {
    const int g = 11 + j;
    float a[4];
    ASSERT_TRUE(set->Fit(1, 0, g, a[0]));
    ASSERT_TRUE(set->Fit(1, 3, g, a[1]));
    ASSERT_TRUE(set->Fit(2, 0, g, a[2]));
    ASSERT_TRUE(set->Fit(2, 3, g, a[3]));
    mean[j] = (a[0] + a[1] + a[2] + a[3]) * 0.25f;
  }
  EXPECT_FLOAT_EQ((3.0f * mean[2] + 2.0f * mean[1] + 1.0f * mean[0]) / 6.0f, last);
}

// Windows and repeat counts far beyond any chart answer at once instead of holding the
// caller for minutes: a weight window the calc stack refuses sets no weights, and the
// repeat count packed into nRespFac is held to 100.
TEST(RareAvg, HugeWindowsAndRepeatCountsAnswerAtOnce) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 1; i <= 40; ++i) {
    const float v = 100.0f + static_cast<float>(i % 5);
    EXPECT_FALSE(std::isnan(Feed("HUGEW", 10, INT_MAX, v, i, 60, kIntraday)));
    EXPECT_FALSE(std::isnan(Feed("HUGER", 10, 3, v, i, INT_MAX, kIntraday)));
  }
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
}


// The lines RareAvg writes, as text, category and level: the start and the factor-61 lines
// have no category column; a failure caught while a bar is added (an allocation that
// throws) is logged under "RareAvg" with its stage, and the call gives no value.
TEST(RareAvg, TraceLines) {
  LogCapture log;
  log.Start("rare_avg_test");
  for (int i = 0; i < 3; ++i) Feed("LOGRA", 10, 3, 5.0f + static_cast<float>(i), i, 61, 1);
  alloc_fault::Arm(1);  // the new bar of the next call
  const float failed = Feed("LOGRA", 10, 3, 9.0f, 3, 61, 1);
  alloc_fault::Disarm();
  EXPECT_EQ(kRareAvgNoValue, failed);
  const std::string text = log.NewLogText();
  const struct {
    const char* start;
    const char* head;
  } lines[] = {
      {"RareAvg: Initializing Sym=LOGRA, BarType=1, Len=10 (", "a"},
      {"ret = RareAvg(nScopeRegr,nScopeWgt,    7.00000f,1150326, 932,nRespFac,0,1,0); "
       "// RespFac=61, Res=",
       "a"},
      {"RareAvg: Internal Error1 occured Stage=4 (Sym=LOGRA, Val=9.000000, Date=1150326, "
       "Time=933, Err=",
       "RareAvg|a"},
  };
  for (const auto& line : lines) EXPECT_EQ(line.head, LogLineHead(text, line.start)) << text;
}

}  // namespace
