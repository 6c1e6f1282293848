// The trend reversal band: per symbol and bar settings, a fan of simple moving averages of
// one value series with lengths running evenly from a fast to a slow length, and where the
// current value stands in the band spanned by the lowest and the highest of them.
//
// Contract:
// - Instances are keyed by symbol (letter case ignored) and the two bar settings; the fast
//   and slow lengths are taken when an instance is created. A bar date-time earlier than
//   the instance's last one starts the instance over with the call's lengths.
// - Lengths: step S = (slow - fast) / steps (integer division); fast, fast + S, ... up to
//   slow. Slow below fast: no average. S = 0: one average of length fast.
// - Results as XMT_TrendReversal documents them (signals/xmt_signals.h). Each call adds one
//   value to every average, so a repeated call on one bar counts that bar again.
// - Single precision throughout.
#pragma once

#include <memory>

#include "common/datetime/date_time.h"
#include "common/text/txt.h"
#include "common/text/typed_ptr_array.h"
#include "studycore/calc_stack.h"

class alignas(64) CTrendRevSym {
 public:
  CTrendRevSym() = default;
  ~CTrendRevSym() { FreeStacks(); }
  CTrendRevSym(const CTrendRevSym&) = delete;
  CTrendRevSym& operator=(const CTrendRevSym&) = delete;

  // The fields every call reads (the last date-time, the averaging kind and the list of
  // averages) share the record's first cache line; the key and the lengths, read only
  // when the averages are built, follow.
  CXMTDateTimePlain dtLast;
  int bExp = 0;
  STypedPtrArray<CCalcStack> arrStacks;  // point into stackStore
  int nBarType = 99;
  int nBarInt = 0;
  int nFast = 10;
  int nSlow = 120;
  int nSteps = 11;
  CTxt strSym;
  // The averages themselves, side by side in one block: a call adds to every one of them.
  std::unique_ptr<CCalcStack[]> stackStore;

  // Creates the averages from nFast, nSlow and nSteps (after freeing any). Result 0.
  int BuildStacks();
  void FreeStacks();
  // Adds value to every average and scores it. Result as the export's.
  int Evaluate(float value, float scale, float& pos, float& width);
};

struct TrendReversalOut {
  float pos = 0;
  float width = 0;

  // Both values into the caller's pointers; a null pointer is passed over.
  void StoreTo(float* pPos, float* pWidth) const {
    if (pPos) *pPos = pos;
    if (pWidth) *pWidth = width;
  }
};

int TrendReversal(const char* sym, int hostDate, int hostTime, int barType, int barInt,
                  float value, float scale, int fast, int slow, TrendReversalOut& out);

// The instance of the key, or null (for tests).
CTrendRevSym* FindTrendRev(const char* sym, int barType, int barInt);
