// FindGem: one process-wide store of bars (date-time and five values) for one symbol at a
// time, and the excursion scan over the bars that follow a bar a fixed number of bars back.
//
// Contract:
// - One store per process (FindGemStore()); not locked. The points are kept in ascending
//   date-time order whatever order the bars come in (a bar is inserted at its place), so the
//   binary searches find every stored bar; a date-time already stored adds nothing.
// - A symbol other than the stored one (letter case ignored) empties the store and decodes
//   the mode of that call; later calls with the same symbol only add bars.
// - All arithmetic is single precision. Results and failure codes as the exports
//   XMT_FindGemAdd and XMT_FindGemCalc document them (signals/xmt_signals.h); null value
//   pointers read as 0 and null output pointers are not written.
#pragma once

#include "common/datetime/date_time.h"
#include "common/text/ptr_array.h"
#include "common/text/txt.h"
#include "common/text/typed_ptr_array.h"

// The five values of a stored bar in place: V1/Div, V2/Div (high), V3/Div (low), V4/Div, V5.
// GetAt reads as SFltArray does (1e9 outside 0..4).
struct CFindGemValues {
  static constexpr int kCount = 5;
  float v[kCount] = {};
  float GetAt(int i) const { return i >= 0 && i < kCount ? v[i] : SFltArray::kOutside; }
};

// One stored bar: 28 bytes in one allocation.
class CFindGemPoint {
 public:
  CXMTDateTimePlain dtBar;
  CFindGemValues arrVal;
};

class CFindGemDB {
 public:
  CFindGemDB() = default;
  ~CFindGemDB() { Reset(); }
  CFindGemDB(const CFindGemDB&) = delete;
  CFindGemDB& operator=(const CFindGemDB&) = delete;

  CTxt strSymbol;
  STypedPtrArray<CFindGemPoint> arrPoints;  // ascending by dtBar, no two equal
  int bSameDay = 1;
  int bBasisPts = 0;
  int nScope = 100;

  // Deletes every point.
  void Reset();
  // Index of the point at dt, or -1.
  int Find(const CXMTDateTimePlain& dt) const;
  // Where dt would go to keep the order (binary search).
  int LowerBound(const CXMTDateTimePlain& dt) const;
};

struct FindGemValues {
  const int* v[5] = {};
};

struct FindGemResult {
  float longPlus = 0, longMinus = 0, shortPlus = 0, shortMinus = 0;

  // The four values into the caller's pointers; a null pointer is passed over.
  void StoreTo(float* pLongPlus, float* pLongMinus, float* pShortPlus,
               float* pShortMinus) const {
    if (pLongPlus) *pLongPlus = longPlus;
    if (pLongMinus) *pLongMinus = longMinus;
    if (pShortPlus) *pShortPlus = shortPlus;
    if (pShortMinus) *pShortMinus = shortMinus;
  }
};

CFindGemDB& FindGemStore();

int FindGemAdd(const char* sym, int hostDate, int hostTime, int div, const FindGemValues& values,
               int mode);
int FindGemCalc(const char* sym, int hostDate, int hostTime, FindGemResult& out);
