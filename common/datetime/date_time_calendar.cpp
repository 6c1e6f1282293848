// CXMTDateTime: calendar arithmetic.
//
// Julian day numbers, weekdays, week/quarter/month boundaries, sequence numbers,
// differences, shifts and the two self-checks. The formulas are the ones users' files and
// studies were computed with, so they are kept exactly (truncating divisions included).
#include <cmath>
#include <cstdio>
#include <cstdint>

#include "common/datetime/date_time.h"
#include "common/datetime/date_time_internal.h"
#include "common/datetime/date_time_text_names.h"
#include "common/platform/platform.h"
#include "common/settings/trace_log.h"

using namespace xmt_datetime_detail;

namespace {

// Sum of the leap-year month lengths before month m (1-12).
int LeapDaysBefore(int m) {
  int sum = 0;
  for (int i = 1; i < m && i <= 12; ++i) sum += kLeapMonthDays[i - 1];
  return sum;
}

// One day forward or back with the carry of a day-by-day walk; also brings an incomplete
// value (month or day 0, day beyond the month) onto a real date.
void StepOneDay(CXMTDateTime* v, int dir) {
  if (dir > 0) {
    v->day = static_cast<unsigned char>(v->day + 1);
    if (v->day > CXMTDateTime::DayMonth(v->GetYear(), v->month)) {
      v->day = 1;
      v->month = static_cast<unsigned char>(v->month + 1);
      if (v->month > 12) {
        v->month = 1;
        v->year = static_cast<unsigned char>(v->year + 1);
      }
    }
  } else if (v->day > 1) {
    v->day = static_cast<unsigned char>(v->day - 1);
  } else {
    v->month = static_cast<unsigned char>(v->month - 1);
    if (v->month < 1 || v->month > 12) {
      v->month = 12;
      v->year = static_cast<unsigned char>(v->year - 1);
    }
    v->day = static_cast<unsigned char>(CXMTDateTime::DayMonth(v->GetYear(), v->month));
  }
}

// The other value of a difference: null or empty means now.
CXMTDateTime OtherOrNow(const CXMTDateTime* other) {
  CXMTDateTime v;
  if (other && !other->IsEmpty()) return *other;
  v.SetNow();
  return v;
}

int64_t LocalSeconds(const CXMTDateTime& v) {
  PlatformTime t;
  v.GetPlatformTime(&t);
  return Platform::Default().LocalToUnix(t);
}

}  // namespace

// --- Julian numbers and weekdays ----------------------------------------------------------

int CXMTDateTime::GetJulian() const {
  int y = GetYear(), m = month;
  const int d = day;
  if (m <= 2) {
    y -= 1;
    m += 12;
  }
  const int b = y * 10000 + m * 100 + d >= 15821015 ? y / 400 - y / 100 + 2 : 0;
  return static_cast<int>(30.6001 * (m + 1)) + b + d + static_cast<int>(365.25 * y) + 1720995;
}

int CXMTDateTime::Jan1(int y) {
  const int c = y > 1800 ? (y - 1601) / 400 - (y - 1701) / 100 : 0;
  const int k = y < 1753 ? 3 : 0;
  const int w = ((y + 3) / 4 + y + 4 + c - k + 3) % 7;
  return w < 0 ? w + 7 : w;  // years before 1 count back from Sunday too
}

int CXMTDateTime::GetJulianWeek(int mondayFirst) const {
  return (GetJulian() - GetWeekDay(mondayFirst)) / 7;
}

int CXMTDateTime::GetWeekDay(int mondayFirst) const {
  const int y = GetYear();
  const int first = Jan1(y);
  const int step = (Jan1(y + 1) - first + 7) % 7;
  int monthDays[12];
  for (int i = 0; i < 12; ++i) monthDays[i] = kLeapMonthDays[i];
  monthDays[1] = step == 2 ? 29 : 28;
  if (step != 1 && step != 2) monthDays[8] = 19;  // 1752: 3-13 September were skipped
  int days = first;
  for (int i = 1; i < month && i <= 12; ++i) days += monthDays[i - 1];
  days += day - 1;
  // Day 0 of a month (an incomplete value) may reach back before 1 January.
  const int sundayFirst = (days % 7 + 7) % 7;
  if (!mondayFirst) return sundayFirst;
  return sundayFirst == 0 ? 6 : sundayFirst - 1;
}

int CXMTDateTime::GetWeekStart(int mondayFirst) const {
  CXMTDateTime start = *this;
  start.ShiftDate(-GetWeekDay(mondayFirst));
  return start.GetDate(0);
}

int CXMTDateTime::GetWeekSeq(int mondayFirst) const {
  CXMTDateTime probe = *this;
  probe.ShiftDate(-GetWeekDay(mondayFirst));
  int steps = 0;
  while (steps < 366) {
    probe.ShiftDate(-7);
    if (probe.year != year) break;
    ++steps;
  }
  return GetYear() * 100 + steps + 1;
}

int CXMTDateTime::GetQtrDate(int end) const {
  const int first = (month - 1) / 3 * 3 + 1;
  if (!end) return GetYear() * 10000 + first * 100 + 1;
  return GetYear() * 10000 + (first + 2) * 100 + DayMonth(GetYear(), first + 2);
}

int CXMTDateTime::GetMonthDate() const { return GetYear() * 10000 + month * 100 + 1; }

long long CXMTDateTime::GetIntervalIdx(int length, int offset) const {
  if (length <= 0) length = 1;  // a zero length would divide by zero
  const long long yymmdd = (GetYear() % 100) * 10000 + month * 100 + day;
  return (static_cast<long long>(GetTimeSec()) + offset) / length + yymmdd * 10000;
}

int CXMTDateTime::GetSeqNbr() const { return year * 370 + LeapDaysBefore(month) + day; }

int CXMTDateTime::GetTimeShift(int seconds) const {
  long long sum = static_cast<long long>(GetTimeSec()) + seconds;
  if (sum < 0) sum = (sum % 86400 + 86400) % 86400;
  while (sum > 86400) sum -= 86400;
  const int s = static_cast<int>(sum);
  return s / 3600 * 10000 + s % 3600 / 60 * 100 + s % 60;
}

// --- differences --------------------------------------------------------------------------

long long CXMTDateTime::GetDiffSecBig(const CXMTDateTime* other) const {
  const CXMTDateTime o = OtherOrNow(other);
  return static_cast<long long>(o.GetJulian() - GetJulian()) * 86400 + o.GetTimeSec() -
         GetTimeSec();
}

int CXMTDateTime::GetDiffSec(const CXMTDateTime* other) const {
  return static_cast<int>(GetDiffSecBig(other));
}

long long CXMTDateTime::GetDiffSecSpan(const CXMTDateTime* other) const {
  const CXMTDateTime o = OtherOrNow(other);
  const int64_t a = LocalSeconds(*this), b = LocalSeconds(o);
  // Out of the runtime's range: the calendar difference is the best we have.
  if (a == -1 || b == -1) return GetDiffSecBig(&o);
  return b - a;
}

double CXMTDateTime::GetDiffDays(const CXMTDateTime* other) const {
  return static_cast<double>(GetDiffSecBig(other)) / 86400.0;
}

double CXMTDateTime::GetDiffDaysSpan(const CXMTDateTime* other) const {
  CXMTDateTime a = *this;
  CXMTDateTime b = OtherOrNow(other);
  if (a.GetDate(-2) < 19000101) StoreDate(&a, 1900, 1, 1);
  if (b.year == 0 && b.month == 0 && b.day == 0) StoreDate(&b, 1900, 1, 1);
  return static_cast<double>(a.GetDiffSecSpan(&b)) / 86400.0;
}

double CXMTDateTime::GetDiffMonth(const CXMTDateTime* other) const {
  const CXMTDateTime o = OtherOrNow(other);
  const int order = Compare(&o, 3);
  if (order == 0) return 0.0;
  const int dir = order < 0 ? -1 : 1;  // the way the copy of other walks
  CXMTDateTime copy = o;
  int count = 0;
  for (int i = 0; i < 4000; ++i) {
    copy.ShiftMonth(dir);
    count += dir;
    if (copy.Compare(this, 3) * dir >= 0) break;  // no longer on other's side of this
  }
  if (copy.Compare(this, 3) == 0) return count;
  const int length = DayMonth(copy.GetYear(), copy.month);
  copy.ShiftMonth(-dir);
  count -= dir;
  const double days = std::abs(copy.GetJulian() - GetJulian());
  return count + dir * days / length;
}

// --- shifting -----------------------------------------------------------------------------

int CXMTDateTime::ShiftYear(int n) {
  year = static_cast<unsigned char>(year + static_cast<unsigned>(n));  // wraps like the byte
  return 0;
}

int CXMTDateTime::ShiftMonth(int n) {
  if (n == 0) return 0;
  const int64_t total = static_cast<int64_t>(GetYear()) * 12 + (month - 1) + n;
  const int64_t y = FloorDiv(total, 12);
  StoreDate(this, static_cast<int>(y), static_cast<int>(total - y * 12 + 1), day);
  for (int tries = 0; tries < 10 && day > DayMonth(GetYear(), month); ++tries) {
    if (n > 0) {
      StepOneDay(this, 1);  // 31 January + 1 month: "31 February" rolls to 1 March
    } else {
      day = static_cast<unsigned char>(day - 1);
    }
  }
  return 0;
}

int CXMTDateTime::ShiftDate(int days) {
  const int dir = days > 0 ? 1 : -1;
  // An incomplete date is walked a day at a time until it is a real one.
  while (days != 0 && !HasValidDate(*this)) {
    StepOneDay(this, dir);
    days -= dir;
  }
  if (days == 0) return 0;
  int y, m, d;
  CivilFromDays(DaysFromCivil(GetYear(), month, day) + days, &y, &m, &d);
  StoreDate(this, y, m, d);
  return 0;
}

int CXMTDateTime::ShiftDate(double days) {
  // No number, or more days than an int holds: the value stays as it is.
  if (!(std::fabs(days) < 2147483647.0)) return -1;
  const int whole = static_cast<int>(days);
  ShiftDate(whole);
  const double secs = (days - whole) * 86400.0;
  return ShiftTime(static_cast<int>(secs >= 0 ? secs + 0.51 : secs - 0.51));
}

int CXMTDateTime::ShiftTime(int seconds) {
  const int64_t total = static_cast<int64_t>(GetTimeSec()) + seconds;
  const int64_t days = FloorDiv(total, 86400);
  SetTimeSec(static_cast<int>(total - days * 86400));
  if (days != 0) ShiftDate(static_cast<int>(days));
  return 0;
}

int CXMTDateTime::RoundToNearestSec(int length, int up) {
  if (length <= 0) length = 1;
  long long s = GetTimeSec() / length * static_cast<long long>(length);
  if (up == 1) s += length;
  if (s > 86400) {
    ShiftDate(static_cast<int>(s / 86400));
    s %= 86400;
  }
  SetTimeSec(static_cast<int>(s));
  return 0;
}

// --- self-checks --------------------------------------------------------------------------

int CXMTDateTime::TestSeqNbr() {
  CXMTDateTime d(19000101, 0);
  int errors = 0;
  for (int i = 0; i < 81600; ++i) {
    const int seq = d.GetSeqNbr();
    CXMTDateTime back;
    back.SetDTFromSeq(seq);
    if (back.Compare(&d, 3) != 0) {
      ++errors;
      LogTrace("TEST", 0, "SeqNbr: %d (Seq=%d)", d.GetDate(0), seq);
    }
    if (i + 1 < 81600) d.ShiftDate(1);
  }
  LogTrace("TEST", 0, "SeqNbr: Last=%d Errors=%d", d.GetDate(0), errors);
  return errors;
}

int CXMTDateTime::TestJulian() {
  FILE* out = Platform::Default().OpenFile("Lunar.csv", "wb");
  CXMTDateTime d(20020101, 0);
  int errors = 0;
  int previous = d.GetJulian() - 1;
  char line[200];
  while (d.GetDate(0) <= 20041231) {
    const int julian = d.GetJulian();
    if (julian - previous != 1) {
      ++errors;
      LogTrace("TEST", 0, "Julian: Diff=%d/%d", d.GetDate(0), julian - previous);
    }
    const int weekDay = d.GetWeekDay(0);
    if ((julian + 1) % 7 != weekDay) {
      ++errors;
      LogTrace("TEST", 0, "Julian: WeekDay=%d/%d", (julian + 1) % 7, weekDay);
    }
    if (weekDay == 0 || weekDay == 6) {
      snprintf(line, sizeof line, "%d/%d/%d,%s\r\n", d.month, d.day, d.GetYear(),
               kWeekDayLong[weekDay]);
    } else {
      snprintf(line, sizeof line, "%d/%d/%d,%s,Series%d,?\r\n", d.month, d.day, d.GetYear(),
               kWeekDayLong[weekDay], (julian + 2) % 4 + 1);
    }
    if (out) fputs(line, out);
    previous = julian;
    d.ShiftDate(1);
  }
  if (out) fclose(out);
  LogTrace("TEST", 0, "Julian: Error=%d", errors);
  return errors;
}
