// CCalcStack: the averages, weights, step-back and median on small worked series, the
// length limits, and the states in which the stack must refuse to store (allocation
// failures included: malloc is wrapped at link time so that a test can make it fail).

#include "studycore/calc_stack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "common/testing/log_capture.h"

extern "C" {
void* __real_malloc(size_t n);
// Counts down with every allocation while armed; the allocation that reaches zero fails.
int g_mallocFailIn = 0;
void* __wrap_malloc(size_t n) {
  if (g_mallocFailIn > 0 && --g_mallocFailIn == 0) return nullptr;
  return __real_malloc(n);
}
}

namespace {

class CalcStackTest : public ::testing::Test {
 protected:
  void SetUp() override { log_.Start("calc_stack_test"); }
  void TearDown() override { g_mallocFailIn = 0; }
  std::string Log() { return log_.NewLogText(); }
  static std::vector<float> Slots(const CCalcStack& s) {
    return std::vector<float>(s.pVal, s.pVal + s.nSize);
  }
  LogCapture log_;
};

TEST_F(CalcStackTest, SimpleAverageCoversTheWindowExtremesCoverEverything) {
  CCalcStack s;
  ASSERT_EQ(s.SetLength(3), 1);
  const float expected[] = {1.0f, 1.5f, 2.0f, 3.0f};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(s.AddMA(static_cast<float>(i + 1)), 1);
    EXPECT_FLOAT_EQ(s.fAvg, expected[i]) << i;
  }
  EXPECT_EQ(s.fMax, 4.0f);
  EXPECT_EQ(s.fMin, 1.0f);
  EXPECT_EQ(s.nCount, 3u);
  EXPECT_EQ(s.nPos, 1u);
  EXPECT_EQ(Slots(s), (std::vector<float>{4, 2, 3}));
}

TEST_F(CalcStackTest, SimpleAverageSumsInSlotOrderInSinglePrecision) {
  CCalcStack s;
  s.SetLength(3);
  s.AddMA(1.0e8f);
  s.AddMA(1.0f);
  s.AddMA(-1.0e8f);
  // (1e8 + 1) rounds back to 1e8 in single precision, so the sum is 0, not 1.
  EXPECT_EQ(s.fAvg, 0.0f);
}

TEST_F(CalcStackTest, ExponentialAverage) {
  struct Case {
    int length;
    std::vector<float> values, averages;
  } cases[] = {
      {3, {10, 20}, {10, 15}},
      {1, {10, 20, -3}, {10, 20, -3}},  // a one-slot stack follows the latest value
      {3, {10, 20, 40, -10}, {10, 15, 27.5f, 8.75f}},
  };
  for (const Case& c : cases) {
    CCalcStack s;
    s.SetLength(c.length);
    for (size_t i = 0; i < c.values.size(); ++i) {
      s.AddEMA(c.values[i]);
      EXPECT_EQ(s.fAvg, c.averages[i]) << c.length << " " << i;
    }
  }
}

TEST_F(CalcStackTest, WeightedAverageInWeightedAndPlainMode) {
  CCalcStack weighted;
  weighted.bWeighted = 1;
  ASSERT_EQ(weighted.SetLength(3), 1);
  ASSERT_NE(weighted.pWgt, nullptr);
  for (int j = 0; j < 3; ++j) EXPECT_EQ(weighted.SetWeight(static_cast<float>(3 - j), j), 1);
  const float expected[] = {1.0f, 1.6f, 14.0f / 6.0f, 20.0f / 6.0f};
  for (int i = 0; i < 4; ++i) {
    weighted.AddWgtAvg(static_cast<float>(i + 1));
    EXPECT_FLOAT_EQ(weighted.fAvg, expected[i]) << i;
  }

  // Plain mode keeps only the weight stored last; zero weights count as 1.
  CCalcStack plain;
  plain.SetLength(3);
  for (int j = 0; j < 3; ++j) plain.SetWeight(static_cast<float>(3 - j), j);
  EXPECT_EQ(std::vector<float>(plain.pWgt, plain.pWgt + 3), (std::vector<float>{0, 0, 1}));
  for (float v : {3.0f, 6.0f, 9.0f}) plain.AddWgtAvg(v);
  EXPECT_EQ(plain.fAvg, 6.0f);

  // Weights of 0 or below count as 1, a small positive weight counts as it is, and a weight
  // that is not a number makes the average not a number. Values 2 then 8: the newest (8)
  // weighs as entry 0 says, the older (2) as entry 1 (4).
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const struct {
    float newest;
    float avg;
  } weights[] = {{0.0f, 3.2f}, {-2.0f, 3.2f}, {0.25f, 2.0f + 1.5f / 4.25f}, {nan, nan}};
  for (const auto& c : weights) {
    CCalcStack s;
    s.bWeighted = 1;
    s.SetLength(2);
    s.SetWeight(c.newest, 0);
    s.SetWeight(4.0f, 1);
    s.AddWgtAvg(2.0f);
    s.AddWgtAvg(8.0f);
    if (std::isnan(c.avg)) {
      EXPECT_TRUE(std::isnan(s.fAvg));
    } else {
      EXPECT_FLOAT_EQ(s.fAvg, c.avg) << c.newest;
    }
  }
}

TEST_F(CalcStackTest, SetWeightRangeAndSameLengthClearsWeights) {
  CCalcStack s;
  s.bWeighted = 1;
  s.SetLength(2);
  EXPECT_EQ(s.SetWeight(5, -1), 0);
  EXPECT_EQ(s.SetWeight(5, 2), 0);
  EXPECT_EQ(s.SetWeight(5, 1), 1);
  s.AddMA(4);
  ASSERT_EQ(s.SetLength(2), 1);  // same length: emptied, weights cleared, fAvg kept
  EXPECT_EQ(s.pWgt[1], 0.0f);
  EXPECT_EQ(s.nCount, 0u);
  EXPECT_EQ(s.fAvg, 4.0f);
  EXPECT_EQ(Log(), "");  // range refusals are silent
}

TEST_F(CalcStackTest, LengthLimitsAndUninitialisedStates) {
  struct Case {
    int length;
    int result;
    bool initialised;
    const char* logged;
  } cases[] = {
      {0, 1, false, ""},
      {-5, 1, false, ""},
      {1000000, 1, true, ""},
      {1000001, 0, false, "Excessive Stack Length: 1000001"},
  };
  for (const Case& c : cases) {
    CCalcStack s;
    s.SetLength(4);
    s.AddMA(7);
    EXPECT_EQ(s.SetLength(c.length), c.result) << c.length;
    EXPECT_EQ(s.pVal != nullptr, c.initialised) << c.length;
    EXPECT_NE(Log().find(c.logged), std::string::npos) << c.length;
    if (c.initialised) continue;
    EXPECT_EQ(s.nCount, 0u);
    EXPECT_EQ(s.Rewind(1), -1);
    EXPECT_EQ(s.Add(1), 0);
    EXPECT_EQ(s.AddMA(1), 0);
    EXPECT_EQ(s.AddEMA(1), 0);
    EXPECT_EQ(s.AddWgtAvg(1), 0);
    EXPECT_EQ(s.fAvg, 7.0f);  // the owner goes on with the old result
    const std::string log = Log();
    EXPECT_NE(log.find("VozoReru        |"), std::string::npos);
    for (const char* op : {"Add", "AddMA", "AddEMA", "AddWgtAvg"}) {
      EXPECT_NE(log.find(std::string("|") + op + ": Stack not initialized"), std::string::npos)
          << op;
    }
  }
}

TEST_F(CalcStackTest, AllocationFailuresLeaveTheStackNotInitialised) {
  struct Case {
    int failingAllocation;  // 1: value table, 2: weight table
    const char* logged;
  } cases[] = {{1, "Out of Memory (Max=8)"}, {2, "Out of Memory (MaxWgt=8)"}};
  for (const Case& c : cases) {
    CCalcStack s;
    s.bWeighted = 1;
    g_mallocFailIn = c.failingAllocation;
    EXPECT_EQ(s.SetLength(8), 0);
    g_mallocFailIn = 0;
    EXPECT_EQ(s.pVal, nullptr);
    EXPECT_EQ(s.nSize, 0u);
    EXPECT_EQ(s.bWeighted, 1);  // the mode survives for the next attempt
    EXPECT_EQ(s.AddWgtAvg(1), 0);
    EXPECT_NE(Log().find(c.logged), std::string::npos);
    EXPECT_EQ(s.SetLength(8), 1);
    EXPECT_NE(s.pWgt, nullptr);
  }
  CCalcStack plain;
  plain.SetLength(3);
  g_mallocFailIn = 1;
  EXPECT_EQ(plain.SetWeight(2, 0), 0);
  EXPECT_NE(Log().find("Out of Memory (MaxWgt=3)"), std::string::npos);
}

TEST_F(CalcStackTest, FreeKeepsPositionAndResults) {
  CCalcStack s;
  s.bWeighted = 1;
  s.SetLength(3);
  s.AddMA(2);
  s.AddMA(4);
  s.Free();
  EXPECT_EQ(s.pVal, nullptr);
  EXPECT_EQ(s.pWgt, nullptr);
  EXPECT_EQ(s.bWeighted, 0);
  EXPECT_EQ(s.nLength, 0u);
  EXPECT_EQ(s.nPos, 2u);
  EXPECT_EQ(s.fAvg, 3.0f);
  EXPECT_EQ(s.fMax, 4.0f);
}

TEST_F(CalcStackTest, RewindZeroesTheNewestSlotsAndTheNextAddRefillsThem) {
  CCalcStack s;
  s.SetLength(4);
  EXPECT_EQ(s.Rewind(1), -2);
  for (float v : {5.0f, 6.0f, 7.0f}) s.Add(v);
  EXPECT_EQ(s.Rewind(2), 0);
  EXPECT_EQ(Slots(s), (std::vector<float>{5, 0, 0, 0}));
  EXPECT_EQ(s.nCount, 3u);
  s.Add(8);
  EXPECT_EQ(Slots(s), (std::vector<float>{5, 8, 0, 0}));

  // Across the wrap of a full ring, and more than held.
  CCalcStack full;
  full.SetLength(3);
  for (float v : {1.0f, 2.0f, 3.0f, 4.0f}) full.Add(v);  // ring 4 2 3, next write at 1
  EXPECT_EQ(full.Rewind(2), 0);                           // takes back 4 and 3
  EXPECT_EQ(Slots(full), (std::vector<float>{0, 2, 0}));
  full.Add(9);
  EXPECT_EQ(Slots(full), (std::vector<float>{0, 2, 9}));
  EXPECT_EQ(full.Rewind(10), 0);
  EXPECT_EQ(Slots(full), (std::vector<float>{0, 0, 0}));
}

TEST_F(CalcStackTest, Median) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    std::vector<float> values;
    float median;
  } cases[] = {
      {{}, 0},
      {{7}, 7},
      {{4, 1, 3, 2}, 2.5f},
      {{5, 1, 3}, 3},
      {{2, 2, 1, 2}, 2},
      {{-inf, 3, inf}, 3},
      {{nan, 1, 3}, 3},        // NaN sorts last: 1 3 NaN
      {{1, nan, nan, 2, 0}, 2},  // 0 1 2 NaN NaN
  };
  for (const Case& c : cases) {
    CCalcStack s;
    s.SetLength(static_cast<int>(c.values.size()) + 1);
    for (float v : c.values) s.Add(v);
    EXPECT_EQ(s.Median(), c.median) << c.values.size();
  }
  // Many NaN among many numbers: the numbers still come out ascending in front.
  CCalcStack big;
  big.SetLength(401);
  for (int i = 0; i < 401; ++i) big.Add(i % 3 == 0 ? nan : static_cast<float>((i * 37) % 101));
  big.Median();
  int numbers = 0;
  while (numbers < 401 && !std::isnan(big.pVal[numbers])) ++numbers;
  EXPECT_EQ(numbers, 267);
  for (int i = 1; i < numbers; ++i) EXPECT_LE(big.pVal[i - 1], big.pVal[i]);
  for (int i = numbers; i < 401; ++i) EXPECT_TRUE(std::isnan(big.pVal[i]));
}

}  // namespace
