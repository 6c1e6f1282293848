// The bar-feeding frame of XMT_PATTERN and the zig-zag pivot report.
//
// FeedBar is the opening every bar-feeding export of this library shares: argument checks,
// instance lookup by ID, date and price conversion, restart detection with its banner and
// release lines, storing the bar and the periodic progress update. The exports differ only
// in the FeedStyle they pass. ZZCalcPiv runs the pivot engine for the newest bar and fills
// the caller's result block.
//
// Contract: results as the exports document them (xmt_pattern.h). Nothing here throws or
// locks; trace lines go to the library's log.
#pragma once

#include "hostbridge/slot_block.h"

class CBarMgr;

// How an export feeds its bar.
enum class FeedStyle {
  ZigZag,   // XMT_ZZ_AddBar: |bar number| matched; filter on unless the number is negative
  Pattern,  // XMT_PATTERN_AddBar: always appended; a number >= 0 is replaced by count + 1
  RsPivot,  // XMT_RS_ChkPiv: |bar number| matched; filter always on
};

struct FeedBarArgs {
  bool progress = false;  // update the progress display every hundredth bar
  const char* id = nullptr;
  int date = 0;  // host form
  int time = 0;  // HHMM
  int barNumber = 0;
  int priceScale = 0;
  const int* open = nullptr;
  const int* high = nullptr;
  const int* low = nullptr;
  const int* close = nullptr;
  int volume = 0;
};

// Result: the bar index, -1 date below 900000, -2 null ID. On success *mgrOut (when given)
// is the instance the bar went to.
int FeedBar(const FeedBarArgs& args, FeedStyle style, CBarMgr** mgrOut = nullptr);

// Window lengths outside 1..100 are replaced (below 1 -> 2, above 100 -> 10) and the change
// logged.
void AdjustPivotLengths(int* left, int* right);

// The logic of XMT_ZZ_CalcPiv on 12 slots of block (see xmt_pattern.h).
int ZZCalcPiv(const char* id, int barPos, int left, int right, SlotBlock block);
