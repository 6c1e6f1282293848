// Tests of the date-time texts: the date, time and name readers with their error codes and
// log lines, keywords, durations, names, the current-date texts and the user's date order.
// (The numbered output styles are tested in date_time_styles_test.cpp.)
#include <gtest/gtest.h>

#include <string>

#include "common/datetime/date_time.h"
#include "common/testing/fake_platform.h"
#include "common/testing/test_dirs.h"
#include "common/settings/trace_log.h"
#include "common/text/txt.h"

namespace {

CXMTDateTime Make(int date, int time) {
  CXMTDateTime v;
  v.SetDT(date, time);
  return v;
}

// Today's date, read so that a test running across midnight still passes.
bool IsToday(int yyyymmdd) {
  CXMTDateTime a, b;
  a.SetNow();
  b.SetNow();
  return yyyymmdd == a.GetDate() || yyyymmdd == b.GetDate();
}

TEST(DateTimeText, SetDTKeywordsAndEmpty) {
  CXMTDateTime v = Make(20150217, 130509);
  EXPECT_EQ(v.SetDT("   \t "), 0);
  EXPECT_EQ(v.IsEmpty(), 1);

  EXPECT_EQ(v.SetDT("today"), 0);
  EXPECT_TRUE(IsToday(v.GetDate()));
  EXPECT_EQ(v.GetTime(), 0);

  CXMTDateTime before;
  before.SetNow();
  EXPECT_EQ(v.SetDT(" NOW "), 0);
  EXPECT_TRUE(IsToday(v.GetDate()));
  EXPECT_LE(before.GetDiffSec(&v), 2);
  EXPECT_GE(before.GetDiffSec(&v), 0);

  for (const char* kw : {"TodayEST", "live"}) {
    EXPECT_EQ(v.SetDT(kw), 0);
    EXPECT_EQ(v.IsValid(), 1);
    EXPECT_EQ(v.GetTime(), 0) << kw;
  }
  EXPECT_EQ(v.SetDT("NowEST"), 0);
  EXPECT_EQ(v.IsValid(), 1);
  // Keywords are whole words.
  EXPECT_EQ(v.SetDT("Nowhere"), -3);
}

TEST(DateTimeText, SetDTForms) {
  struct Case {
    const char* text;
    int rc;
    long long dt;
  };
  const Case cases[] = {
      {"20150217", 0, 20150217000000},
      {"  2/17/2015 9:30  ", 0, 20150217093000},
      {"2/17/15 9:30 PM", 0, 20150217213000},
      {"2015-02-17 93015", 0, 20150217093015},
      {"150217 930", 0, 20150217093000},
      {"2/29/2016 23:59:59", 0, 20160229235959},
      {"1/1/69 9", 0, 20690101090000},
      {"1/1/70", 0, 19700101000000},
      {"2/17/2015\t9:30:15", 0, 20150217093015},  // a tab between date and time
  };
  for (const Case& c : cases) {
    CXMTDateTime v;
    EXPECT_EQ(v.SetDT(c.text), c.rc) << c.text;
    EXPECT_EQ(v.GetDT(), c.dt) << c.text;
  }
  EXPECT_EQ(CXMTDateTime().SetDTCheck("2/17/2015 10:00"), 0);
}

TEST(DateTimeText, SetDTFailuresKeepTheValue) {
  struct Case {
    const char* text;
    int rc;
  };
  const Case cases[] = {
      {"abc", -3},              // first field reads as 0
      {"0/1/2015", -3},
      {"2/30/2015", -1},        // no such day
      {"13/1/2015", -1},        // no such month
      {"2/17/1850 10:00", -1},  // year out of range
      {"17991231 10:00", -1},   // just below the date numbers: read as y m d, bad year
      {"29991232 10:00", -1},   // just above: bad day
      {"2/17/2015 25:00", -2},
      {"2/17/2015 10:60", -2},
      {"2/17/2015 975", -2},    // hhmm number with minute 75
  };
  for (const Case& c : cases) {
    CXMTDateTime v = Make(20100101, 101010);
    EXPECT_EQ(v.SetDT(c.text), c.rc) << c.text;
    EXPECT_EQ(v.GetDT(), 20100101101010) << c.text;
  }
}

std::string LogText() {
  char path[1024] = "";
  if (GetLogFilePath(path, sizeof path) <= 0) return "";
  return ReadWholeFile(Platform::Default().NativePath(path));
}

// A time with no date (a first field that is a time) or with a date number that is no
// date stores the time, logs the date and gives -1.
TEST(DateTimeText, BadOrMissingDateStoresOnlyTheTime) {
  struct Case {
    const char* text;
    long long dt;
    const char* logged;
  };
  const Case cases[] = {
      {"12:30 anything", 20100101123000, "Invalid Date: 0\r\n"},
      {"20150230 0930", 20100101093000, "Invalid Date: 20150230\r\n"},
      {"20151399", 20100101000000, "Invalid Date: 20151399\r\n"},
      {"18000000 10:00", 20100101100000, "Invalid Date: 18000000\r\n"},  // lowest date number
  };
  for (const Case& c : cases) {
    CXMTDateTime v = Make(20100101, 101010);
    EXPECT_EQ(v.SetDT(c.text), -1) << c.text;
    EXPECT_EQ(v.GetDT(), c.dt) << c.text;
    EXPECT_NE(LogText().find(c.logged), std::string::npos) << c.text;
  }
  CXMTDateTime v = Make(20100101, 123000);
  EXPECT_EQ(v.SetDT("29991231 10:00"), 0);  // highest date number (its year wraps in the byte)
  EXPECT_EQ(v.GetTime(), 100000);
  v = Make(20100101, 123000);
  // A time that does not read changes nothing.
  EXPECT_EQ(v.SetDT("12:75"), -2);
  EXPECT_EQ(v.GetDT(), 20100101123000);
  EXPECT_EQ(v.SetTime("12:75"), -2);
  EXPECT_NE(LogText().find("Invalid Time: -2\r\n"), std::string::npos);
}

TEST(DateTimeText, DateReaderCodes) {
  EXPECT_EQ(CXMTDateTime::ParseDateTxt("20150217"), 20150217);
  EXPECT_EQ(CXMTDateTime::ParseDateTxt("2015-2-17"), 20150217);
  EXPECT_EQ(CXMTDateTime::ParseDateTxt("15-02-17"), 20150217);
  EXPECT_EQ(CXMTDateTime::ParseDateTxt("990217"), 19990217);
  EXPECT_EQ(CXMTDateTime::ParseDateTxt("2/17/2015"), 20150217);
  EXPECT_EQ(CXMTDateTime::ParseDateTxt("2/17/3000"), -1);
  EXPECT_EQ(CXMTDateTime::ParseDateTxt("x150217"), -1);
  EXPECT_EQ(CXMTDateTime::ParseDateTxt("0/17/2015"), -2);
  EXPECT_EQ(CXMTDateTime::ParseDateTxt("2015-13-01"), -2);
  EXPECT_EQ(CXMTDateTime::ParseDateTxt("2/29/2015"), -3);
  EXPECT_EQ(CXMTDateTime::ParseDateTxt("2/29/2000"), 20000229);
  EXPECT_EQ(CXMTDateTime::ParseDateTxt("20150230"), -3);
  EXPECT_EQ(CXMTDateTime::ParseDateTxt(nullptr), -1);

  CXMTDateTime v = Make(20100101, 101010);
  EXPECT_EQ(v.SetDate("2/17/2015"), 0);
  EXPECT_EQ(v.GetDT(), 20150217000000);
  EXPECT_EQ(v.SetDate("2/30/2015"), -1);
  EXPECT_EQ(v.GetDT(), 20150217000000);
}

TEST(DateTimeText, TimeReaderCodes) {
  EXPECT_EQ(CXMTDateTime::ParseTimeTxt("9"), 90000);
  EXPECT_EQ(CXMTDateTime::ParseTimeTxt("930"), 93000);
  EXPECT_EQ(CXMTDateTime::ParseTimeTxt("93015"), 93015);
  EXPECT_EQ(CXMTDateTime::ParseTimeTxt(""), 0);
  EXPECT_EQ(CXMTDateTime::ParseTimeTxt("9:30"), 93000);
  EXPECT_EQ(CXMTDateTime::ParseTimeTxt("9:30:15 pm"), 213015);
  EXPECT_EQ(CXMTDateTime::ParseTimeTxt("24:00"), -1);
  EXPECT_EQ(CXMTDateTime::ParseTimeTxt("-1"), -1);
  EXPECT_EQ(CXMTDateTime::ParseTimeTxt("250000"), -1);
  EXPECT_EQ(CXMTDateTime::ParseTimeTxt("9:60"), -2);
  EXPECT_EQ(CXMTDateTime::ParseTimeTxt("975"), -2);
  EXPECT_EQ(CXMTDateTime::ParseTimeTxt("9:30:60"), -3);
  EXPECT_EQ(CXMTDateTime::ParseTimeTxt("93061"), -3);

  // The alpha form: decimal hours, and PM is not looked at.
  EXPECT_EQ(CXMTDateTime::GetTimeAlpha("9.5"), 93000);
  EXPECT_EQ(CXMTDateTime::GetTimeAlpha("9.7"), 94200);  // rounded, not cut to 9:41:59
  EXPECT_EQ(CXMTDateTime::GetTimeAlpha("22:15:33"), 221533);
  EXPECT_EQ(CXMTDateTime::GetTimeAlpha("10:27:33 PM"), 102733);
  EXPECT_EQ(CXMTDateTime::GetTimeAlpha("24.5"), -1);

  CXMTDateTime v = Make(20100101, 101010);
  EXPECT_EQ(v.SetTime("9:61"), -2);
  EXPECT_EQ(v.GetTime(), 101010);
  EXPECT_EQ(v.SetTime(""), 0);
  EXPECT_EQ(v.GetTime(), 0);
  EXPECT_EQ(v.SetTime(nullptr), 0);
  EXPECT_EQ(v.GetDate(), 20100101);
  EXPECT_EQ(v.SetTime("Today"), 0);
  EXPECT_EQ(v.GetDate(), 20100101);  // keywords take only the time of day
}

TEST(DateTimeText, DatesWithMonthNames) {
  EXPECT_EQ(CXMTDateTime::GetDateAlpha("17-Feb-15", 3, 2, 1, ' '), 20150217);
  EXPECT_EQ(CXMTDateTime::GetDateAlpha("17-02-1999", 3, 2, 1, ' '), 19990217);
  EXPECT_EQ(CXMTDateTime::GetDateAlpha("17-Xyz-15", 3, 2, 1, ' '), 2);
  EXPECT_EQ(CXMTDateTime::GetDateAlpha("DECEMBER  07, 2026", 3, 1, 2, ' '), 20261207);
  EXPECT_EQ(CXMTDateTime::GetDateAlpha("Sept 7 2026", 3, 1, 2, ' '), 20260907);
  EXPECT_EQ(CXMTDateTime::GetDateAlpha("d 7 2026", 3, 1, 2, ' '), 20261207);
  EXPECT_EQ(CXMTDateTime::GetDateAlpha("2026/2/29", 1, 2, 3, '/'), 3);
  EXPECT_EQ(CXMTDateTime::GetDateAlpha("1850/2/1", 1, 2, 3, '/'), 1);
  EXPECT_EQ(CXMTDateTime::GetDateAlpha("20150217", 1, 2, 3, '/'), 20150217);
  EXPECT_EQ(CXMTDateTime::GetDateAlpha("20151399", 1, 2, 3, '/'), 2);
  EXPECT_EQ(CXMTDateTime::GetDateAlpha("", 3, 1, 2, ' '), 2);
  EXPECT_EQ(CXMTDateTime::GetDateAlpha(nullptr, 3, 1, 2, ' '), 1);

  CXMTDateTime now;
  now.SetNow();
  const int feb17 = CXMTDateTime::GetDateAlpha("Feb 17", -1, 0, 0, ' ');
  EXPECT_EQ(feb17 % 10000, 217);
  EXPECT_GE(feb17 / 10000, now.GetYear());
  EXPECT_EQ(CXMTDateTime::GetDateAlpha("Foo 17", -1, 0, 0, ' '), 2);
  EXPECT_EQ(CXMTDateTime::GetDateAlpha("Feb 30", -1, 0, 0, ' '), 3);
  // A missing year field is the current year.
  EXPECT_EQ(CXMTDateTime::GetDateAlpha("Mar 3", 3, 1, 2, ' ') / 10000,
            CXMTDateTime::GetDateAlpha("Mar 3", -1, 0, 0, ' ') / 10000);
}

TEST(DateTimeText, MonthAndWeekdayNames) {
  CTxt out;
  CXMTDateTime::GetMonthTxt(1, out, 1);
  EXPECT_STREQ(out, "Jan");
  CXMTDateTime::GetMonthTxt(9, out, 0);
  EXPECT_STREQ(out, "September");
  CXMTDateTime::GetMonthTxt(13, out, 0);
  EXPECT_STREQ(out, "?13");
  CXMTDateTime::GetMonthTxt(0, out, 1);
  EXPECT_STREQ(out, "?0");

  CXMTDateTime::GetWeekDayTxt(5, out, 1, 1);
  EXPECT_STREQ(out, "Sat");
  CXMTDateTime::GetWeekDayTxt(6, out, 1, 1);
  EXPECT_STREQ(out, "Sun");
  CXMTDateTime::GetWeekDayTxt(3, out, 0, 0);
  EXPECT_STREQ(out, "Wednsday");
  CXMTDateTime::GetWeekDayTxt(9, out, 1, 0);
  EXPECT_STREQ(out, "Tue");
  CXMTDateTime::GetWeekDayTxt(-1, out, 1, 0);
  EXPECT_STREQ(out, "?-1");
  CXMTDateTime::GetWeekDayTxt(-1, out, 1, 1);  // the day before Monday
  EXPECT_STREQ(out, "Sun");
  CXMTDateTime::GetWeekDayTxt(-2, out, 1, 1);
  EXPECT_STREQ(out, "?-2");
  CXMTDateTime::GetWeekDayTxt(2147483647, out, 1, 1);  // no overflow on the Monday shift
  EXPECT_EQ(out.GetLength(), 3);

  EXPECT_EQ(CXMTDateTime::GetWeekDayVal("wednesday", 0), 3);
  EXPECT_EQ(CXMTDateTime::GetWeekDayVal("Wednsday", 1), 2);
  EXPECT_EQ(CXMTDateTime::GetWeekDayVal("SUN", 1), 6);
  EXPECT_EQ(CXMTDateTime::GetWeekDayVal("Sun", 0), 0);
  EXPECT_EQ(CXMTDateTime::GetWeekDayVal("Su", 0), -1);
  EXPECT_EQ(CXMTDateTime::GetWeekDayVal("Xyz", 0), -1);
  EXPECT_EQ(CXMTDateTime::GetWeekDayVal(nullptr, 0), -1);
  // Every long name reads back to its own number.
  for (int n = 0; n < 7; ++n) {
    CXMTDateTime::GetWeekDayTxt(n, out, 0, 1);
    EXPECT_EQ(CXMTDateTime::GetWeekDayVal(out, 1), n);
  }
}

TEST(DateTimeText, Durations) {
  const CXMTDateTime start = Make(20150217, 100000);
  struct Case {
    int seconds;
    const char* text;
    int unit;
  };
  const Case cases[] = {
      {90, "1.50 Mins", 1},    {120, "2 Mins", 1},      {60, "1 Min", 1},
      {59, "59 Secs", 0},      {5, "05 Secs", 0},       {-5, "-5 Secs", 0},
      {3600, "1.00 Hrs", 2},   {5400, "1.50 Hrs", 2},   {129600, "1.500 Days", 3},
      {0, "00 Secs", 0},
  };
  for (const Case& c : cases) {
    CXMTDateTime end = start;
    end.ShiftTime(c.seconds);
    CTxt out;
    EXPECT_EQ(start.GetDurTxt(out, &end), c.unit) << c.seconds;
    EXPECT_STREQ(out, c.text) << c.seconds;
  }
  CXMTDateTime end = start;
  end.ShiftTime(3725);
  CTxt out;
  EXPECT_EQ(start.GetDurTxtHMS(out, &end), 1);
  EXPECT_STREQ(out, "01:02:05");
  end.ShiftTime(2 * 86400 - 3725);
  EXPECT_EQ(start.GetDurTxtHMS(out, &end), 2);
  EXPECT_STREQ(out, "2.000 Days");
}

TEST(DateTimeText, CurrentDateTexts) {
  CTxt out;
  std::string s;
  CXMTDateTime::GetCurrDateCTxt(out);
  CXMTDateTime r;
  ASSERT_EQ(r.SetDate(out), 0);
  EXPECT_TRUE(IsToday(r.GetDate()));
  EXPECT_EQ(CXMTDateTime::GetCurrDateStr(s), 10);
  CXMTDateTime::GetCurrDateTimeCTxt(out);
  ASSERT_EQ(r.SetDT(out), 0);
  EXPECT_TRUE(IsToday(r.GetDate()));
  CXMTDateTime::GetCurrDateTimeStr(s);
  EXPECT_EQ(s.find('/') > 0, true);

  EXPECT_EQ(CXMTDateTime::GetCurrDateTimemSecCTxt(out), 19);
  const std::string m(out);
  EXPECT_EQ(m[6], '|');
  EXPECT_EQ(m[15], '.');
}

// A user whose regional short-date format is given.
class RegionalUser : public FakePlatform {
 public:
  explicit RegionalUser(const char* format) : format_(format) {}
  std::string ShortDateFormat() override { return format_; }

 private:
  std::string format_;
};

std::string ConvLocal(const char* format, const char* text) {
  RegionalUser user(format);
  ScopedPlatform use(user);
  CXMTDateTime::ForgetUserDateOrder();
  CTxt out;
  const int n = CXMTDateTime::SetDTConvLocalTxt(text, out);
  EXPECT_EQ(n, out.GetLength());
  CXMTDateTime::ForgetUserDateOrder();
  return std::string(out);
}

TEST(DateTimeText, UserDateOrder) {
  EXPECT_EQ(ConvLocal("d/M/yyyy", "17/2/2015 10:30 PM"), "2/17/2015 10:30 PM");
  EXPECT_EQ(ConvLocal("dd.MM.yyyy", "17.02.2015 10:30"), "2/17/2015 10:30");
  EXPECT_EQ(ConvLocal("d/M/yyyy", "17/2/2015\t10:30"), "2/17/2015 10:30");  // time kept
  EXPECT_NE(LogText().find("Detecetd DateFormat: DD.MM.YYYY (Day=1, Month=2, Year=3)"),
            std::string::npos);
  EXPECT_EQ(ConvLocal("yyyy-MM-dd", "2015-02-17"), "2/17/2015 ");
  EXPECT_EQ(ConvLocal("", "2/17/2015 9:00"), "2/17/2015 9:00");  // unknown: month/day/year
  EXPECT_EQ(ConvLocal("M/d/yy", "2/17/15"), "2/17/15 ");
  // Keywords and other forms without the user's separator pass unchanged.
  EXPECT_EQ(ConvLocal("dd.MM.yyyy", "Now"), "Now");
  EXPECT_EQ(ConvLocal("d/M/yyyy", "20150217 10:00"), "20150217 10:00");

  RegionalUser user("dd/MM/yyyy");
  ScopedPlatform use(user);
  CXMTDateTime::ForgetUserDateOrder();
  CXMTDateTime v;
  EXPECT_EQ(v.SetDTConvLocal("17/02/2015 13:05:09"), 0);
  EXPECT_EQ(v.GetDT(), 20150217130509);
  {
    // The order is read once per process: a later change of the format is not seen.
    RegionalUser american("M/d/yyyy");
    ScopedPlatform useAmerican(american);
    EXPECT_EQ(v.SetDTConvLocal("03/04/2015"), 0);
    EXPECT_EQ(v.GetDate(), 20150403);
  }
  CXMTDateTime::ForgetUserDateOrder();
}

TEST(DateTimeText, KeywordsOnAFixedClock) {
  FakePlatform fake;  // 2025-03-14 09:30:00
  ScopedPlatform use(fake);
  CXMTDateTime v;
  EXPECT_EQ(v.SetDT("Today"), 0);
  EXPECT_EQ(v.GetDT(), 20250314000000);
  EXPECT_EQ(v.SetDT("now"), 0);
  EXPECT_EQ(v.GetDT(), 20250314093000);
  v.SetDT(20100101, 0);
  EXPECT_EQ(v.SetTime("NOW"), 0);
  EXPECT_EQ(v.GetDT(), 20100101093000);
  EXPECT_EQ(v.SetDate("7/4"), 0);  // the current year
  EXPECT_EQ(v.GetDate(), 20250704);
  CTxt out;
  CXMTDateTime::GetCurrDateCTxt(out);
  EXPECT_STREQ(out, "03/14/2025");
  CXMTDateTime::GetCurrDateTimeCTxt(out);
  EXPECT_STREQ(out, "3/14/2025 09:30:00");
  CXMTDateTime::GetCurrDateTimemSecCTxt(out);
  EXPECT_STREQ(out, "250314|09:30:00.000");
}

}  // namespace
