// Calendar date and time of day, to the second, in six bytes.
//
// CXMTDateTime is the value the whole system passes around for bar times, file stamps and
// log times. It converts from and to the number forms we meet (yyyymmdd, hhmmss, the host's
// yyymmdd with years counted from 1900, yyyymmddhhmmss), platform clock readings, seconds
// since 1970, floating day counts, Julian day numbers and a compact sequence number, and it
// computes weekdays, week and quarter boundaries, differences and shifts.
//
// Contract:
// - Six unsigned bytes in this order: year (years since 1900, 1900-2155), month (1-12, 0 when
//   empty), day, hour (0-23; a few setters allow 24), minute, second. No virtual members; the
//   value is copied bytewise. A four-digit year is stored as its low byte after subtracting
//   1900 (wraps modulo 256).
// - Empty means all six bytes 0 (after construction and Reset).
// - Setters return 0 on success and a small negative number on failure unless the member
//   says otherwise; they keep what they had already stored when they fail.
// - "Now" is the local time of the computer, read through Platform::Default().
// - The only log lines are "Invalid Time: %d" and "Invalid Date: %d" (category "DateTime").
// - Values belong to one thread; nothing here keeps process-wide state.
//
// Note for members added to this class: the fields are named year, month, day, hour,
// minute, second, so locals of those names shadow them (-Wshadow); pick other names.
#pragma once

#include <cstdint>
#include <string>

#include "common/platform/platform_time.h"
#include "common/text/typed_ptr_array.h"

class CTxt;
class CXMTDateTime;

// The six fields without behaviour beyond copy and Compare.
class CXMTDateTimePlain {
 public:
  unsigned char year = 0;    // years since 1900
  unsigned char month = 0;   // 1-12, 0 when empty
  unsigned char day = 0;     // 1-31
  unsigned char hour = 0;    // 0-23 (24 allowed by a few setters)
  unsigned char minute = 0;  // 0-59
  unsigned char second = 0;  // 0-59

  // -1, 0 or 1 comparing field by field from the year; depth 1-6 stops after year, month,
  // day, hour, minute or second. A null other gives 99.
  int Compare(const CXMTDateTimePlain* other, int depth = 6) const;
};

class CXMTDateTime : public CXMTDateTimePlain {
 public:
  CXMTDateTime() = default;
  // date yyyymmdd, time hhmmss, as SetDT.
  CXMTDateTime(int date, int time);

  // --- field accessors ----------------------------------------------------------------
  int GetYear() const { return year + 1900; }  // four digits
  int GetYear1900() const { return year; }     // years since 1900
  int GetMonth() const { return month; }
  int GetDay() const { return day; }
  int GetHour() const { return hour; }
  int GetMinute() const { return minute; }
  int GetSecond() const { return second; }

  // --- setting ------------------------------------------------------------------------
  void Reset();
  // date yyyymmdd, time hhmmss. A bad time (not IsTime, or not a time of day: 240000,
  // 126000): -2, nothing changed. Else the time is stored; a bad date (not IsDate, or a day
  // its month does not have): -1, date fields unchanged.
  int SetDT(int date, int time);
  // yyyymmddhhmmss; a date part of 0 or less empties the value and gives -1.
  int SetDT64(long long dt);
  int SetDT64(const char* text);  // the number read with atoll
  // A local clock reading; -1 when the result is not valid.
  int SetDT(const PlatformTime& local);
  // A universal clock reading, converted to local time with the system's current rules
  // (the system-time form of the file stamps); -1 when the result is not valid.
  int SetDTUniversal(const PlatformTime& utc);
  // Universal time in milliseconds since 1970 (the file-time form), converted as above.
  int SetDTUniversalMs(int64_t msSince1970);
  // Stamp of a file in local time. which: 'A' last access, 'C' creation, 'M' last write
  // (-2 times cannot be read, -1 file not found); 'S' modification time from stat with the
  // runtime's local-time rules (-1 when stat fails; a file named NUL gives time 0). Any other
  // letter leaves the value empty and gives 0.
  int SetDTFile(const char* path, char which);
  // Seconds since 1970 with the runtime's local-time rules; -1 when it cannot be converted.
  int SetDTUnix(int64_t t);
  // Days since 1899-12-30 with the time as fraction; -1 when the result is not valid, and
  // -1 with the value unchanged for no number or a count beyond +-10 million days.
  int SetDTFloat(double x);
  // Date of Julian day number n (time 00:00:00); result the shift in days from today.
  int SetDTJul(int n);
  int SetDTJul(const char* text);  // n read with atoi
  // Inverse of GetSeqNbr.
  int SetDTFromSeq(int seq);
  // Dash-separated date, year from field yearField, month field 2, day field 3 when
  // yearField is 1 else field 1. Result 1 when valid, 0 when not.
  int SetDTDash(const char* text, int yearField);
  // A year below 100 means 2000 + y; -1 when the result is not valid (also for a month or
  // day too large for its byte).
  int SetDate(int y, int m, int d);
  // The date part of SetDT(date, time): a bad date logs "Invalid Date: %d" and gives -1,
  // date fields unchanged. The value keeps its own time, even 24:00:00 from rounding.
  int SetDate(int date);
  void SetTime(int h, int m, int s);  // no check
  // hhmmss; -1 hour above 24, -2 minute 60 or more, -4 hour 24 with minutes or seconds.
  int SetTimeHMS(int hhmmss);
  void SetTimeSec(int n);  // seconds since midnight, no check
  void SetNow();
  void SetNowGMT();
  // Universal now shifted by (Bias - ActiveTimeBias - 300) minutes from the registry's
  // time-zone key, or by -300 minutes when the key cannot be opened. Result 0.
  int SetNowEST();
  // Treats the value as universal time and moves it to local time by the system's biases.
  int AdjToLocal();
  // Repairs out-of-range fields (see the source). Result 0.
  int FixDate();
  void Copy(const CXMTDateTime& other) { *this = other; }

  // --- reading ------------------------------------------------------------------------
  // mode 0 (or positive other than 1): yyyymmdd, 0 when the date is not valid; 1: yyymmdd,
  // 0 when not valid; -1: yyymmdd unchecked; other negative: yyyymmdd unchecked. Only the
  // date is checked: 24:00:00 (end of day) keeps its date.
  int GetDate(int mode = 0) const;
  int GetTime() const;     // hhmmss
  int GetTimeSec() const;  // seconds since midnight
  long long GetDT() const;  // GetDate(0) * 1000000 + GetTime()
  // Fields, weekday (Sunday = 0), milliseconds 0.
  void GetPlatformTime(PlatformTime* out) const;
  // (years since 1900) * 1000 + month * 31 + day + seconds / 86400: a sort key.
  float GetDateFloat() const;
  int GetJulian() const;
  static int Jan1(int y);  // weekday of 1 January, Sunday = 0
  int GetJulianWeek(int mondayFirst = 0) const;
  // 0 = Sunday .. 6 = Saturday; with mondayFirst 0 = Monday .. 6 = Sunday.
  int GetWeekDay(int mondayFirst = 0) const;
  int GetWeekStart(int mondayFirst = 0) const;  // yyyymmdd
  int GetWeekSeq(int mondayFirst = 0) const;    // year * 100 + week
  int GetQtrDate(int end) const;                // yyyymmdd first (0) or last day
  int GetMonthDate() const;                     // yyyymmdd of the first day
  // (seconds + offset) / length + yymmdd * 10000 (length <= 0 counts as 1). 64-bit: the
  // bucket numbers of dates from 2022 on do not fit 32 bits.
  long long GetIntervalIdx(int length, int offset) const;
  int GetSeqNbr() const;
  int GetTimeShift(int seconds) const;  // hhmmss
  int IsValid() const;
  int IsEmpty() const;
  int IsFilled() const;
  int IsHoliday(const char* market = nullptr, const char* list = nullptr) const;  // always 0
  // 1 when valid and within [from, to]; a null bound or one with month 0 is open.
  int IsDTRange(const CXMTDateTime* from, const CXMTDateTime* to) const;
  // The same with yyyymmddhhmmss bounds compared with GetDT (0 or less is open). Pass
  // long long values: IsDTRange(0, 0) is ambiguous.
  int IsDTRange(long long from64, long long to64) const;
  // -1, 0, 1 field by field to the depth (1-6); a null other means now.
  int Compare(const CXMTDateTime* other, int depth = 6) const;
  // 3 days differ, 2 months differ, 1 years differ, 0 same date.
  int SameDate(const CXMTDateTime* other) const;

  // --- differences (a null or empty other means now) ----------------------------------
  int GetDiffSec(const CXMTDateTime* other) const;  // other - this
  long long GetDiffSecBig(const CXMTDateTime* other) const;
  // other - this through the runtime's local-time conversion (daylight saving counts).
  long long GetDiffSecSpan(const CXMTDateTime* other) const;
  double GetDiffDays(const CXMTDateTime* other) const;
  double GetDiffDaysSpan(const CXMTDateTime* other) const;
  // this - other in months with a fraction (note: opposite sign to GetDiffSec).
  double GetDiffMonth(const CXMTDateTime* other) const;

  // --- shifting (results 0) -----------------------------------------------------------
  int ShiftYear(int n);
  int ShiftMonth(int n);
  int ShiftDate(int days);
  int ShiftDate(double days);  // -1 and unchanged for no number or beyond the int range
  int ShiftTime(int seconds);
  // Rounds the time down to a multiple of length (<= 0 counts as 1), adding one length with
  // up = 1; 86400 exactly gives 24:00:00, more moves the date.
  int RoundToNearestSec(int length, int up);

  // --- static helpers -----------------------------------------------------------------
  static int IsDate(int n);  // 19000101 <= n <= 29991231
  static int IsTime(int n);  // 0 <= n < 240001
  static int DayYear(int y);
  static int DayMonth(int y, int m);  // 0 for m outside 1-12
  // yyyymmdd, or 1 bad year, 2 bad month, 3 bad day.
  static int GetDateMDY(int y, int m, int d);
  // hhmmss, or 4 bad hour, 5 bad minute, 6 bad second.
  static int GetTimeHMS(int h, int m, int s);
  // b - a in seconds with milliseconds; a null b means universal now.
  static double GetDiffSecsSYS(const PlatformTime* a, const PlatformTime* b);
  // Self-checks; results the number of errors found (logged under "TEST").
  static int TestSeqNbr();
  static int TestJulian();  // also writes "Lunar.csv" in the current folder

  // ===================================================================================
  // Text forms and internet time
  // ===================================================================================
  // Implemented in date_time_parse.cpp, date_time_format.cpp and internet_time.cpp.
  // Readers never look past a text's terminator nor more than 1000 characters of it.

  // --- reading texts --------------------------------------------------------------------
  // A date and time text: empty -> empty value, 0. Keywords (whole, case ignored) "Now" and
  // "NowEST" keep the time of day, "Today", "TodayEST" and "LIVE" mean 00:00:00 (the EST
  // forms are New York time): 0. Otherwise the first blank-separated field (tabs count as
  // blanks) is the date (ParseDateTxt) and fields 2-3 the time (ParseTimeTxt): -3 first
  // field reads as 0, -1 bad date, -2 bad time, else SetDT(date, time). A first field that
  // is a time (has a colon) stores only the time and gives -1 with the "Invalid Date: 0"
  // log line.
  int SetDT(const char* text);
  // SetDT(text), then -1 unless the value is valid.
  int SetDTCheck(const char* text);
  // The date of text reordered from the user's short-date order (SetDTConvLocalTxt), then
  // SetDT.
  int SetDTConvLocal(const char* text);
  // out = "%d/%d/%d %s": month, day, year of text's first field taken in the user's
  // short-date order, and the rest of the text. A first field without a date separator is
  // copied unchanged. Result out's length. The order is read once per process.
  static int SetDTConvLocalTxt(const char* text, CTxt& out);
  static void ForgetUserDateOrder();  // the next use reads the user's format again
  // The date of text (ParseDateTxt) at 00:00:00; -1 when the text is no date.
  int SetDate(const char* text);
  // Time of day only: keywords take the time of now; empty or null -> 00:00:00. A text
  // ending in "PM" adds 12 hours; an hour of 24 or more then loses 12. A bad time logs
  // "Invalid Time: %d" and gives -2. Result 0.
  int SetTime(const char* text);
  // yyyymmdd from a date text (yyyymmdd number, y-m-d, m/d[/y], yymmdd), or -1 bad year,
  // -2 bad month, -3 bad day. Two-digit years: below 70 -> 20yy, else 19yy.
  static int ParseDateTxt(const char* text);
  // hhmmss from a time text (h, hhmm, hhmmss numbers; h:mm[:ss] with "PM" anywhere adding
  // 12 to hours below 12), or -1 bad hour, -2 bad minute, -3 bad second.
  static int ParseTimeTxt(const char* text);
  // As ParseTimeTxt, but a number with a fraction is decimal hours and "PM" is ignored.
  static int GetTimeAlpha(const char* text);
  // yyyymmdd of a date with month names or numbers, fields split by separator (blank runs
  // count as one); yearField -1: "<month name> <day>" in the current year. A missing year
  // is the current year. Result 1 bad year, 2 bad month, 3 bad day.
  static int GetDateAlpha(const char* text, int yearField, int monthField, int dayField,
                          char separator);
  // 0-6 (Sunday = 0, or Monday = 0 with mondayFirst 1) for a name beginning with a
  // three-letter weekday abbreviation (case ignored); -1 otherwise.
  static int GetWeekDayVal(const char* name, int mondayFirst);

  // --- writing texts --------------------------------------------------------------------
  // Style 0-29 (see date_time_format.cpp). Result the length; -1 and out unchanged for any
  // other style.
  int GetTxt(CTxt& out, int style) const;
  int GetStr(std::string& out, int style) const;
  // Duration other - this (null or empty other: now). Result the unit: 3 "%.3f Days",
  // 2 "%.2f Hrs", 1 "1 Min" / "%.0f Mins" / "%.2f Mins", 0 "%02d Secs" (also negative).
  int GetDurTxt(CTxt& out, const CXMTDateTime* other) const;
  // Below one day: "hh:mm:ss", result 1; else "%.3f Days", result 2.
  int GetDurTxtHMS(CTxt& out, const CXMTDateTime* other) const;
  // "Jan" or "January" ...; "?%d" out of range. Result out's length.
  static int GetMonthTxt(int m, CTxt& out, int shortName);
  // Weekday n modulo 7 (Sunday = 0; with mondayFirst 1, n counts from Monday and becomes
  // (n + 1) modulo 7 first). "?%d" when that is negative. Result out's length.
  static int GetWeekDayTxt(int n, CTxt& out, int shortName, int mondayFirst);
  static int GetCurrDateCTxt(CTxt& out);          // now, style 12
  static int GetCurrDateStr(std::string& out);    // now, style 12
  static int GetCurrDateTimeCTxt(CTxt& out);      // now, style 9
  static int GetCurrDateTimeStr(std::string& out);  // now, style 9
  // Local now with milliseconds: "yymmdd|hh:mm:ss.mmm".
  static int GetCurrDateTimemSecCTxt(CTxt& out);

  // --- internet time ----------------------------------------------------------------------
  // Reads universal time from the time page of settings "INTERNET" / "TimeUrlEST" (or
  // "TimeUrlGov") and sets the value. waitForChange 1 fetches again until the page shows a
  // different second. Result 0 (out = style 0), -1 "SyncTime: Internet open error!",
  // -2 "SyncTime: URL open error!", -3 "SyncTime: URL reading error!", -4 no time on the
  // page after the last fetch ("SetGMT:  Clould not find Universal time"), -5 "Invalid
  // date/time in %s (%d, %d)", -6 the time did not change. On failure the value is kept.
  int SetNowTimeEST(CTxt& out, int waitForChange);
  int SetNowTimeGov(CTxt& out, int waitForChange);
  // SetNowTimeEST(text, 0): 0 when it succeeded and the value is valid, else -2.
  int SetNowURL();
  // Sets the computer's clock to this value read as universal time. Result 0 and out =
  // "Adjusted ..." with the change in seconds in *adjusted (may be null); -1 and
  // "SetLocalTime failed (Error %d=%s)"; -2 for an invalid value (the clock is not touched).
  int SyncGMT(CTxt& out, double* adjusted) const;
  // --- end of text forms and internet time ----------------------------------------------
};

static_assert(sizeof(CXMTDateTime) == 6, "CXMTDateTime is six bytes");
static_assert(sizeof(CXMTDateTimePlain) == 6, "CXMTDateTimePlain is six bytes");

// The universal clock reading (four-digit year, milliseconds) of a time in milliseconds since
// 1970, the platform's file-time form; any value, before 1970 included.
PlatformTime UniversalFromUnixMs(int64_t msSince1970);

// A start, an end and one number.
class CXMTDateTimeInterval {
 public:
  CXMTDateTime start;
  CXMTDateTime end;
  int value = 0;
};

// A record list of date-time values (not owning: the list's owner frees the values).
using SDateTimePtrArray = STypedPtrArray<CXMTDateTime>;
