// The rules of one XMT_RRS call: scope 1, the warm-up, the window before the newest point,
// the outlier, the result modes, the restarts and the trace line, on hand-made series.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "momentum/rrs.h"
#include "momentum/rrs_row_budget.h"
#include "momentum/rrs_window.h"
#include "momentum/testing/rrs_direct.h"
#include "common/testing/log_capture.h"

namespace {

constexpr int kDay1 = 1250105, kDay2 = 1250106;  // 2025-01-05, 2025-01-06

struct Step {
  float value;
  int date;
  float expected;
};

struct Case {
  const char* name;
  int scope, resMode, barType, extra;
  std::vector<Step> steps;
};

class RrsTest : public ::testing::Test {
 protected:
  void SetUp() override { ReleaseRrsHistories(); }
  void TearDown() override { ReleaseRrsHistories(); }

  static float Call(const Case& c, const Step& s, int respFac = 7) {
    RrsArgs a;
    a.scope = c.scope;
    a.resMode = c.resMode;
    a.value = s.value;
    a.date = s.date;
    a.time = 1000;
    a.respFac = respFac;
    a.barType = c.barType;
    a.extra = c.extra;
    return CalcRrs(a);
  }
};

TEST_F(RrsTest, WorkedSeries) {
  const int d1 = kDay1, d2 = kDay2;
  const std::vector<Case> cases = {
      {"scope 1 returns the value", 1, 2, 2, 0, {{5, d1, 5}, {7, d1, 7}, {-3, d1, -3}}},
      {"scope 0 counts as 1", 0, 1, 2, 0, {{5, d1, 5}, {7, d1, 7}}},
      {"negative scope counts as 1", -4, 1, 2, 0, {{5, d1, 5}, {7, d2, 7}}},
      // The window ends one point before the newest: 1, 2 then 1, 2, 3.
      {"rising by one, plain", 3, 1, 2, 0, {{1, d1, 0}, {2, d1, 0}, {3, d1, 100}, {4, d1, 100}}},
      {"rising by one, per value", 3, 2, 2, 0,
       {{1, d1, 0}, {2, d1, 0}, {3, d1, 100.0f / 3 * 1000}, {4, d1, 25000}}},
      // Window 10, 11, 30: medians 5.5, 10, 14.5; then 10, 11, 30, 13: 1, 1, 10, 1.
      {"outlier does not move the slope", 4, 1, 2, 0,
       {{10, d1, 0}, {11, d1, 0}, {30, d1, 100}, {13, d1, 1000}, {14, d1, 100}}},
      {"scope 2: slope of the two points before the newest", 2, 1, 2, 0,
       {{10, d1, 0}, {14, d1, 0}, {4, d1, 400}, {0, d1, -1000}, {1, d1, -400}}},
      {"date going back starts over", 3, 1, 2, 0,
       {{1, d2, 0}, {2, d2, 0}, {3, d2, 100}, {9, d1, 0}, {8, d1, 0}, {7, d1, -100}}},
      {"intraday: a new date starts over", 3, 1, 1, 0,
       {{1, d1, 0}, {2, d1, 0}, {3, d1, 100}, {5, d2, 0}, {6, d2, 0}, {8, d2, 100}}},
      {"tick bars restart too", 3, 1, 0, 0, {{1, d1, 0}, {2, d1, 0}, {3, d1, 100}, {5, d2, 0}}},
      {"intraday with nExtra carries on", 3, 1, 1, 1,
       {{1, d1, 0}, {2, d1, 0}, {3, d1, 100}, {5, d2, 100}, {8, d2, 150}}},
      {"daily bars carry on", 3, 1, 2, 0, {{1, d1, 0}, {2, d1, 0}, {3, d1, 100}, {5, d2, 100}}},
      // One point of the old date is not restarted: 1 (d1), 2 and 4 (d2) form the window.
      {"a single old point is kept", 3, 1, 1, 0, {{1, d1, 0}, {2, d2, 0}, {4, d2, 100}}},
      {"a date of 0 empties every time", 3, 1, 2, 0, {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}}},
      {"a repeated bar adds a point", 3, 1, 2, 0,
       {{1, d1, 0}, {1, d1, 0}, {1, d1, 0}, {3, d1, 0}, {5, d1, 100}}},
  };
  for (size_t k = 0; k < cases.size(); ++k) {
    const Case& c = cases[k];
    ReleaseRrsHistories();
    for (size_t i = 0; i < c.steps.size(); ++i)
      EXPECT_FLOAT_EQ(c.steps[i].expected, Call(c, c.steps[i])) << c.name << ", call " << i + 1;
  }
}

// The key combination is what separates histories; the scope is compared as passed, so
// scopes 0 and -1 do not share one history (both behave as 1).
TEST_F(RrsTest, OneHistoryPerKeyCombination) {
  const Case base{"", 3, 1, 2, 0, {}};
  const Step s{1, kDay1, 0};
  Call(base, s);
  Call(base, s);
  EXPECT_EQ(1, RrsHistoryCount());
  Case other = base;
  for (int Case::*key : {&Case::scope, &Case::barType, &Case::extra}) {
    other = base;
    other.*key += 1;
    Call(other, s);
  }
  Call(base, s, 8);
  other = base;
  other.resMode = 2;  // not a key
  Call(other, s);
  EXPECT_EQ(5, RrsHistoryCount());
  Case zero = base, minus = base;
  zero.scope = 0;
  minus.scope = -1;
  for (int i = 0; i < 3; ++i) {
    Call(zero, s);
    Call(minus, s);
  }
  EXPECT_EQ(7, RrsHistoryCount());
}

TEST_F(RrsTest, TraceLineOnlyForRespFac61) {
  LogCapture log;
  log.Start("rrs_test");
  const Case c{"", 3, 1, 1, 0, {}};
  for (float v : {1.0f, 2.0f, 3.0f}) Call(c, {v, kDay1, 0}, 60);
  EXPECT_EQ("", log.NewLogText());
  float r = 0;
  for (float v : {1.0f, 2.0f, 3.5f}) r = Call(c, {v, kDay1, 0}, 61);
  EXPECT_FLOAT_EQ(100, r);
  const std::string text = log.NewLogText();
  EXPECT_NE(std::string::npos,
            text.find("ret = (pFunc)(nScopeRegr,1,    3.50f,1250105,1000,nRespFac,0,1,0); "
                      "// RespFac=61, Res=  100.00\r\n"))
      << text;
  size_t lines = 0;
  for (size_t at = text.find("RespFac=61"); at != std::string::npos;
       at = text.find("RespFac=61", at + 1))
    ++lines;
  EXPECT_EQ(3u, lines) << text;
}

// NaN and infinite values run through without harm and come out as the direct method has
// them; the window forgets them once they leave it.
TEST_F(RrsTest, NanAndInfinityPassThrough) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const std::vector<float> values = {1, 2, nan, 4, inf, -inf, 7, 8, 9, 10, 11, 12, 13, 3e38f,
                                     -3e38f, 0, 0, 0, 1e-45f, 15};
  for (int scope : {2, 3, 4, 5}) {
    for (int mode : {1, 2}) {
      ReleaseRrsHistories();
      DirectRrsHistory direct(scope);
      const Case c{"", scope, mode, 2, 0, {}};
      for (size_t i = 0; i < values.size(); ++i) {
        const float expect = direct.Call(mode, values[i], kDay1, 2, 0);
        const float got = Call(c, {values[i], kDay1, 0});
        EXPECT_TRUE(SameRrsResult(expect, got))
            << "scope " << scope << " mode " << mode << " call " << i + 1 << ": " << got
            << " instead of " << expect;
      }
    }
  }
}

// The window without per-point rows (long scopes) gives the same slopes as the one with.
TEST(RrsWindowTest, DirectSelectionMatchesSortedRows) {
  RrsWindow sorted(40), direct(40, 8);
  EXPECT_TRUE(sorted.KeepsRows());
  EXPECT_FALSE(direct.KeepsRows());
  float v = 100;
  for (int i = 0; i < 300; ++i) {
    v += static_cast<float>((i * 7919) % 23) - 11.0f + (i % 5 == 0 ? 0.25f : 0.0f);
    for (RrsWindow* w : {&sorted, &direct}) {
      if (i == 150) w->Clear();
      if (w->Size() < w->MaxSize())
        w->Push(v);
      else
        w->Slide(v);
    }
    if (sorted.Size() < 2) continue;
    ASSERT_EQ(sorted.Size(), direct.Size());
    const float a = sorted.Slope(), b = direct.Slope();
    ASSERT_TRUE(SameRrsResult(a, b)) << "point " << i << ": " << a << " vs " << b;
  }
}

}  // namespace

// Many histories: each key keeps its own window however many histories the index holds
// (past the first growth of the index at 48) and in whatever order they were made.
TEST_F(RrsTest, ManyHistoriesKeepTheirOwnWindows) {
  constexpr int kHistories = 300;
  for (int round = 0; round < 3; ++round) {
    for (int k = 0; k < kHistories; ++k) {
      const Case c{"key", 3, 1, 2, k * 7919 - 1000000, {}};
      // History k rises by k + 1 a step: from the third point on its slope is 100 (k + 1).
      const float r = Call(c, {static_cast<float>((k + 1) * round), kDay1, 0}, k % 5);
      EXPECT_EQ(round < 2 ? 0.0f : 100.0f * static_cast<float>(k + 1), r) << k;
    }
  }
  EXPECT_EQ(kHistories, RrsHistoryCount());
}

namespace {

// Both sides of the row budget: the history that fits keeps its rows, the next one (past
// the budget) computes directly with the same results, and freed histories give their
// bytes back.
TEST_F(RrsTest, RowBudgetHoldsTheSortedRowsOfAllHistories) {
  constexpr int kScope = 10;
  SetRrsRowBudgetForTest(RrsRowBytes(kScope) + RrsRowBytes(kScope) - 1);
  RrsArgs a;
  a.scope = kScope;
  a.barType = 2;
  a.time = 1000;
  RrsArgs b = a;
  b.respFac = 1;
  for (int i = 0; i < 40; ++i) {
    a.value = b.value = 100.0f + static_cast<float>((i * 7) % 11) - static_cast<float>(i) / 3;
    a.date = b.date = kDay1 + i;
    const float withRows = CalcRrs(a);
    EXPECT_EQ(withRows, CalcRrs(b)) << i;
  }
  EXPECT_TRUE(RrsHistoryKeepsRows(a));
  EXPECT_FALSE(RrsHistoryKeepsRows(b));
  EXPECT_EQ(RrsRowBytes(kScope), RrsRowBytesTaken());
  ReleaseRrsHistories();
  EXPECT_EQ(0, RrsRowBytesTaken());
  // Exactly the budget fits.
  SetRrsRowBudgetForTest(RrsRowBytes(kScope));
  CalcRrs(b);
  EXPECT_TRUE(RrsHistoryKeepsRows(b));
  SetRrsRowBudgetForTest(kRrsRowBudgetBytes);
}

}  // namespace
