// Whole numbers out of the single-precision values of a caller's parameter block.
//
// A study passes dates, times, bar numbers and column numbers as floats; they are used
// truncated towards zero. A value beyond the int range saturates and NaN reads as 0, so no
// conversion is ever undefined.
#pragma once

#include <climits>

#include "hostbridge/slot_block.h"  // TruncToIntSaturated

// A 64-bit intermediate (host date + 19000000, time * 100) back in the int range, or 0
// when it does not fit (the date-time setters then reject it as they reject any bad value).
inline int FitInt(long long v) { return v < INT_MIN || v > INT_MAX ? 0 : static_cast<int>(v); }
