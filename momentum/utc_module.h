// The UTC momentum module behind XMT_UTC: per symbol and bar type a bar history (a CBarMgr
// of the library's registry, ID "XMTMom_<symbol>_<bar type name>"), and for the newest bar
// the distance-weighted sum of the relative changes of its typical price against each of
// the last N bars, optionally smoothed by an exponential average of length L.
//
// Argument block: 8-byte slots, a single-precision value in the first four bytes of each
// (integers are read truncated toward zero): 0 host date, 1 time HHMM, 2-6 open, high, low,
// close, volume, 7 bar number (from 1), 8 bar interval, 9 bar type code, 11 look-back N,
// 12 smoothing length L (<= 1: off). The result goes to slot 90, the update flag (1.0 when
// the call replaced the newest bar, 0.0 for a new bar) to slot 91.
//
// Per manager the module keeps: the last bar number as its count of added bars, the
// smoothing stack in object slot 0 (owned by the module) and the smoothed values after the
// newest bar and after the bar before it in value slots 0 and 1.
//
// Contract: results are numbers, nothing throws. -1.0 bar type without a name (or no
// argument block), -2.0 no manager (or no symbol), both logged and with the result slots
// untouched; -99.0 when the computation failed (logged, log flushed, slot 90 = -99.0).
// After the start nothing is allocated per call except the record of a new bar.
#pragma once

class CBarMgr;

inline constexpr float kUtcFailed = -99.0f;  // the computation failed
inline constexpr int kUtcSlotCount = 92;  // slots the caller's block must hold

// One XMT_UTC call. block may be null (a logged failure, nothing written).
float UtcCalc(const char* symbol, void* block);

// Sum over the bars 1..lookBack back from the newest (as far as they exist) of the relative
// change of the newest typical price against each, in per mille, weighed by 1 / sqrt(i).
double MomentumSum(const CBarMgr& mgr, int lookBack);

// Frees the module's smoothing stack of a manager (object slot 0) and empties the slot.
// The library installs it as the owner release of its bar manager registry, so that
// unloading frees the stacks with the managers.
void UtcFreeStack(CBarMgr* mgr);
