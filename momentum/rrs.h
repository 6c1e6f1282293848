// The robust regression slope behind XMT_RRS: the repeated-median slope of the last
// nScopeRegr values of a series, times 100, over histories that the library keeps itself.
//
// One history per combination of nScopeRegr (as passed), nRespFac, nBarType and nExtra,
// created on first use and kept until ReleaseRrsHistories() (library unload). Every call
// appends its value as a new point. A history is emptied when the date goes back, when its
// last date is not positive, and, for tick and intraday bars (nBarType <= 1) with nExtra 0,
// at the first call of a new date once it holds more than one point.
//
// Result of a call: the newest value when the scope is 1 or less; 0 while the history holds
// fewer than three points; otherwise the median over the window (the c = min(scope, n - 1)
// points before the newest) of each point's median slope to the others, times 100, divided
// by the newest value and times 1000 when nResMode is 2. Single precision throughout.
// Failures: 1.0e9 when the history has no newest point, the value itself when no memory is
// to be had for the history. nRespFac 61 writes a trace line with the call's arguments.
//
// Only the window is kept of a history (the older points are never read again); its tables
// grow with the window and are then reused, so a call past the warm-up allocates nothing.
// The sorted rows of all histories share one budget (rrs_row_budget.h); a history made past
// it computes its slopes directly, with the same results.
// Not thread-safe: the host calls from its study-calculation thread only.
#pragma once

struct RrsArgs {
  int scope = 0;    // nScopeRegr
  int resMode = 0;  // nResMode
  float value = 0;  // fVal
  int date = 0;     // nDate, host form; only compared
  int time = 0;     // nTime
  int respFac = 0;  // nRespFac
  int aux = 0;      // nAux
  int barType = 0;  // nBarType
  int extra = 0;    // nExtra
};

float CalcRrs(const RrsArgs& a);

// Frees every history (library unload; tests).
void ReleaseRrsHistories();
// Number of histories held (tests).
int RrsHistoryCount();
// Whether the history of key keeps sorted rows (the row budget allowed them when it was made).
bool RrsHistoryKeepsRows(const RrsArgs& key);
