// CXMTDateTime: setting the value and reading its number forms.
//
// Calendar arithmetic (Julian numbers, weekdays, shifts, differences, self-checks) lives in
// date_time_calendar.cpp; the text forms live in date_time_text.cpp.
#include "common/datetime/date_time.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "common/datetime/date_time_internal.h"
#include "common/settings/files.h"
#include "common/platform/platform.h"
#include "common/text/text_helpers.h"
#include "common/settings/trace_log.h"

using namespace xmt_datetime_detail;

int CXMTDateTimePlain::Compare(const CXMTDateTimePlain* other, int depth) const {
  if (!other) return 99;
  const unsigned char mine[6] = {year, month, day, hour, minute, second};
  const unsigned char theirs[6] = {other->year, other->month, other->day,
                                   other->hour, other->minute, other->second};
  if (depth > 6) depth = 6;
  for (int i = 0; i < depth; ++i) {
    if (mine[i] < theirs[i]) return -1;
    if (mine[i] > theirs[i]) return 1;
  }
  return 0;
}

CXMTDateTime::CXMTDateTime(int date, int time) { SetDT(date, time); }

// --- setting ------------------------------------------------------------------------------

void CXMTDateTime::Reset() { year = month = day = hour = minute = second = 0; }

int CXMTDateTime::SetDT(int date, int time) {
  // IsTime bounds the number; the fields must make a time of day as well (240000 and
  // 126000 are rejected too).
  if (!IsTime(time) || time / 10000 > 23 || time / 100 % 100 > 59 || time % 100 > 59) {
    LogTrace("DateTime", 0, "Invalid Time: %d", time);
    return -2;
  }
  hour = static_cast<unsigned char>(time / 10000);
  minute = static_cast<unsigned char>(time / 100 % 100);
  second = static_cast<unsigned char>(time % 100);
  return SetDate(date);
}

int CXMTDateTime::SetDT64(long long dt) {
  const long long date = dt / 1000000;
  if (date <= 0) {
    Reset();
    return -1;
  }
  // A date part beyond int must not be cut down to a valid-looking date.
  return SetDT(date > INT_MAX ? INT_MAX : static_cast<int>(date), static_cast<int>(dt % 1000000));
}

int CXMTDateTime::SetDT64(const char* text) { return SetDT64(text ? atoll(text) : 0LL); }

int CXMTDateTime::SetDT(const PlatformTime& local) {
  StoreDate(this, local.year, local.month, local.day);
  hour = static_cast<unsigned char>(local.hour);
  minute = static_cast<unsigned char>(local.minute);
  second = static_cast<unsigned char>(local.second);
  return IsValid() ? 0 : -1;
}

int CXMTDateTime::SetDTUniversal(const PlatformTime& utc) {
  PlatformTime local;
  if (!Platform::Default().UtcToLocal(utc, &local)) return -1;
  return SetDT(local);
}

PlatformTime UniversalFromUnixMs(int64_t msSince1970) { return UtcFromUnixMs(msSince1970); }

int CXMTDateTime::SetDTUniversalMs(int64_t msSince1970) {
  return SetDTUniversal(UtcFromUnixMs(msSince1970));
}

int CXMTDateTime::SetDTFile(const char* path, char which) {
  Reset();
  if (!path) return -1;
  Platform& platform = Platform::Default();
  const char letter = static_cast<char>(toupper(static_cast<unsigned char>(which)));
  if (letter == 'S') {
    // The null device has no stamp of its own: it reads as the start of 1970.
    if (IsNullDevicePath(path)) return SetDTUnix(0);
    PlatformFileInfo info;
    if (platform.FileStat(path, &info) != 0 || info.lastWriteMs < 0) return -1;
    return SetDTUnix(FloorDiv(info.lastWriteMs, 1000));
  }
  if (letter != 'A' && letter != 'C' && letter != 'M') return 0;

  PlatformFileInfo info;
  if (platform.FileStat(path, &info) != 0) {
    // Not examinable directly: try a folder search for the name itself.
    std::vector<PlatformFileInfo> found;
    if (platform.FindFiles(path, &found) <= 0) return -1;
    info = found.front();
  }
  const int64_t ms = letter == 'A' ? info.lastAccessMs
                     : letter == 'C' ? info.creationMs
                                     : info.lastWriteMs;
  if (ms < 0) return -2;
  return SetDTUniversalMs(ms) == 0 ? 0 : -2;
}

int CXMTDateTime::SetDTUnix(int64_t t) {
  PlatformTime local;
  if (!Platform::Default().UnixToLocal(t, &local)) return -1;
  return SetDT(local);
}

int CXMTDateTime::SetDTFloat(double x) {
  // No number, or days far beyond any date: nothing to convert (nor to cast to int).
  if (!(std::fabs(x) < 1e7)) return -1;
  const int whole = static_cast<int>(x);
  SetDTJul(whole + 2415019);
  int secs = static_cast<int>(std::floor((x - whole) * 86400.0 + 0.5));
  // A fraction that rounds up to a whole day belongs to the next day, not to 24:00:00.
  if (secs >= 86400) {
    secs -= 86400;
    ShiftDate(1);
  } else if (secs < 0) {
    secs += 86400;
    ShiftDate(-1);
  }
  SetTimeSec(secs);
  return IsValid() ? 0 : -1;
}

int CXMTDateTime::SetDTJul(int n) {
  SetNow();
  SetTime(0, 0, 0);
  const long long wide = static_cast<long long>(n) - GetJulian();
  const int diff = wide < INT_MIN ? INT_MIN : static_cast<int>(wide);
  ShiftDate(diff);
  return diff;
}

int CXMTDateTime::SetDTJul(const char* text) { return SetDTJul(text ? atoi(text) : 0); }

int CXMTDateTime::SetDTFromSeq(int seq) {
  const int y = seq / 370 + 1900;
  int rest = seq % 370;
  int m = 1;
  while (m < 12 && rest > kLeapMonthDays[m - 1]) {
    rest -= kLeapMonthDays[m - 1];
    ++m;
  }
  StoreDate(this, y, m, rest);
  return IsValid() ? 0 : -1;
}

int CXMTDateTime::SetDTDash(const char* text, int yearField) {
  if (!text) return 0;
  int y = GetFieldInt(text, '-', yearField);
  const int m = GetFieldInt(text, '-', 2);
  const int d = GetFieldInt(text, '-', yearField == 1 ? 3 : 1);
  if (y < 1901) y += 1900;
  StoreDate(this, y, m, d);
  return IsValid();
}

int CXMTDateTime::SetDate(int y, int m, int d) {
  if (y < 100) y += 2000;
  StoreDate(this, y, m, d);
  // A month or day too large for its byte would wrap into a valid-looking date.
  return IsValid() && month == m && day == d ? 0 : -1;
}

// Only the date changes: the value keeps its own time, 24:00:00 after rounding included
// (which SetDT(date, time) would refuse).
int CXMTDateTime::SetDate(int date) {
  // IsDate only bounds the number; a day that does not exist in its month (20150230) is
  // rejected as well, so a stored date is always a real one.
  const int y = date / 10000, m = date / 100 % 100, d = date % 100;
  if (!IsDate(date) || m < 1 || m > 12 || d < 1 || d > DayMonth(y, m)) {
    LogTrace("DateTime", 0, "Invalid Date: %d", date);
    return -1;
  }
  StoreDate(this, y, m, d);
  return 0;
}

void CXMTDateTime::SetTime(int h, int m, int s) {
  hour = static_cast<unsigned char>(h);
  minute = static_cast<unsigned char>(m);
  second = static_cast<unsigned char>(s);
}

int CXMTDateTime::SetTimeHMS(int hhmmss) {
  if (hhmmss < 0) return -1;  // would store wrapped bytes
  const int h = hhmmss / 10000, m = hhmmss / 100 % 100, s = hhmmss % 100;
  SetTime(h, m, s);
  if (h > 24) return -1;
  if (m >= 60) return -2;
  if (h == 24 && (m != 0 || s != 0)) return -4;
  return 0;
}

void CXMTDateTime::SetTimeSec(int n) { SetTime(n / 3600, n % 3600 / 60, n % 60); }

void CXMTDateTime::SetNow() { SetDT(Platform::Default().LocalNow()); }

void CXMTDateTime::SetNowGMT() { SetDT(Platform::Default().UtcNow()); }

int CXMTDateTime::SetNowEST() {
  SetNowGMT();
  int shiftMinutes = -300;
  Platform& platform = Platform::Default();
  void* key = nullptr;
  if (platform.RegOpen(RegRoot::LocalMachine,
                       "SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation", false, false,
                       &key) == 0) {
    uint32_t bias = 0, activeBias = 0;
    platform.RegQueryDword(key, "Bias", &bias);
    platform.RegQueryDword(key, "ActiveTimeBias", &activeBias);
    platform.RegClose(key);
    // The registry keeps the biases as DWORDs; east of Greenwich they are negative.
    shiftMinutes = static_cast<int32_t>(bias) - static_cast<int32_t>(activeBias) - 300;
  }
  ShiftTime(shiftMinutes * 60);
  return 0;
}

int CXMTDateTime::AdjToLocal() {
  PlatformTimeZone tz;
  if (!Platform::Default().TimeZone(&tz)) return -1;
  int biasMinutes = tz.bias;
  if (tz.state == 1) biasMinutes += tz.standardBias;
  if (tz.state == 2) biasMinutes += tz.daylightBias;
  ShiftTime(-60 * biasMinutes);
  return 0;
}

int CXMTDateTime::FixDate() {
  if (IsEmpty()) {
    month = day = 1;
    return 0;
  }
  if (month == 0) month = 1;
  if (month > 12) month = 12;
  const int len = DayMonth(GetYear(), month);
  if (day == 0) day = 1;
  if (day > len) day = static_cast<unsigned char>(len);
  if (hour > 24) SetTime(23, 59, 59);
  if (minute >= 60) minute = 59;
  if (second >= 60) second = 59;
  return 0;
}

// --- reading ------------------------------------------------------------------------------

int CXMTDateTime::GetDate(int mode) const {
  const int full = GetYear() * 10000 + month * 100 + day;
  const int host = year * 10000 + month * 100 + day;
  if (mode == -1) return host;
  if (mode < 0) return full;
  // Only the date part decides: 24:00:00 (end of day, as RoundToNearestSec gives it) still
  // has a date.
  if (!HasValidDate(*this)) return 0;
  return mode == 1 ? host : full;
}

int CXMTDateTime::GetTime() const { return hour * 10000 + minute * 100 + second; }

int CXMTDateTime::GetTimeSec() const { return hour * 3600 + minute * 60 + second; }

long long CXMTDateTime::GetDT() const {
  return static_cast<long long>(GetDate(0)) * 1000000 + GetTime();
}

void CXMTDateTime::GetPlatformTime(PlatformTime* out) const {
  if (!out) return;
  out->year = GetYear();
  out->month = month;
  out->day = day;
  out->hour = hour;
  out->minute = minute;
  out->second = second;
  out->millisecond = 0;
  out->weekday = GetWeekDay(0);
}

float CXMTDateTime::GetDateFloat() const {
  return static_cast<float>(year * 1000 + month * 31 + day) +
         static_cast<float>(GetTimeSec()) / 86400.0f;
}

int CXMTDateTime::IsValid() const {
  return HasValidDate(*this) && hour <= 23 && minute < 60 && second < 60 ? 1 : 0;
}

int CXMTDateTime::IsEmpty() const {
  return year == 0 && month == 0 && day == 0 && hour == 0 && minute == 0 && second == 0;
}

int CXMTDateTime::IsFilled() const { return IsEmpty() ? 0 : 1; }

int CXMTDateTime::IsHoliday(const char*, const char*) const { return 0; }

int CXMTDateTime::IsDTRange(const CXMTDateTime* from, const CXMTDateTime* to) const {
  if (!IsValid()) return 0;
  if (from && from->month != 0 && Compare(from) < 0) return 0;
  if (to && to->month != 0 && Compare(to) > 0) return 0;
  return 1;
}

int CXMTDateTime::IsDTRange(long long from64, long long to64) const {
  if (!IsValid()) return 0;
  const long long dt = GetDT();
  if (from64 > 0 && dt < from64) return 0;
  if (to64 > 0 && dt > to64) return 0;
  return 1;
}

int CXMTDateTime::Compare(const CXMTDateTime* other, int depth) const {
  if (!other) {
    CXMTDateTime now;
    now.SetNow();
    return CXMTDateTimePlain::Compare(&now, depth);
  }
  return CXMTDateTimePlain::Compare(other, depth);
}

int CXMTDateTime::SameDate(const CXMTDateTime* other) const {
  CXMTDateTime now;
  if (!other) {
    now.SetNow();
    other = &now;
  }
  if (day != other->day) return 3;
  if (month != other->month) return 2;
  if (year != other->year) return 1;
  return 0;
}

// --- static helpers -----------------------------------------------------------------------

int CXMTDateTime::IsDate(int n) { return n >= 19000101 && n <= 29991231 ? 1 : 0; }

// Negative numbers are no times either: they would store wrapped bytes.
int CXMTDateTime::IsTime(int n) { return n >= 0 && n < 240001 ? 1 : 0; }

int CXMTDateTime::DayYear(int y) { return IsLeap(y) ? 366 : 365; }

int CXMTDateTime::DayMonth(int y, int m) {
  if (m < 1 || m > 12) return 0;
  if (m == 2) return IsLeap(y) ? 29 : 28;
  return kLeapMonthDays[m - 1];
}

int CXMTDateTime::GetDateMDY(int y, int m, int d) {
  if (y < 70) y += 2000;
  else if (y < 100) y += 1900;
  if (y < 1900 || y > 2999) return 1;
  if (m < 1 || m > 12) return 2;
  if (d < 1 || d > 31) return 3;
  return y * 10000 + m * 100 + d;
}

int CXMTDateTime::GetTimeHMS(int h, int m, int s) {
  if (h < 0 || h > 23) return 4;
  if (m < 0 || m > 59) return 5;
  if (s < 0 || s > 59) return 6;
  return h * 10000 + m * 100 + s;
}

double CXMTDateTime::GetDiffSecsSYS(const PlatformTime* a, const PlatformTime* b) {
  PlatformTime now;
  if (!a || !b) now = Platform::Default().UtcNow();
  if (!a) a = &now;
  if (!b) b = &now;
  return static_cast<double>(UnixMsFromUtc(*b) - UnixMsFromUtc(*a)) / 1000.0;
}
