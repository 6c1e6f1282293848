// The robust slope of XMT_RRS the direct way, for the tests to compare with: every slope of the
// window, one CCalcStack per point filled with Add and read with Median, and one more for
// the median of the medians. Quadratic in the scope plus the sorts; the library's own
// computation must give the same numbers.
#pragma once

#include <vector>

// Median over the window of each point's median slope to the others; window: c >= 2 values,
// oldest first.
float DirectRepeatedMedianSlope(const float* window, int c);

// One history of XMT_RRS kept the direct way: every point since the last emptying.
class DirectRrsHistory {
 public:
  explicit DirectRrsHistory(int scope) : scope_(scope < 1 ? 1 : scope) {}
  // One call; with compute false only the history is kept and NaN returned.
  float Call(int resMode, float value, int date, int barType, int extra, bool compute = true);
  int PointCount() const { return static_cast<int>(points_.size()); }

 private:
  int scope_;
  int lastDate_ = 0;
  std::vector<float> points_;
};

// The same result: equal bits, or both NaN, or both zero (a float sort leaves the order of
// equal values open, so the payload of a NaN and the sign of a zero may differ).
bool SameRrsResult(float a, float b);
