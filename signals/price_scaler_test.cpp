// The price scaler's rounding on both sides of zero and of its factor limits.
#include <gtest/gtest.h>

#include "signals/price_scaler.h"

namespace {

TEST(PrcNorm, RoundsAwayFromZeroFromPointFortyNine) {
  const struct {
    float factor;
    int in, out;
  } cases[] = {
      {0.1f, 25, 3},   {0.1f, 24, 2},   {0.1f, -25, -3}, {0.1f, -24, -2}, {0.1f, 0, 0},
      {0.5f, 1, 1},    {0.5f, -1, -1},  {3.0f, 7, 21},   {1.0f, 25, 25},  {-2.0f, 25, 25},
      {0.0f, 25, 25},  {1e-9f, 7, 0},
      // Fractions from .49 go up (0.5 would not lift 0.49 to 1), below .49 they go down.
      {0.01f, 49, 1},  {0.01f, -49, -1}, {0.01f, 48, 0}, {0.01f, 149, 2},
      // Factor 1 leaves even ints that single precision cannot hold.
      {1.0f, 16777217, 16777217}, {1.0f, -16777217, -16777217},
  };
  for (const auto& c : cases) {
    int v = c.in;
    int* values[] = {&v, nullptr};
    PrcNorm(c.factor, values, 2);
    EXPECT_EQ(c.out, v) << c.factor << " x " << c.in;
  }
}

}  // namespace
