// Least-squares polynomial fit: running sums, normal equations, elimination with partial
// pivoting and back-substitution, all in double precision.

#include "signals/poly_regr.h"

#include <cmath>

void CPolyRegr::Clear() {
  count_ = 0;
  solved_ = false;
  for (double& s : sumX_) s = 0;
  for (double& s : sumXY_) s = 0;
  for (double& c : coef_) c = 0;
}

void CPolyRegr::SetOrder(int order) {
  if (order >= 1 && order <= kMaxOrder) order_ = order;
  Clear();
}

void CPolyRegr::AddPoint(double x, double y) {
  double power = 1.0;
  for (int k = 0; k <= 2 * order_; ++k) {
    sumX_[k] += power;
    if (k <= order_) sumXY_[k] += y * power;
    power *= x;
  }
  ++count_;
  solved_ = false;
}

bool CPolyRegr::Solve() {
  if (count_ == 0 || count_ < order_) return false;
  const int n = order_ + 1;  // rows; column n is the right-hand side
  double a[kMaxOrder + 1][kMaxOrder + 2];
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) a[r][c] = sumX_[r + c];
    a[r][n] = sumXY_[r];
  }
  for (int c = 0; c < n; ++c) {
    int pivot = c;
    for (int r = c + 1; r < n; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
    if (pivot != c)
      for (int k = 0; k <= n; ++k) {
        const double t = a[c][k];
        a[c][k] = a[pivot][k];
        a[pivot][k] = t;
      }
    if (a[c][c] == 0.0) continue;
    for (int r = c + 1; r < n; ++r) {
      const double f = a[r][c] / a[c][c];
      for (int k = c; k <= n; ++k) a[r][k] -= f * a[c][k];
    }
  }
  for (int r = n - 1; r >= 0; --r) {
    double v = a[r][n];
    for (int k = r + 1; k < n; ++k) v -= a[r][k] * coef_[k];
    coef_[r] = a[r][r] == 0.0 ? 0.0 : v / a[r][r];
  }
  solved_ = true;
  return true;
}

bool CPolyRegr::Evaluate(double x, double& value) {
  value = 0.0;
  if (!solved_ && !Solve()) return false;
  double power = 1.0;
  for (int k = 0; k <= order_; ++k) {
    value += coef_[k] * power;
    power *= x;
  }
  return true;
}
