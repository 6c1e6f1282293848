// XMT_SIGNALS from the outside: loaded by file name, the pressure, excursion, average and
// band exports called by name with worked examples, failure codes and hostile arguments.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "hostbridge/testing/fake_host.h"
#include "signals/testing/signals_under_test.h"
#include "signals/xmt_signals.h"

namespace {

class SignalsExports : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(s.Complete()) << s.lib.Error(); }
  static inline SignalsLibrary& s = SignalsLibrary::Get();
};

TEST_F(SignalsExports, BuySellPressureThroughTheStudyObject) {
  FakeHost host;
  FakeVariable& array = host.AddArray("arrBSP", {10});
  array.values[2] = 5;
  array.values[3] = 5;
  array.values[4] = 1;
  FakeBar bar;
  bar.upTicks = 30;
  bar.downTicks = 10;
  host.AddBar(bar);
  char err[XMT_SIGNALS_ERR_BUF_SIZE] = "ES";
  ASSERT_EQ(0, s.bsp("Study", 1, 2, err, &host, 0));
  const std::vector<double>& v = *host.ArrayValues("arrBSP");
  EXPECT_FLOAT_EQ(1.0f - 10.0f / 30.0f, static_cast<float>(v[0]));
  EXPECT_EQ(40.0, v[7]);

  EXPECT_EQ(-2, s.bsp(nullptr, 1, 2, nullptr, &host, 0));

  host.RemoveArray("arrBSP");
  std::strcpy(err, "ES2");
  EXPECT_EQ(-6, s.bsp("Study", 1, 2, err, &host, 0));
  EXPECT_STREQ("XMT_UT64 Error#6 occured - arrBSP missing", err);
  EXPECT_EQ(-9, s.bsp("Study", 1, 2, nullptr, nullptr, 0));

  float w = 0;
  EXPECT_EQ(0, s.bspCalc(nullptr, 0, 5, 1, &w));
  EXPECT_EQ(-1.0f, w);
  EXPECT_EQ(0, s.bspCalc(nullptr, 5, 0, 1, nullptr));
}

TEST_F(SignalsExports, FindGemAddAndCalc) {
  const int high = 10000, low = 9000, v5 = 1;
  EXPECT_EQ(-1, s.gemAdd(0, "EG", 899999, 930, 100, &high, &high, &low, &low, &v5, 20));
  EXPECT_EQ(-2, s.gemAdd(0, nullptr, 1150326, 930, 100, &high, &high, &low, &low, &v5, 20));
  EXPECT_EQ(-3, s.gemAdd(0, "EG", 1150326, 930, 0, &high, &high, &low, &low, &v5, 20));
  EXPECT_EQ(1, s.gemAdd(0, "EG", 1150326, 930, 100, &high, &high, &low, &low, &v5, -2));
  const int lowA = 8800, lowB = 8900;
  EXPECT_EQ(2, s.gemAdd(0, "EG", 1150326, 931, 100, &high, &high, &lowA, &lowA, &v5, -2));
  EXPECT_EQ(3, s.gemAdd(0, "EG", 1150326, 932, 100, nullptr, &high, &lowB, nullptr, nullptr, 0));
  float lp = -1, lm = -1, sp = -1, sm = -1;
  EXPECT_EQ(2, s.gemCalc(0, "EG", 1150326, 932, &lp, &lm, &sp, &sm));
  EXPECT_FLOAT_EQ(2.0f, lp);
  EXPECT_FLOAT_EQ(10.0f, lm);
  EXPECT_EQ(0.0f, sp);
  EXPECT_FLOAT_EQ(12.0f, sm);
  EXPECT_EQ(-1, s.gemCalc(0, "EG", 1150326, 931, &lp, &lm, &sp, &sm));
  EXPECT_EQ(0.0f, lp);
  EXPECT_EQ(-2, s.gemCalc(0, nullptr, 1150326, 932, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(2, s.gemCalc(0, "EG", 1150326, 932, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(SignalsExports, RareAvgDiagnosticsWarmUpAndHostileArguments) {
  for (int i = 0; i < 8; ++i) {
    const float v = 100.0f + static_cast<float>(i);
    EXPECT_EQ(v, s.rareAvg("ER", 10, 0, v, 1150326, 930 + i, -1820, 0, 2, 0, i));
    const float daily = s.rareAvg("ER", 10, 0, v, 1150326 + i, 0, 60, 0, 2, 0, i);
    if (i <= 4) {
      EXPECT_EQ(1.0e9f, daily) << i;
    }
  }
  EXPECT_EQ(3.0f, s.rareAvg(nullptr, 10, 0, 3.0f, 1150326, 930, 60, 0, 2, 0, 1));
  // Extreme numbers give a number (or 1e9), not a crash or a hang.
  const int extremes[] = {INT_MIN, -1, 0, 1, INT_MAX};
  for (int regr : extremes)
    for (int date : {INT_MIN, 0, INT_MAX}) {
      const float r = s.rareAvg("EX", regr, INT_MIN, 1.0f, date, INT_MAX, -5, 0, 0, 0, 7);
      (void)r;
    }
}

TEST_F(SignalsExports, TrendReversalBandAndChecks) {
  float pos = 5, width = 5;
  EXPECT_EQ(-1, s.trendRev(0, "ET", 899999, 930, 5, 1, 1.0f, 1.0f, 10, 120, &pos, &width));
  EXPECT_EQ(0.0f, pos);
  EXPECT_EQ(0.0f, width);
  EXPECT_EQ(-2, s.trendRev(0, nullptr, 1150326, 930, 5, 1, 1.0f, 1.0f, 10, 120, &pos, &width));
  EXPECT_EQ(-1, s.trendRev(0, "ET_SLOW", 1150326, 930, 5, 1, 1.0f, 1.0f, 20, 10, &pos, &width));
  // Lengths 10 .. 120: rising values end above the band.
  int result = 0;
  for (int i = 0; i < 30; ++i)
    result = s.trendRev(0, "ET", 1150326, 900 + i, 5, 1, 100.0f + static_cast<float>(i), 1.0f,
                        10, 120, &pos, &width);
  EXPECT_EQ(2, result);
  EXPECT_EQ(100.0f, pos);
  EXPECT_GT(width, 0.0f);
  EXPECT_EQ(1, s.trendRev(0, "ET", 1150326, 1000, 5, 1, 1.0f, 1.0f, 10, 120, nullptr, nullptr));
  EXPECT_EQ(-1, s.trendRev(0, "ET_X", 1150326, 930, 5, 1, 1.0f, 1.0f, INT_MIN, INT_MAX, &pos,
                           &width));
}

}  // namespace
