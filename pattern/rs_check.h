// The support/resistance pivot check: one call that feeds a bar of a single price series,
// runs the pivot engine for it and tells whether the four newest pivots form a rising or a
// falling structure.
//
// Contract (the export XMT_RS_ChkPiv hands its arguments here unchanged, see xmt_pattern.h):
// - The bar goes through the common bar-feeding frame with the one price as open, high, low
//   and close; bars are matched by bar number, a negative bar number switches the progress
//   display on (its magnitude is the bar number), the same-direction filter is set on every
//   restart.
// - Result block: the caller supplies kRsResultSlots slots. With no pivot confirmed all of
//   them are set to 0; otherwise slots 0-3 (new pivot), 4-7 (dropped pivot, only when one
//   was dropped), 8-11 (newest opposite pivot, slot 8 is 0 when none) and 12 (2 when an older
//   pivot was dropped, else 1) are written, and 13-19 are left alone. A null block is not
//   written.
// - Nothing here throws or locks; trace lines go to the library's log.
#pragma once

#include "hostbridge/slot_block.h"

// Slots the caller's result block must have (all of them are zeroed when no pivot is found).
inline constexpr int kRsResultSlots = 20;

// Results besides those of the frame (-1 date below 900000, -2 null ID).
inline constexpr int kRsNone = 0;      // no pivot, fewer than four pivots, or no structure
inline constexpr int kRsRising = 1;    // higher high above a higher low
inline constexpr int kRsFalling = -1;  // lower low below a lower high
inline constexpr int kRsOnlyPivot = -102;  // the new pivot is the only one


int RSChkPiv(const char* id, int date, int time, int barNumber, int priceScale,
             const int* price, int volume, int left, int right, SlotBlock block);
