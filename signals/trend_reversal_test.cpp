// The trend reversal band: the fan of lengths, instance keys and restarts, the score.

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "common/testing/log_capture.h"
#include "signals/trend_reversal.h"

#pragma GCC diagnostic ignored "-Winvalid-offsetof"  // the records are not standard-layout
static_assert(alignof(CTrendRevSym) == 64 && offsetof(CTrendRevSym, arrStacks) + sizeof(SPtrArray) <= 64,
              "the fields every call reads share the record's first cache line");

namespace {

constexpr int kDay = 1150326;

int Call(const char* sym, int time, float value, int fast, int slow, TrendReversalOut& out,
         int date = kDay) {
  return TrendReversal(sym, date, time, 5, 30, value, 1.0f, fast, slow, out);
}

std::vector<int> Lengths(const char* sym) {
  std::vector<int> lengths;
  const CTrendRevSym* set = FindTrendRev(sym, 5, 30);
  for (int i = 0; set && i < set->arrStacks.GetSize(); ++i)
    lengths.push_back(static_cast<int>(set->arrStacks[i]->nLength));
  return lengths;
}

TEST(TrendReversal, FanOfLengths) {
  struct Case {
    int fast, slow;
    std::vector<int> lengths;
  } cases[] = {
      {10, 120, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120}},
      {20, 130, {20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130}},
      {10, 100, {10, 18, 26, 34, 42, 50, 58, 66, 74, 82, 90, 98}},
      {10, 20, {10}},  // step 0: one average
      {10, 10, {10}},
      {10, 9, {}},
  };
  for (const Case& c : cases) {
    const std::string sym = "FAN" + std::to_string(c.fast) + "_" + std::to_string(c.slow);
    TrendReversalOut out;
    const int result = Call(sym.c_str(), 930, 50.0f, c.fast, c.slow, out);
    EXPECT_EQ(c.lengths, Lengths(sym.c_str())) << sym;
    EXPECT_EQ(c.lengths.empty() ? -1 : 0, result) << sym;  // first bar: flat band
    EXPECT_EQ(0.0f, out.pos);
    EXPECT_EQ(0.0f, out.width);
  }
}

TEST(TrendReversal, ChecksAndZeroedOutputs) {
  TrendReversalOut out;
  out.pos = 7;
  EXPECT_EQ(-1, TrendReversal(nullptr, 899999, 930, 5, 30, 1, 1, 10, 20, out));
  EXPECT_EQ(0.0f, out.pos);
  EXPECT_EQ(-2, TrendReversal(nullptr, 900000, 930, 5, 30, 1, 1, 10, 20, out));
}

TEST(TrendReversal, InstanceKeepsItsLengthsUntilTimeRunsBack) {
  TrendReversalOut out;
  Call("KEEP", 930, 1.0f, 10, 30, out);
  Call("keep", 931, 1.0f, 5, 100, out);
  EXPECT_EQ((std::vector<int>{10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25,
                              26, 27, 28, 29, 30}),
            Lengths("KEEP"));
  Call("KEEP", 931, 1.0f, 5, 100, out);  // the same date-time: kept
  EXPECT_EQ(10, Lengths("KEEP")[0]);
  Call("KEEP", 930, 1.0f, 5, 100, out);  // earlier: starts again with the new lengths
  EXPECT_EQ(5, Lengths("KEEP")[0]);
  EXPECT_EQ(1u, FindTrendRev("KEEP", 5, 30)->arrStacks[0]->nCount);
  // Other bar settings are another instance.
  EXPECT_EQ(nullptr, FindTrendRev("KEEP", 5, 31));
}

TEST(TrendReversal, ScoreAndWidthInsideAndOutsideTheBand) {
  // Two averages, lengths 2 and 3, fed 50 and 260 before the value V: the band runs from
  // (310 + V) / 3 to (260 + V) / 2.
  struct Case {
    float value;
    int result;
    float pos;
  } cases[] = {
      {200.0f, 0, 0.0f},     // halfway: 170 .. 230
      {155.0f, 0, -100.0f},  // at the lower edge
      {154.0f, 1, -100.0f},  // below it
      {260.0f, 0, 100.0f},   // at the upper edge
      {300.0f, 2, 100.0f},   // above it
      {180.0f, 0, -50.0f},   // 2.35 quarters up
  };
  for (const Case& c : cases) {
    CTrendRevSym set;
    set.nFast = 2;
    set.nSlow = 3;
    set.nSteps = 1;
    set.BuildStacks();
    float pos = 0, width = 0;
    set.Evaluate(50.0f, 2.0f, pos, width);
    set.Evaluate(260.0f, 2.0f, pos, width);
    pos = width = 0;
    EXPECT_EQ(c.result, set.Evaluate(c.value, 2.0f, pos, width)) << c.value;
    EXPECT_EQ(c.pos, pos) << c.value;
    const float lo = (310.0f + c.value) / 3.0f, hi = (260.0f + c.value) / 2.0f;
    EXPECT_FLOAT_EQ(2.0f * 10000.0f * (hi - lo) / lo, width) << c.value;
  }
  // A flat band: both outputs stay 0.
  CTrendRevSym flat;
  flat.BuildStacks();
  float pos = 0, width = 0;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(0, flat.Evaluate(7.0f, 1.0f, pos, width));
  EXPECT_EQ(0.0f, pos);
  EXPECT_EQ(0.0f, width);
}

TEST(TrendReversal, ValueAtTheTopOfTheBandIsTheTopQuarter) {
  // Lengths 1 to 12 fed a, then b above it: the band runs from (a + b) / 2 up to b, and the
  // value sits on its top edge. The quarter count is 8 exactly for some spans and lands
  // just above 8 (8.00000095) in single precision for others; both are +100 inside the band.
  const struct {
    float a, b;
  } cases[] = {{10.0f, 11.0f}, {10.0f, 11.5f},  // 8 exactly
               {0.1f, 2.80000162f}, {10.0f, 11.3f}, {10.1f, 12.9f}, {10.6f, 14.4f}};
  for (const auto& c : cases) {
    CTrendRevSym set;
    set.nFast = 1;
    set.nSlow = 12;
    set.BuildStacks();
    float pos = 0, width = 0;
    set.Evaluate(c.a, 1.0f, pos, width);
    EXPECT_EQ(0, set.Evaluate(c.b, 1.0f, pos, width)) << c.a << " " << c.b;
    EXPECT_EQ(100.0f, pos) << c.a << " " << c.b;
  }
}

// The line a new instance writes, as text, category and level (restarts write it again).
TEST(TrendReversal, TraceLines) {
  LogCapture log;
  log.Start("trend_reversal_test");
  TrendReversalOut out;
  Call("LOGT", 930, 1.0f, 10, 120, out);
  Call("LOGT", 929, 1.0f, 20, 31, out);
  const std::string text = log.NewLogText();
  const struct {
    const char* start;
    const char* head;
  } lines[] = {
      {"AddSym (Ver=1.2c) ret=   0, Sym=LOGT      , Bar=5/ 30, Fast=  10, Slow= 120, "
       "Steps=  11, Exp=0",
       "TrendRev|a"},
      {"AddSym (Ver=1.2c) ret=   0, Sym=LOGT      , Bar=5/ 30, Fast=  20, Slow=  31, ",
       "TrendRev|a"},
  };
  for (const auto& line : lines) EXPECT_EQ(line.head, LogLineHead(text, line.start)) << text;
}

}  // namespace
