// The bar-feeding frame of XMT_PATTERN: the opening every bar-feeding export shares.
//
// FeedBar does the argument checks, the instance lookup by ID, the date and price
// conversion, the restart detection with its banner and release lines, stores the bar and
// updates the progress display every hundredth bar. The exports differ only in the
// FeedStyle they pass.
//
// Contract: results as the exports document them (xmt_pattern.h). Nothing here throws or
// locks; trace lines go to the library's log.
#pragma once

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
