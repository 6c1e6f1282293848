// PlatformTime to and from the C runtime's broken-down time (struct tm), for the backends'
// localtime/mktime calls. tm_isdst is left to the runtime (-1) going in.
#pragma once

#include <ctime>

#include "common/platform/platform.h"

inline PlatformTime PlatformTimeFromTm(const struct tm& tm, int millisecond = 0) {
  PlatformTime t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec;
  t.millisecond = millisecond;
  t.weekday = tm.tm_wday;
  return t;
}

inline struct tm TmFromPlatformTime(const PlatformTime& t) {
  struct tm tm {};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_sec = t.second;
  tm.tm_isdst = -1;
  return tm;
}
