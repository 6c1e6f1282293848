// CPolyRegr: least-squares polynomial fit of order 1 to 10, in double precision.
//
// Points are added one by one into running sums of x^k (k = 0 .. 2n) and y * x^k
// (k = 0 .. n); Solve builds the normal equations and solves them by Gaussian elimination
// with partial pivoting. The arithmetic is fixed, because results are compared bar by bar
// against other computations of the same rules:
// - powers of x by repeated multiplication (1, x, x*x, ...);
// - pivot: the first row with the largest absolute value in the column (a later row only
//   when strictly larger); a column without a non-zero pivot is not eliminated;
// - elimination a[r][k] -= f * a[c][k], f = a[r][c] / a[c][c], k from c to the last column;
// - back-substitution from the last row up, subtracting a[r][k] * coef[k] with k ascending,
//   then dividing by a[r][r]; a zero diagonal element leaves its coefficient at 0;
// - the value is the sum of coef[k] * x^k with k ascending (not Horner's rule).
#pragma once

class CPolyRegr {
 public:
  static constexpr int kMaxOrder = 10;

  // 1 .. kMaxOrder; any other value keeps the current order. Clears the points.
  void SetOrder(int order);
  int GetOrder() const { return order_; }
  int GetCount() const { return count_; }
  void AddPoint(double x, double y);
  // Solves the normal equations. False when no point was added or fewer points than the
  // order.
  bool Solve();
  // The fitted polynomial at x (solving first when needed); false (value 0) when it cannot
  // be solved.
  bool Evaluate(double x, double& value);
  double Coef(int k) const { return coef_[k]; }

 private:
  void Clear();

  int order_ = 1;
  int count_ = 0;
  bool solved_ = false;
  double sumX_[2 * kMaxOrder + 1] = {};
  double sumXY_[kMaxOrder + 1] = {};
  double coef_[kMaxOrder + 1] = {};
};
