// Month and weekday names of the date-time texts, shared by the readers and the writers.
//
// The long weekday names are the system's own spellings ("Wednsday" included): files and
// reports written by earlier versions carry them, so they are kept as they are.
#pragma once

#include "common/text/text_helpers.h"

inline constexpr const char* kMonthShort[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
inline constexpr const char* kMonthLong[12] = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
inline constexpr const char* kWeekDayShort[7] = {"Sun", "Mon", "Tue", "Wed",
                                                 "Thu", "Fri", "Sat"};
inline constexpr const char* kWeekDayLong[7] = {"Sunday",   "Monday", "Tuesday", "Wednsday",
                                                "Thursday", "Friday", "Saturday"};

// 1-12 for a name that shares its beginning with a short month name (either may be the
// shorter: "D", "Dec" and "DECEMBER" are all December), compared without regard to case;
// 0 for an empty or unknown name.
inline int MonthFromName(const char* name) {
  if (!name || !*name) return 0;
  for (int i = 0; i < 12; ++i) {
    if (CompareNoCase(name, kMonthShort[i], 0) == 0) return i + 1;
  }
  return 0;
}
