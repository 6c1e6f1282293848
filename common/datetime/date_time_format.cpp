// Writing a CXMTDateTime as text: the 30 numbered styles, month and weekday names,
// durations and the current-date helpers.
//
// The styles are the forms our files, logs, reports and web queries use; several of them are
// read back by SetDT / SetTime / SetDate, so their digits and separators must not change.
// The 12-hour styles write noon as 12 with AM and midnight as 00 with AM; SetTime reads both
// back to the same value.
#include <cstdio>
#include <string>

#include "common/datetime/date_time.h"
#include "common/datetime/date_time_text_names.h"
#include "common/platform/platform.h"
#include "common/text/txt.h"

namespace {

constexpr int kStyleBuffer = 64;  // the longest style (29) needs 39 characters

// Hour of a 12-hour style and whether it is PM: 0-12 are AM, 13-23 are PM less 12.
int Hour12(int h, bool* pm) {
  *pm = h > 12;
  return *pm ? h - 12 : h;
}

const char* MonthShortOrNull(int m) { return (m >= 1 && m <= 12) ? kMonthShort[m - 1] : nullptr; }

// Formats style into buf. Result the length, or -1 for a style we do not know.
int FormatStyle(const CXMTDateTime& v, int style, char* buf, size_t size) {
  const int y = v.GetYear(), yy = v.GetYear() % 100, mo = v.GetMonth(), d = v.GetDay();
  const int h = v.GetHour(), mi = v.GetMinute(), s = v.GetSecond();
  bool pm = false;
  const int h12 = Hour12(h, &pm);
  const char* ampm = pm ? "PM" : "AM";
  char monthName[16];
  if (const char* name = MonthShortOrNull(mo))
    snprintf(monthName, sizeof monthName, "%s", name);
  else
    snprintf(monthName, sizeof monthName, "?%d", mo);

  switch (style) {
    case 0: return snprintf(buf, size, "%04d%02d%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
    case 1: return snprintf(buf, size, "%04d%02d%02d", y, mo, d);
    case 2: return snprintf(buf, size, "%02d:%02d:%02d", h, mi, s);
    case 3: return snprintf(buf, size, "%d/%d/%02d %02d:%02d:%02d", mo, d, yy, h, mi, s);
    case 4: return snprintf(buf, size, "%d/%d/%02d", mo, d, yy);
    case 5: return snprintf(buf, size, "%02d:%02d", h, mi);
    case 6: return snprintf(buf, size, "%d/%d/%04d", mo, d, y);
    case 7: return snprintf(buf, size, "%02d:%02d:%02d%s", h12, mi, s, ampm);
    case 8: return snprintf(buf, size, "%02d:%02d%s", h12, mi, ampm);
    case 9: return snprintf(buf, size, "%d/%d/%04d %02d:%02d:%02d", mo, d, y, h, mi, s);
    case 10: return snprintf(buf, size, "%04d%02d%02d_%02d%02d%02d", y, mo, d, h, mi, s);
    case 11: return snprintf(buf, size, "%02d%02d%02d", h, mi, s);
    case 12: return snprintf(buf, size, "%02d/%02d/%04d", mo, d, y);
    case 13: return snprintf(buf, size, "%02d/%02d/%04d %02d:%02d", mo, d, y, h, mi);
    case 14: return snprintf(buf, size, "%02d/%02d", mo, d);
    case 15: return snprintf(buf, size, "%02d/%02d/%04d %02d:%02d%s", mo, d, y, h12, mi, ampm);
    case 16:
      return snprintf(buf, size, "%02d/%02d/%04d %02d:%02d:%02d%s", mo, d, y, h12, mi, s, ampm);
    case 17: return snprintf(buf, size, "%02d/%02d/%04d %02d:%02d:%02d", mo, d, y, h, mi, s);
    case 18: return snprintf(buf, size, "%d/%d/%04d,%02d:%02d:%02d", mo, d, y, h, mi, s);
    case 19: return snprintf(buf, size, "%02d/%02d/%04d|%02d:%02d:%02d", mo, d, y, h, mi, s);
    case 20: return snprintf(buf, size, "%d/%04d", mo, y);
    case 21: return snprintf(buf, size, "%04d-Q%d", y, (mo - 1) / 3 + 1);
    case 22: return snprintf(buf, size, "%s/%04d", monthName, y);
    case 23: return snprintf(buf, size, "%s/%02d", monthName, yy);
    case 24: return snprintf(buf, size, "%02d/%02d/%04d,%02d:%02d:%02d", mo, d, y, h, mi, s);
    case 25: return snprintf(buf, size, "%02d/%02d/%04d,%02d:%02d", mo, d, y, h, mi);
    case 26: return snprintf(buf, size, "%d/%d", mo, d);
    case 27: return snprintf(buf, size, "%d/%d/%d %02d:%02d", mo, d, y, h, mi);
    case 28: return snprintf(buf, size, "%s+%d%%2C+%04d", monthName, d, y);
    case 29: return snprintf(buf, size, "%s/%d/%04d %02d:%02d:%02d", monthName, d, y, h, mi, s);
    default: return -1;
  }
}

int SetOut(CTxt& out, const char* text) { return out.SetTxt(text); }
int SetOut(std::string& out, const char* text) {
  out = text;
  return static_cast<int>(out.size());
}

template <typename Out>
int WriteStyle(const CXMTDateTime& v, Out& out, int style) {
  char buf[kStyleBuffer];
  if (FormatStyle(v, style, buf, sizeof buf) < 0) return -1;
  return SetOut(out, buf);
}

template <typename Out>
int WriteNow(Out& out, int style) {
  CXMTDateTime now;
  now.SetNow();
  return WriteStyle(now, out, style);
}

}  // namespace

int CXMTDateTime::GetTxt(CTxt& out, int style) const { return WriteStyle(*this, out, style); }

int CXMTDateTime::GetStr(std::string& out, int style) const {
  return WriteStyle(*this, out, style);
}

int CXMTDateTime::GetDurTxt(CTxt& out, const CXMTDateTime* other) const {
  const long long secs = GetDiffSecBig(other);
  if (secs >= 86400) {
    out.Format("%.3f Days", secs / 86400.0);
    return 3;
  }
  if (secs >= 3600) {
    out.Format("%.2f Hrs", secs / 3600.0);
    return 2;
  }
  if (secs == 60) {
    out.SetTxt("1 Min");
    return 1;
  }
  if (secs < 60) {
    out.Format("%02lld Secs", secs);
    return 0;
  }
  if (secs % 60 == 0)
    out.Format("%.0f Mins", secs / 60.0);
  else
    out.Format("%.2f Mins", secs / 60.0);
  return 1;
}

int CXMTDateTime::GetDurTxtHMS(CTxt& out, const CXMTDateTime* other) const {
  const long long secs = GetDiffSecBig(other);
  if (secs < 86400) {
    out.Format("%02d:%02d:%02d", static_cast<int>(secs / 3600), static_cast<int>(secs % 3600 / 60),
               static_cast<int>(secs % 60));
    return 1;
  }
  out.Format("%.3f Days", secs / 86400.0);
  return 2;
}

int CXMTDateTime::GetMonthTxt(int m, CTxt& out, int shortName) {
  if (m < 1 || m > 12) return out.Format("?%d", m);
  return out.SetTxt(shortName ? kMonthShort[m - 1] : kMonthLong[m - 1]);
}

int CXMTDateTime::GetWeekDayTxt(int n, CTxt& out, int shortName, int mondayFirst) {
  // Counted from Monday, the number moves to the Sunday count first, so -1 (the day before
  // Monday) is still Sunday; only what stays negative has no name.
  const long long day = (mondayFirst == 1 ? static_cast<long long>(n) + 1 : n) % 7;
  if (day < 0) return out.Format("?%d", n);
  return out.SetTxt(shortName ? kWeekDayShort[day] : kWeekDayLong[day]);
}

int CXMTDateTime::GetCurrDateCTxt(CTxt& out) { return WriteNow(out, 12); }
int CXMTDateTime::GetCurrDateStr(std::string& out) { return WriteNow(out, 12); }
int CXMTDateTime::GetCurrDateTimeCTxt(CTxt& out) { return WriteNow(out, 9); }
int CXMTDateTime::GetCurrDateTimeStr(std::string& out) { return WriteNow(out, 9); }

int CXMTDateTime::GetCurrDateTimemSecCTxt(CTxt& out) {
  const PlatformTime t = Platform::Default().LocalNow();
  return out.Format("%02d%02d%02d|%02d:%02d:%02d.%03d", t.year % 100, t.month, t.day, t.hour,
                    t.minute, t.second, t.millisecond);
}
