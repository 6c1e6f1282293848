// Small calendar helpers shared by the date-time sources (not part of the public contract).
//
// Day counts are days since 1970-01-01 in the proleptic Gregorian calendar; they are used
// for the universal-time conversions and for shifting valid dates without walking day by
// day.
#pragma once

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "common/datetime/date_time.h"

namespace xmt_datetime_detail {

// Month lengths of a leap year; February is corrected for common years where it matters.
inline constexpr int kLeapMonthDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

inline bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

inline int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// Stores a four-digit year (as its low byte after 1900), month and day.
inline void StoreDate(CXMTDateTime* v, int y, int m, int d) {
  v->year = static_cast<unsigned char>((y - 1900) & 0xff);
  v->month = static_cast<unsigned char>(m);
  v->day = static_cast<unsigned char>(d);
}

inline bool HasValidDate(const CXMTDateTime& v) {
  return v.month >= 1 && v.month <= 12 && v.day >= 1 &&
         v.day <= CXMTDateTime::DayMonth(v.GetYear(), v.month);
}

inline int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const int64_t era = FloorDiv(y, 400);
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

inline void CivilFromDays(int64_t z, int* y, int* m, int* d) {
  z += 719468;
  const int64_t era = FloorDiv(z, 146097);
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *y = static_cast<int>(yoe + era * 400 + (*m <= 2));
}

inline PlatformTime UtcFromUnixMs(int64_t ms) {
  PlatformTime t;
  const int64_t secs = FloorDiv(ms, 1000);
  const int64_t days = FloorDiv(secs, 86400);
  const int64_t rest = secs - days * 86400;
  CivilFromDays(days, &t.year, &t.month, &t.day);
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest % 3600 / 60);
  t.second = static_cast<int>(rest % 60);
  t.millisecond = static_cast<int>(ms - secs * 1000);
  int64_t weekday = (days + 4) % 7;  // 1970-01-01 was a Thursday
  t.weekday = static_cast<int>(weekday < 0 ? weekday + 7 : weekday);
  return t;
}

inline int64_t UnixMsFromUtc(const PlatformTime& t) {
  const int64_t days = DaysFromCivil(t.year, t.month, t.day);
  return ((days * 86400) + t.hour * 3600 + t.minute * 60 + t.second) * 1000 + t.millisecond;
}

}  // namespace xmt_datetime_detail
