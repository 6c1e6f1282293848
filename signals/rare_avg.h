// RareAvg: an adaptive regression average of one value series per instance.
//
// Each bar's value is first "responded": its change against the previous bar is stretched
// or damped by how large it is against the average size of the last 30 changes, so that
// rare large moves weigh more. The result is the mean of four least-squares fits over the
// responded history (straight line and parabola, each over a long and a shortened window),
// smoothed by a linearly weighted average. Until enough bars are stored a start-up
// weighted average stands in (tick and intraday bars) or no value is given (other bars).
//
// Contract:
// - Instances are keyed by symbol (letter case ignored), both windows, the response factor
//   as passed, the bar type and nExtra; they live until the library is unloaded.
// - A re-sent bar (same bar identifier as the previous call, or a negative date) takes the
//   newest bars back before adding again; only bars that exist are removed. The averages
//   keep what the removed bars added.
// - Results as XMT_RareAvg documents them (signals/xmt_signals.h); kRareAvgNoValue (1e9)
//   when no value can be given. Nothing escapes: failures are logged and give 1e9.
// - Arithmetic: single precision, except inside the fits (CPolyRegr, double); each fit
//   value is rounded to single precision.
#pragma once

#include "common/text/txt.h"
#include "common/text/typed_ptr_array.h"
#include "studycore/calc_stack.h"

inline constexpr float kRareAvgNoValue = 1.0e9f;

// Diagnostic response factors.
inline constexpr int kRareAvgLineOnly = -1818;
inline constexpr int kRareAvgParabolaOnly = -1819;
inline constexpr int kRareAvgValueOnly = -1820;

class CRareAvgBar {
 public:
  float fRaw = 0;
  float fAdj = 0;
  float fRes = 0;
  int nBarDate = 0;
  int nBarTime = 0;
};

class alignas(64) CRareAvgSet {
 public:
  CRareAvgSet() = default;
  ~CRareAvgSet();
  CRareAvgSet(const CRareAvgSet&) = delete;
  CRareAvgSet& operator=(const CRareAvgSet&) = delete;

  // What every call reads and writes comes first, in the record's first four cache lines:
  // the newest index, dates, windows, the bar list and the three averages. The key fields
  // that only the look-up of a new instance and the trace lines read follow.
  int nLastDate = 0;
  int nCur = -1;
  int nScopeRegr = 10;
  int nScopeWgt = 6;
  int nLastBarId = -1;
  int nShort = 3;
  STypedPtrArray<CRareAvgBar> arrBars;
  int nBarType = 2;
  int nRespFac = 0;
  CCalcStack stkChg;
  CCalcStack stkFinal;
  CCalcStack stkStart;
  int nExtra = 0;
  CTxt strSym;

  // Deletes every bar and frees the three averages.
  void Reset();
  // Deletes the newest bar (when there is one).
  void TakeBack();
  // Adds a bar (resetting first when the date runs backwards or no date is known yet).
  void AddBar(int date, int time, float value);
  // One calculation on the newest bar with response factor factor. False when no value
  // can be given; result is set otherwise.
  bool Calculate(int factor, float& result);
  // One fit of the responded values ending at bar index g (see rare_avg.cpp); false when
  // it fails.
  bool Fit(int order, int offset, int g, float& value) const;

  CRareAvgBar* Newest() const { return nCur >= 0 ? arrBars[nCur] : nullptr; }
};

float RareAvg(const char* sym, int scopeRegr, int scopeWgt, float value, int date, int time,
              int respFac, int aux, int barType, int extra, int barId);

// The instance of the key, or null (for tests).
CRareAvgSet* FindRareAvg(const char* sym, int scopeRegr, int scopeWgt, int respFac,
                         int barType, int extra);
