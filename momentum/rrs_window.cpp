// RrsWindow: per-point sorted slope rows over a ring of points (see rrs_window.h).
//
// Layout: vals_ is a ring of cap_ values, the oldest at head_; the point in ring slot s owns
// row s of rows_, stride_ keys of which the first size_ - 1 are in use, ascending. Offsets
// count from the oldest point of the window; the position difference of two points equals
// the difference of their offsets, so offsets serve as positions in the slopes.

#include "momentum/rrs_window.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Order key of a float: unsigned integers in the order of the values, -0 just before +0,
// every NaN mapped to the largest key (after +inf).
inline uint32_t Key(float x) {
  uint32_t u;
  std::memcpy(&u, &x, 4);
  if ((u & 0x7FFFFFFFu) > 0x7F800000u) return 0xFFFFFFFFu;
  return (u & 0x80000000u) ? ~u : (u | 0x80000000u);
}

inline float Value(uint32_t k) {
  const uint32_t u = (k & 0x80000000u) ? (k & 0x7FFFFFFFu) : ~k;
  float x;
  std::memcpy(&x, &u, 4);
  return x;
}

// The slope between the points at offsets p and q (p != q), as every caller computes it.
inline float Slope2(float vp, float vq, int p, int q) {
  return (vp - vq) / static_cast<float>(p - q);
}

// First index of a sorted array (n >= 1) whose key is not below x.
inline size_t LowerBound(const uint32_t* a, size_t n, uint32_t x) {
  const uint32_t* base = a;
  while (n > 1) {
    const size_t half = n / 2;
    base = base[half] < x ? base + half : base;
    n -= half;
  }
  return static_cast<size_t>(base - a) + (*base < x);
}

// Median of a sorted run of n >= 1 keys.
inline float SortedMedian(const uint32_t* a, int n) {
  if (n % 2 == 1) return Value(a[n / 2]);
  return (Value(a[n / 2 - 1]) + Value(a[n / 2])) * 0.5f;
}

// Median of n >= 1 keys in any order (reorders them).
float SelectMedian(uint32_t* a, int n) {
  uint32_t* mid = a + n / 2;
  std::nth_element(a, mid, a + n);
  if (n % 2 == 1) return Value(*mid);
  const uint32_t lower = *std::max_element(a, mid);
  return (Value(lower) + Value(*mid)) * 0.5f;
}

// Lower bounds of keys[k] in rows[k] for k < count, all rows sorted and n >= 1 long: the
// searches run in lockstep, kLanes at a time, so that the loads of different rows overlap.
void LowerBounds(uint32_t* const* rows, const uint32_t* keys, uint32_t* places, int count,
                 size_t n) {
  constexpr int kLanes = 16;
  for (int k0 = 0; k0 < count; k0 += kLanes) {
    const int m = std::min(kLanes, count - k0);
    const uint32_t* base[kLanes];
    for (int l = 0; l < m; ++l) base[l] = rows[k0 + l];
    for (size_t len = n; len > 1;) {
      const size_t half = len / 2;
      for (int l = 0; l < m; ++l) base[l] = base[l][half] < keys[k0 + l] ? base[l] + half : base[l];
      len -= half;
    }
    for (int l = 0; l < m; ++l)
      places[k0 + l] = static_cast<uint32_t>(base[l] - rows[k0 + l]) + (*base[l] < keys[k0 + l]);
  }
}

// Takes the key at place i out of a sorted row and puts in at its lower bound j (found in
// the row before the change): one move of the keys between the two places.
inline void Move(uint32_t* a, size_t i, size_t j, uint32_t in) {
  if (j > i) {
    std::memmove(a + i, a + i + 1, (j - 1 - i) * sizeof *a);
    a[j - 1] = in;
  } else {
    std::memmove(a + j + 1, a + j, (i - j) * sizeof *a);
    a[j] = in;
  }
}

// Replaces one key equal to out by in, keeping the row sorted. False (row untouched) when
// out is not in the row.
bool Replace(uint32_t* a, size_t n, uint32_t out, uint32_t in) {
  const size_t i = LowerBound(a, n, out);
  if (i >= n || a[i] != out) return false;
  Move(a, i, LowerBound(a, n, in), in);
  return true;
}

// Sorts n keys ascending: four passes of eight bits from src through tmp (both n entries),
// skipping the bytes all keys share; the result ends in src.
void RadixSort(uint32_t* src, uint32_t* tmp, size_t n) {
  if (n < 2) return;
  uint32_t counts[4][256] = {};
  for (size_t k = 0; k < n; ++k) {
    const uint32_t x = src[k];
    ++counts[0][x & 0xFF];
    ++counts[1][(x >> 8) & 0xFF];
    ++counts[2][(x >> 16) & 0xFF];
    ++counts[3][x >> 24];
  }
  uint32_t* from = src;
  uint32_t* to = tmp;
  for (int pass = 0; pass < 4; ++pass) {
    uint32_t* c = counts[pass];
    const int shift = 8 * pass;
    if (c[(from[0] >> shift) & 0xFF] == n) continue;  // one value of this byte: no move
    uint32_t sum = 0;
    for (int b = 0; b < 256; ++b) {
      const uint32_t here = c[b];
      c[b] = sum;
      sum += here;
    }
    for (size_t k = 0; k < n; ++k) to[c[(from[k] >> shift) & 0xFF]++] = from[k];
    std::swap(from, to);
  }
  if (from != src) std::memcpy(src, from, n * sizeof *src);
}

// Inserts x into a sorted row of n keys (room for n + 1).
void Insert(uint32_t* a, size_t n, uint32_t x) {
  const size_t j = n ? LowerBound(a, n, x) : 0;
  std::memmove(a + j + 1, a + j, (n - j) * sizeof *a);
  a[j] = x;
}

}  // namespace

RrsWindow::RrsWindow(int maxPoints, int maxSortedPoints)
    : maxPoints_(std::max(maxPoints, 2)), sorted_(maxPoints_ <= maxSortedPoints) {}

void RrsWindow::Clear() {
  head_ = 0;
  size_ = 0;
}

void RrsWindow::Grow() {
  const int cap = std::min(maxPoints_, std::max(2 * cap_, 8));
  const int stride = cap - 1;
  std::vector<float> vals(cap);
  std::vector<uint32_t> rows;
  if (sorted_) rows.resize(static_cast<size_t>(cap) * stride);
  std::vector<uint32_t> medians(cap);
  std::vector<uint32_t> scratch(cap);
  std::vector<uint32_t> keys(sorted_ ? 2 * cap : 0), places(sorted_ ? 2 * cap : 0);
  std::vector<uint32_t*> rowOf(sorted_ ? 2 * cap : 0);
  for (int k = 0; k < size_; ++k) {
    const int s = SlotOf(k);
    vals[k] = vals_[s];
    if (sorted_) std::memcpy(rows.data() + static_cast<size_t>(k) * stride, Row(s),
                             static_cast<size_t>(size_ - 1) * sizeof(uint32_t));
  }
  vals_.swap(vals);
  rows_.swap(rows);
  medians_.swap(medians);
  scratch_.swap(scratch);
  keys_.swap(keys);
  places_.swap(places);
  rowOf_.swap(rowOf);
  cap_ = cap;
  stride_ = stride;
  head_ = 0;
}

void RrsWindow::FillRow(int q, uint32_t* out) const {
  const float vq = vals_[SlotOf(q)];
  uint32_t* o = out;
  for (int p = 0; p < size_; ++p) {
    if (p != q) *o++ = Key(Slope2(vq, vals_[SlotOf(p)], q, p));
  }
}

void RrsWindow::Push(float v) {
  if (size_ >= maxPoints_) return;
  if (size_ == cap_) Grow();
  const int q = size_;  // offset of the new point
  const int slot = SlotOf(q);
  vals_[slot] = v;
  if (sorted_) {
    for (int p = 0; p < q; ++p) {
      const int s = SlotOf(p);
      Insert(Row(s), static_cast<size_t>(q - 1), Key(Slope2(vals_[s], v, p, q)));
    }
    ++size_;
    uint32_t* row = Row(slot);
    FillRow(q, row);
    RadixSort(row, scratch_.data(), static_cast<size_t>(q));
  } else {
    ++size_;
  }
}

void RrsWindow::Slide(float v) {
  if (size_ < 2) {
    if (size_ == 1) Clear();
    Push(v);
    return;
  }
  const int oldest = head_;
  const float vo = vals_[oldest];
  const int q = size_;  // offset of the new point before the oldest goes
  if (sorted_) {
    // Every remaining row p trades its slope to the oldest point for one to the new point:
    // first both keys of every row, then all places (the searches of many rows overlap),
    // then the moves.
    const size_t n = static_cast<size_t>(size_ - 1);
    const int count = size_ - 1;
    for (int p = 1; p < size_; ++p) {
      const int s = SlotOf(p);
      const float vp = vals_[s];
      uint32_t* row = Row(s);
      rowOf_[2 * p - 2] = rowOf_[2 * p - 1] = row;
      keys_[2 * p - 2] = Key(Slope2(vp, vo, p, 0));
      keys_[2 * p - 1] = Key(Slope2(vp, v, p, q));
    }
    LowerBounds(rowOf_.data(), keys_.data(), places_.data(), 2 * count, n);
    for (int k = 0; k < count; ++k) {
      uint32_t* row = rowOf_[2 * k];
      const uint32_t out = keys_[2 * k], in = keys_[2 * k + 1];
      const size_t i = places_[2 * k];
      if (i < n && row[i] == out) {
        Move(row, i, places_[2 * k + 1], in);
      } else {
        // Never expected: the slope is computed the same way as when it went in. Rebuild the
        // row from the values rather than let it drift.
        FillRow(k + 1, row);
        std::sort(row, row + n);
        Replace(row, n, out, in);
      }
    }
  }
  // The new point takes the slot after the newest (in a full ring: the oldest's); the
  // oldest's slot is freed. Offsets now count from the next point: the new one is size_ - 1.
  const int slot = SlotOf(q);
  vals_[slot] = v;
  head_ = head_ + 1 == cap_ ? 0 : head_ + 1;
  if (sorted_) {
    uint32_t* row = Row(slot);
    FillRow(size_ - 1, row);
    RadixSort(row, scratch_.data(), static_cast<size_t>(size_ - 1));
  }
}

float RrsWindow::Slope() {
  if (size_ < 2) return 0.0f;
  if (!sorted_) return DirectSlope();
  const int n = size_ - 1;
  for (int k = 0; k < size_; ++k) medians_[k] = Key(SortedMedian(Row(SlotOf(k)), n));
  return SelectMedian(medians_.data(), size_);
}

float RrsWindow::DirectSlope() {
  for (int k = 0; k < size_; ++k) {
    FillRow(k, scratch_.data());
    medians_[k] = Key(SelectMedian(scratch_.data(), size_ - 1));
  }
  return SelectMedian(medians_.data(), size_);
}
