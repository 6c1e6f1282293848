// Whole numbers out of the single-precision values of a caller's parameter block, and the
// bar's date and time numbers.
//
// A study passes dates, times, bar numbers and column numbers as floats; they are used
// truncated towards zero. A value beyond the int range saturates and NaN reads as 0, so no
// conversion is ever undefined. A bar's date and time are stricter: one that is no number or
// does not fit an int (as a value, or as yyyymmdd and hhmmss) makes the bar refused, because
// any stand-in would be a real date or time (0 is midnight).
#pragma once

#include <climits>
#include <cmath>

#include "hostbridge/slot_block.h"  // TruncToIntSaturated

// yyyymmdd (host date + 19000000) and hhmmss (HHMM * 100); false, with both left alone,
// when either does not fit an int. Whether they make a valid date and time is for the
// date-time value to say.
inline bool FullDateTime(long long hostDate, long long hhmm, int& yyyymmdd, int& hhmmss) {
  const long long date = hostDate + 19000000, time = hhmm * 100;
  if (date < INT_MIN || date > INT_MAX || time < INT_MIN || time > INT_MAX) return false;
  yyyymmdd = static_cast<int>(date);
  hhmmss = static_cast<int>(time);
  return true;
}

// The same from a block's date and time slots (truncated); false also for a slot that is no
// number or lies beyond the int range.
inline bool SlotFullDateTime(float hostDate, float hhmm, int& yyyymmdd, int& hhmmss) {
  auto fits = [](float v) { return std::isfinite(v) && v >= -2147483648.0f && v < 2147483648.0f; };
  if (!fits(hostDate) || !fits(hhmm)) return false;
  return FullDateTime(TruncToIntSaturated(hostDate), TruncToIntSaturated(hhmm), yyyymmdd, hhmmss);
}
