// RrsWindow: the repeated-median slope of a sliding window of consecutive points of one
// series, kept up to date point by point.
//
// The slope between two points p and q of the window is (v(p) - v(q)) / (p - q) in single
// precision, p and q being positions along the series. For each point the window keeps the
// slopes to every other point in ascending order; the slope of the window is the median of
// those per-point medians. A slope depends only on its two points, so when the window
// slides by one point every remaining point loses one slope and gains one: a sorted erase
// and insert per point instead of c (c - 1) slopes and c + 1 sorts.
//
// Medians follow CCalcStack::Median exactly: NaN after every number, the middle value of an
// odd count, (lower + upper) * 0.5f of an even one. Slopes are kept as order keys, unsigned
// integers that sort like the floats (-0 just before +0, every NaN last as one NaN), so that
// the sorted rows are plain integer arrays; a median is read back from its key. The values
// therefore equal those of a float sort; only the sign of a zero and the payload of a NaN
// may differ, which a float sort leaves open anyway (equal values compare equal there).
//
// Windows longer than kMaxSortedPoints keep no per-point rows (their memory grows with the
// square of the length); Slope() then computes the medians directly, by selection.
//
// Contract:
// - Only Push allocates: the tables grow by doubling until the window reaches its maximum
//   length and are kept by Clear(). It throws std::bad_alloc when memory runs out; the
//   window is then left as it was. Slide and Slope work in the tables they find.
// - Slope() needs at least two points.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class RrsWindow {
 public:
  static constexpr int kMaxSortedPoints = 2048;

  // maxPoints: the longest the window gets (the regression scope, at least 2).
  // maxSortedPoints: above this length the per-point rows are not kept (tests lower it).
  explicit RrsWindow(int maxPoints, int maxSortedPoints = kMaxSortedPoints);

  int Size() const { return size_; }
  int MaxSize() const { return maxPoints_; }
  bool KeepsRows() const { return sorted_; }

  // Empties the window; the tables are kept for the next points.
  void Clear();
  // Adds a point after the newest one; the window must be below its maximum length.
  void Push(float v);
  // Drops the oldest point and adds v after the newest one, in one pass.
  void Slide(float v);
  // The median over the points of the per-point median slope.
  float Slope();

 private:
  uint32_t* Row(int slot) { return rows_.data() + static_cast<size_t>(slot) * stride_; }
  int SlotOf(int offset) const {
    int s = head_ + offset;
    return s >= cap_ ? s - cap_ : s;
  }
  // Room for one more point: the tables at least doubled, rows copied in window order.
  void Grow();
  // The sorted slopes of the point at offset q (0 = oldest) to every other point of the
  // window, written to out (size_ - 1 entries, excluding q itself).
  void FillRow(int q, uint32_t* out) const;
  float DirectSlope();

  int maxPoints_;
  bool sorted_;
  int cap_ = 0;     // ring slots of vals_ (and rows when sorted_)
  int stride_ = 0;  // entries per row: cap_ - 1
  int head_ = 0;    // slot of the oldest point
  int size_ = 0;    // points in the window
  std::vector<float> vals_;
  std::vector<uint32_t> rows_;     // cap_ rows of stride_ keys, each sorted
  std::vector<uint32_t> medians_;  // scratch: per-point medians as keys
  std::vector<uint32_t> scratch_;  // scratch: one row (sorting, direct computation)
  // Scratch of a slide: per remaining row its row, the keys out and in, and their places.
  std::vector<uint32_t*> rowOf_;
  std::vector<uint32_t> keys_, places_;
};
