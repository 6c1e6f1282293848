// The least-squares fit: exact fits, the failure rules and degenerate systems.

#include <gtest/gtest.h>

#include <vector>

#include "signals/poly_regr.h"

namespace {

TEST(PolyRegr, FitsLinesAndParabolasExactly) {
  struct Case {
    int order;
    double c0, c1, c2;
  } cases[] = {{1, 3.0, -2.0, 0.0}, {2, 1.0, 0.5, -0.25}, {3, -4.0, 0.0, 2.0}};
  for (const Case& c : cases) {
    CPolyRegr regr;
    regr.SetOrder(c.order);
    for (int x = -3; x <= 6; ++x) regr.AddPoint(x, c.c0 + c.c1 * x + c.c2 * x * x);
    ASSERT_TRUE(regr.Solve());
    EXPECT_NEAR(c.c0, regr.Coef(0), 1e-9);
    EXPECT_NEAR(c.c1, regr.Coef(1), 1e-9);
    if (c.order >= 2) {
      EXPECT_NEAR(c.c2, regr.Coef(2), 1e-9);
    }
    double value = 0;
    ASSERT_TRUE(regr.Evaluate(10.0, value));
    EXPECT_NEAR(c.c0 + c.c1 * 10 + c.c2 * 100, value, 1e-7);
  }
}

TEST(PolyRegr, LeastSquaresLineThroughScatter) {
  // Points (0,1), (1,3), (2,2): slope 0.5, intercept 1.5.
  CPolyRegr regr;
  regr.SetOrder(1);
  regr.AddPoint(0, 1);
  regr.AddPoint(1, 3);
  regr.AddPoint(2, 2);
  double value = 0;
  ASSERT_TRUE(regr.Evaluate(2.0, value));
  EXPECT_NEAR(2.5, value, 1e-12);
}

TEST(PolyRegr, PivotChoiceAndEvaluationOrderShowInTheLastBit) {
  // The fitted value to the last bit of the double. Line through x = 0, 1, 2: the first
  // column holds 3 and 3, a tie, and the first of the two stays the pivot (taking the later
  // one gives 4.9799999999999969). Parabola over x = 8 .. 12, evaluated at 12 as the sum of
  // c[k] x^k with k ascending (Horner's rule gives 25.559428571430971).
  const struct {
    int order;
    double firstX;
    std::vector<double> y;
    double at, value;
  } cases[] = {
      {1, 0, {27.08, 17.82, 12.82}, 3, 4.980000000000004},
      {2, 8, {15.10, 25.02, 10.47, 21.82, 26.11}, 12, 25.559428571430956},
  };
  for (const auto& c : cases) {
    CPolyRegr regr;
    regr.SetOrder(c.order);
    for (size_t i = 0; i < c.y.size(); ++i)
      regr.AddPoint(c.firstX + static_cast<double>(i), c.y[i]);
    double value = 0;
    ASSERT_TRUE(regr.Evaluate(c.at, value));
    EXPECT_EQ(c.value, value) << c.order;
  }
}

TEST(PolyRegr, FailsWithoutPointsOrWithFewerPointsThanTheOrder) {
  CPolyRegr regr;
  regr.SetOrder(2);
  double value = 5;
  EXPECT_FALSE(regr.Evaluate(0.0, value));
  EXPECT_EQ(0.0, value);
  regr.AddPoint(1, 1);
  EXPECT_FALSE(regr.Solve());  // 1 point, order 2
  regr.AddPoint(2, 4);
  EXPECT_TRUE(regr.Solve());  // 2 points are not fewer than the order
}

TEST(PolyRegr, SingularSystemLeavesCoefficientsAtZero) {
  // All points at x = 0: only the constant term can be found.
  CPolyRegr regr;
  regr.SetOrder(2);
  regr.AddPoint(0, 4);
  regr.AddPoint(0, 6);
  ASSERT_TRUE(regr.Solve());
  EXPECT_EQ(5.0, regr.Coef(0));
  EXPECT_EQ(0.0, regr.Coef(1));
  EXPECT_EQ(0.0, regr.Coef(2));
}

TEST(PolyRegr, OrderOutsideOneToTenKeepsThePreviousOrder) {
  CPolyRegr regr;
  EXPECT_EQ(1, regr.GetOrder());
  for (int order : {0, 11, -1}) {
    regr.SetOrder(order);
    EXPECT_EQ(1, regr.GetOrder());
  }
  regr.SetOrder(10);
  EXPECT_EQ(10, regr.GetOrder());
  regr.SetOrder(0);
  EXPECT_EQ(10, regr.GetOrder());
}

}  // namespace
