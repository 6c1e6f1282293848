// Reading date and time texts into a CXMTDateTime.
//
// The texts come from settings, data files, user input and web pages: numbers (20150217,
// 930, 93015), month/day/year and year-month-day dates, h:mm[:ss] times with AM/PM, dates
// with month names ("17-Feb-15", "December 7, 2026") and the keywords for the current time.
// Every reader works on a bounded local copy or on fields cut with strfld into fixed
// buffers, so no text is read past its terminator and nothing is written past a buffer.
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>

#include "common/datetime/date_time.h"
#include "common/datetime/date_time_text_names.h"
#include "common/platform/platform.h"
#include "common/text/text_helpers.h"
#include "common/settings/trace_log.h"
#include "common/text/txt.h"

namespace {

constexpr int kMaxText = 1000;   // SetDT(text) looks at this many characters at most
constexpr int kFieldSize = 128;  // one field of a date or time text

// A number held to the int range, so that absurd numbers in a text cannot overflow our
// arithmetic.
long long ToNumber(const char* p) { return TextToIntSaturated(p); }

long long FieldNumber(const char* text, char separator, int n) {
  char field[kFieldSize];
  if (strfld(text, separator, n, 0, field, sizeof field) <= 0) return 0;
  return ToNumber(field);
}

int CountChar(const char* text, char ch) {
  int n = 0;
  for (; *text; ++text) n += (*text == ch);
  return n;
}

// Two-digit years: below 70 is 20xx, below 100 is 19xx.
long long WindowYear(long long y) {
  if (y < 70) return y + 2000;
  if (y < 100) return y + 1900;
  return y;
}

int CurrentYear() { return Platform::Default().LocalNow().year; }

// yyyymmdd from checked parts, or the given error codes for a bad year, month or day.
int CheckedDate(long long y, long long m, long long d, int badYear, int badMonth, int badDay) {
  y = WindowYear(y);
  if (y < 1900 || y > 2999) return badYear;
  if (m < 1 || m > 12) return badMonth;
  if (d < 1 || d > CXMTDateTime::DayMonth(static_cast<int>(y), static_cast<int>(m))) return badDay;
  return static_cast<int>(y * 10000 + m * 100 + d);
}

// The numbers a date text may give as they are, yyyymmdd.
bool IsDateNumber(long long n) { return n >= 18000000 && n <= 29991231; }

bool EqualsNoCase(const char* a, const char* b) { return CompareNoCase(a, b, 1) == 0; }

// The keyword forms of a text: 0 none, 1 now (local), 2 now in New York. *keepTime tells
// whether the keyword keeps the time of day ("Now", "NowEST") or means the day at 00:00:00.
int Keyword(const char* text, bool* keepTime) {
  *keepTime = EqualsNoCase(text, "NowEST") || EqualsNoCase(text, "Now");
  if (EqualsNoCase(text, "TodayEST") || EqualsNoCase(text, "LIVE") || EqualsNoCase(text, "NowEST"))
    return 2;
  if (EqualsNoCase(text, "Today") || EqualsNoCase(text, "Now")) return 1;
  return 0;
}

// A bounded, trimmed copy of text. Tabs inside count as blanks: a date and a time split by
// a tab (as in tab-separated files) are still two fields, not one field whose colon would
// make the whole of it read as a time.
void TrimmedCopy(const char* text, char (&buf)[kMaxText + 1]) {
  buf[0] = 0;
  if (text) {
    size_t n = strnlen(text, kMaxText);
    memcpy(buf, text, n);
    buf[n] = 0;
  }
  TrimBlanks(buf);
  for (char* p = buf; *p; ++p) {
    if (*p == '\t') *p = ' ';
  }
}

bool EndsWithPM(const char* text) {
  size_t n = strlen(text);
  return n >= 2 && toupper(static_cast<unsigned char>(text[n - 2])) == 'P' &&
         toupper(static_cast<unsigned char>(text[n - 1])) == 'M';
}

// Time text; alpha selects the GetTimeAlpha variant (decimal hours, no PM rule).
int ParseTime(const char* text, bool alpha) {
  if (!text) text = "";
  if (CountChar(text, ':') == 0) {
    if (alpha && strchr(text, '.')) {
      double hours = strtod(text, nullptr);
      if (!(hours >= 0 && hours < 24)) return -1;
      long secs = std::lround(hours * 3600.0);
      if (secs >= 86400) return -1;
      return static_cast<int>(secs / 3600 * 10000 + secs % 3600 / 60 * 100 + secs % 60);
    }
    long long n = ToNumber(text);
    if (n < 0) return -1;
    if (n < 24) n *= 100;
    if (n < 2400) n *= 100;
    // The number form is checked like the colon form (24 stays allowed for 24:00:00 and the
    // PM folding of SetTime); an unchecked 097500 would store minute 75.
    if (n / 10000 > 24) return -1;
    if (n / 100 % 100 >= 60) return -2;
    if (n % 100 >= 60) return -3;
    return static_cast<int>(n);
  }
  long long h = FieldNumber(text, ':', 1);
  long long m = FieldNumber(text, ':', 2);
  long long s = FieldNumber(text, ':', 3);
  if (h < 0 || h > 23) return -1;
  if (m < 0 || m > 59) return -2;
  if (s < 0 || s > 59) return -3;
  if (!alpha && FindTextNoCase(text, "PM") >= 0 && h < 12) h += 12;
  return static_cast<int>(h * 10000 + m * 100 + s);
}

}  // namespace

int CXMTDateTime::ParseDateTxt(const char* text) {
  if (!text) return -1;
  long long n = ToNumber(text);
  // A number in the date range is still checked as a calendar date: 20151399 is no date.
  if (IsDateNumber(n))
    return CheckedDate(n / 10000, n / 100 % 100, n % 100, -1, -2, -3);
  if (!strchr(text, '/')) {
    if (CountChar(text, '-') == 2 && CountFields(text, '-') == 3)
      return CheckedDate(FieldNumber(text, '-', 1), FieldNumber(text, '-', 2),
                         FieldNumber(text, '-', 3), -1, -2, -3);
    if (!isdigit(static_cast<unsigned char>(text[0]))) return -1;
    return CheckedDate(n / 10000, n % 10000 / 100, n % 100, -1, -2, -3);
  }
  char year[kFieldSize];
  long long y = CurrentYear();
  if (strfld(text, '/', 3, 0, year, sizeof year) > 0) y = ToNumber(year);
  return CheckedDate(y, FieldNumber(text, '/', 1), FieldNumber(text, '/', 2), -1, -2, -3);
}

int CXMTDateTime::ParseTimeTxt(const char* text) { return ParseTime(text, false); }

int CXMTDateTime::GetTimeAlpha(const char* text) { return ParseTime(text, true); }

int CXMTDateTime::SetDT(const char* text) {
  char buf[kMaxText + 1];
  TrimmedCopy(text, buf);
  if (!buf[0]) {
    Reset();
    return 0;
  }
  bool keepTime = false;
  if (int kw = Keyword(buf, &keepTime)) {
    if (kw == 2)
      SetNowEST();
    else
      SetNow();
    if (!keepTime) SetTime(0, 0, 0);
    return 0;
  }
  char first[kMaxText + 1];
  strfld(buf, ' ', 1, 0, first, sizeof first);
  if (ToNumber(first) == 0) return -3;
  if (CountChar(first, ':') >= 1) {
    // Only a time: it is stored, and SetDT reports the missing date as -1.
    int t = ParseTime(first, false);
    if (t < 0) return -2;
    return SetDT(0, t);
  }
  // A number in the date range goes to SetDT(date, time) as it is, so that a day its month
  // lacks (20150230) stores the time and logs "Invalid Date: %d" there like any bad date.
  const long long number = ToNumber(first);
  const int date = IsDateNumber(number) ? static_cast<int>(number) : ParseDateTxt(first);
  if (date < 0) return -1;
  char rest[kMaxText + 1];
  rest[0] = 0;
  strfld(buf, ' ', 2, 3, rest, sizeof rest);
  int t = ParseTime(rest, false);
  if (t < 0) return -2;
  return SetDT(date, t);
}

int CXMTDateTime::SetDTCheck(const char* text) {
  int rc = SetDT(text);
  if (!IsValid()) return -1;
  return rc;
}

int CXMTDateTime::SetDate(const char* text) {
  int date = ParseDateTxt(text);
  if (date < 0) return -1;
  return SetDT(date, 0);
}

int CXMTDateTime::SetTime(const char* text) {
  char buf[kMaxText + 1];
  TrimmedCopy(text, buf);
  if (!buf[0]) {
    SetTime(0, 0, 0);
    return 0;
  }
  bool keepTime = false;
  if (int kw = Keyword(buf, &keepTime)) {
    CXMTDateTime now;
    if (kw == 2)
      now.SetNowEST();
    else
      now.SetNow();
    SetTime(now.hour, now.minute, now.second);
    return 0;
  }
  int t = ParseTime(buf, false);
  if (t < 0) {
    LogTrace("DateTime", 0, "Invalid Time: %d", t);
    return -2;
  }
  int h = t / 10000;
  if (EndsWithPM(buf)) h += 12;
  if (h >= 24) h -= 12;
  SetTime(h, t / 100 % 100, t % 100);
  return 0;
}

int CXMTDateTime::GetDateAlpha(const char* text, int yearField, int monthField, int dayField,
                               char separator) {
  if (!text) return 1;
  long long n = ToNumber(text);
  if (IsDate(static_cast<int>(n))) return CheckedDate(n / 10000, n / 100 % 100, n % 100, 1, 2, 3);

  if (CountFields(text, '-') > 2 && monthField == 2) {
    // day-month-year with a month name or number in the middle (17-Feb-15)
    char monthText[kFieldSize];
    strfld(text, '-', 2, 0, monthText, sizeof monthText);
    long long y = WindowYear(FieldNumber(text, '-', 3));
    long long d = FieldNumber(text, '-', 1);
    char rebuilt[3 * kFieldSize];
    snprintf(rebuilt, sizeof rebuilt, "%lld/%s/%lld", y, monthText, d);
    return GetDateAlpha(rebuilt, 1, 2, 3, '/');
  }

  if (yearField == -1) {
    // a month name followed by the day (Feb 17), in the current year
    const char* p = text;
    while (*p == ' ' || *p == '\t') ++p;
    char name[kFieldSize];
    int len = 0;
    while (isalpha(static_cast<unsigned char>(p[len])) && len < kFieldSize - 1) {
      name[len] = p[len];
      ++len;
    }
    name[len] = 0;
    p += len;
    while (*p && !isdigit(static_cast<unsigned char>(*p))) ++p;
    return CheckedDate(CurrentYear(), MonthFromName(name), ToNumber(p), 1, 2, 3);
  }

  char field[kFieldSize];
  long long y = CurrentYear();
  if (strfld(text, separator, yearField, 0, field, sizeof field) > 0) y = ToNumber(field);
  long long m = 0;
  if (strfld(text, separator, monthField, 0, field, sizeof field) > 0) {
    TrimBlanks(field);
    m = isdigit(static_cast<unsigned char>(field[0])) ? ToNumber(field) : MonthFromName(field);
  }
  long long d = FieldNumber(text, separator, dayField);
  return CheckedDate(y, m, d, 1, 2, 3);
}

int CXMTDateTime::GetWeekDayVal(const char* name, int mondayFirst) {
  if (!name || strnlen(name, 3) < 3) return -1;
  for (int i = 0; i < 7; ++i) {
    if (CompareNoCase(name, kWeekDayShort[i], 0) == 0) {
      return mondayFirst == 1 ? (i + 6) % 7 : i;
    }
  }
  return -1;
}

// --- the user's short-date order -------------------------------------------------------------

namespace {

// Positions (from 1) of day, month and year in the user's short-date format and the
// separator between them. Read once per process; month/day/year when the format is unknown.
struct UserDateOrder {
  bool known = false;
  int day = 2;
  int month = 1;
  int year = 3;
  char separator = '/';
};

UserDateOrder g_dateOrder;

const UserDateOrder& DateOrder() {
  if (g_dateOrder.known) return g_dateOrder;
  g_dateOrder = UserDateOrder{};
  g_dateOrder.known = true;
  char format[kFieldSize];
  snprintf(format, sizeof format, "%s", Platform::Default().ShortDateFormat().c_str());
  if (!format[0]) return g_dateOrder;
  for (char* p = format; *p; ++p) *p = static_cast<char>(toupper(static_cast<unsigned char>(*p)));
  // Formats are "M/d/yyyy" in most regions, but "dd.MM.yyyy" and "yyyy-MM-dd" exist too;
  // a format split by the wrong separator would leave day and month on the same field.
  for (char separator : {'/', '.', '-'}) {
    int day = 0, month = 0, year = 0;
    const int fields = CountFields(format, separator);
    for (int i = 1; i <= fields && i <= 3; ++i) {
      char field[kFieldSize];
      if (strfld(format, separator, i, 0, field, sizeof field) <= 0) continue;
      TrimBlanks(field);
      if (field[0] == 'D') day = i;
      if (field[0] == 'M') month = i;
      if (field[0] == 'Y') year = i;
    }
    if (day && month && year && day != month && day != year && month != year) {
      g_dateOrder.day = day;
      g_dateOrder.month = month;
      g_dateOrder.year = year;
      g_dateOrder.separator = separator;
      break;
    }
  }
  LogTrace("BT-AB", 2, "Detecetd DateFormat: %s (Day=%d, Month=%d, Year=%d)", format,
           g_dateOrder.day, g_dateOrder.month, g_dateOrder.year);
  return g_dateOrder;
}

}  // namespace

void CXMTDateTime::ForgetUserDateOrder() { g_dateOrder = UserDateOrder{}; }

int CXMTDateTime::SetDTConvLocalTxt(const char* text, CTxt& out) {
  const UserDateOrder& order = DateOrder();
  char buf[kMaxText + 1];
  TrimmedCopy(text, buf);
  char date[kMaxText + 1];
  strfld(buf, ' ', 1, 0, date, sizeof date);
  // Keywords and texts without a date in the user's form pass unchanged.
  if (!strchr(date, order.separator)) return out.SetTxt(buf);
  char rest[kMaxText + 1];
  if (strfld(buf, ' ', 2, -1, rest, sizeof rest) <= 0) rest[0] = 0;
  const auto part = [&](int field) {
    return static_cast<int>(FieldNumber(date, order.separator, field));
  };
  return out.Format("%d/%d/%d %s", part(order.month), part(order.day), part(order.year), rest);
}

int CXMTDateTime::SetDTConvLocal(const char* text) {
  CTxt converted;
  SetDTConvLocalTxt(text, converted);
  return SetDT(converted.GetData() ? converted.GetData() : "");
}
