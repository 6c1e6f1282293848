// The direct computation of the robust slope (see rrs_direct.h).

#include "momentum/testing/rrs_direct.h"

#include <cmath>
#include <cstring>

#include "studycore/calc_stack.h"

float DirectRepeatedMedianSlope(const float* v, int c) {
  CCalcStack medians;
  medians.SetLength(c);
  for (int i = 0; i < c; ++i) {
    CCalcStack slopes;
    slopes.SetLength(c);
    for (int j = 0; j < c; ++j)
      if (j != i) slopes.Add((v[i] - v[j]) / (i - j));
    medians.Add(slopes.Median());
  }
  return medians.Median();
}

float DirectRrsHistory::Call(int resMode, float value, int date, int barType, int extra,
                             bool compute) {
  if (barType <= 1 && extra == 0 && date != lastDate_ && points_.size() > 1) points_.clear();
  if (date < lastDate_ || lastDate_ <= 0) points_.clear();
  lastDate_ = date;
  points_.push_back(value);
  const int n = static_cast<int>(points_.size());
  if (scope_ == 1) return value;
  if (n < 3) return 0.0f;
  if (!compute) return NAN;
  const int c = n <= scope_ ? n - 1 : scope_;
  float r = DirectRepeatedMedianSlope(points_.data() + (n - c - 1), c) * 100;
  if (resMode == 2) r = r / value * 1000;
  return r;
}

bool SameRrsResult(float a, float b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  if (a == 0 && b == 0) return true;
  return std::memcmp(&a, &b, sizeof a) == 0;
}
