// The zig-zag pivot report of XMT_PATTERN, and the window lengths every pivot export takes.
//
// ZZCalcPiv runs the pivot engine for the newest bar that XMT_ZZ_AddBar fed (feed_bar.h)
// and fills the caller's result block. AdjustPivotLengths is the one rule for window lengths
// outside 1..100, with the replacement values each export uses.
//
// Contract: results as the exports document them (xmt_pattern.h). Nothing here throws or
// locks; trace lines go to the library's log.
#pragma once

#include "hostbridge/slot_block.h"

// What a window length outside 1..100 becomes.
struct PivotLengthLimits {
  int belowOne;
  int aboveHundred;
};
inline constexpr PivotLengthLimits kZigZagPivotLengths{2, 10};  // XMT_ZZ_CalcPiv, XMT_PATTERN_CalcPat
inline constexpr PivotLengthLimits kRsPivotLengths{1, 100};     // XMT_RS_ChkPiv

// Replaces window lengths outside 1..100 by the limits' values and logs each change.
void AdjustPivotLengths(int* left, int* right, PivotLengthLimits limits = kZigZagPivotLengths);

// The logic of XMT_ZZ_CalcPiv on 12 slots of block (see xmt_pattern.h).
int ZZCalcPiv(const char* id, int barPos, int left, int right, SlotBlock block);
