// Tests of the numbered output styles of the date-time texts: every style of one value, the
// 12-hour forms, and the styles our readers take back giving the value again.
#include <gtest/gtest.h>

#include <string>

#include "common/datetime/date_time.h"
#include "common/text/txt.h"

namespace {

CXMTDateTime Make(int date, int time) {
  CXMTDateTime v;
  v.SetDT(date, time);
  return v;
}

std::string Style(const CXMTDateTime& v, int style) {
  CTxt out;
  v.GetTxt(out, style);
  return std::string(static_cast<const char*>(out));
}

TEST(DateTimeStyles, EveryStyleOfOneValue) {
  const CXMTDateTime v = Make(20150217, 130509);
  const char* expected[30] = {
      "20150217 13:05:09", "20150217", "13:05:09", "2/17/15 13:05:09", "2/17/15", "13:05",
      "2/17/2015", "01:05:09PM", "01:05PM", "2/17/2015 13:05:09", "20150217_130509", "130509",
      "02/17/2015", "02/17/2015 13:05", "02/17", "02/17/2015 01:05PM",
      "02/17/2015 01:05:09PM", "02/17/2015 13:05:09", "2/17/2015,13:05:09",
      "02/17/2015|13:05:09", "2/2015", "2015-Q1", "Feb/2015", "Feb/15", "02/17/2015,13:05:09",
      "02/17/2015,13:05", "2/17", "2/17/2015 13:05", "Feb+17%2C+2015",
      "Feb/17/2015 13:05:09"};
  for (int style = 0; style < 30; ++style) EXPECT_EQ(Style(v, style), expected[style]) << style;

  EXPECT_EQ(Style(Make(20151231, 0), 21), "2015-Q4");
  EXPECT_EQ(Style(Make(20150701, 0), 21), "2015-Q3");

  // An unknown style leaves the output as it was.
  CTxt out("keep");
  EXPECT_EQ(v.GetTxt(out, 30), -1);
  EXPECT_EQ(v.GetTxt(out, -1), -1);
  EXPECT_STREQ(out, "keep");
  std::string s = "keep";
  EXPECT_EQ(v.GetStr(s, 17), 19);
  EXPECT_EQ(s, "02/17/2015 13:05:09");
}

TEST(DateTimeStyles, TwelveHourForms) {
  EXPECT_EQ(Style(Make(20150217, 123000), 7), "12:30:00AM");  // noon is written with AM
  EXPECT_EQ(Style(Make(20150217, 130500), 7), "01:05:00PM");
  EXPECT_EQ(Style(Make(20150217, 0), 7), "00:00:00AM");
  EXPECT_EQ(Style(Make(20150217, 235959), 8), "11:59PM");

  CXMTDateTime t;
  for (const char* text : {"12:30PM", "12:30AM", "12:30:00AM", "12:30 pm"}) {
    EXPECT_EQ(t.SetTime(text), 0) << text;
    EXPECT_EQ(t.GetTime(), 123000) << text;
  }
  EXPECT_EQ(t.SetTime("1:05PM"), 0);
  EXPECT_EQ(t.GetTime(), 130500);
  EXPECT_EQ(t.SetTime("00:05:00AM"), 0);
  EXPECT_EQ(t.GetTime(), 500);
  EXPECT_EQ(t.SetTime("9 PM"), 0);
  EXPECT_EQ(t.GetTime(), 210000);
  EXPECT_EQ(t.SetTime("240000"), 0);  // 24 or more loses 12
  EXPECT_EQ(t.GetTime(), 120000);
}

// Every style that one of our readers takes back gives the value again (or the part of it
// the style shows).
TEST(DateTimeStyles, RoundTripsThroughTheReaders) {
  const int dates[] = {20150217, 19991231, 20000101, 20690630, 19700101, 20240229};
  const int times[] = {10203, 93000, 120000, 123045, 130509, 235959, 2500};
  for (int date : dates) {
    for (int time : times) {
      const CXMTDateTime v = Make(date, time);
      const int hhmm00 = time / 100 * 100;
      SCOPED_TRACE(Style(v, 0));
      for (int style : {0, 3, 9, 16, 17}) {  // date and time to the second
        CXMTDateTime r;
        EXPECT_EQ(r.SetDT(Style(v, style).c_str()), 0) << style;
        EXPECT_EQ(r.GetDT(), v.GetDT()) << style;
      }
      for (int style : {13, 15, 27}) {  // date and time to the minute
        CXMTDateTime r;
        EXPECT_EQ(r.SetDT(Style(v, style).c_str()), 0) << style;
        EXPECT_EQ(r.GetDate(), date) << style;
        EXPECT_EQ(r.GetTime(), hhmm00) << style;
      }
      for (int style : {1, 4, 6, 12}) {  // date only
        CXMTDateTime r = Make(20000101, 111111);
        EXPECT_EQ(r.SetDate(Style(v, style).c_str()), 0) << style;
        EXPECT_EQ(r.GetDT(), static_cast<long long>(date) * 1000000) << style;
        EXPECT_EQ(r.SetDT(Style(v, style).c_str()), 0) << style;
        EXPECT_EQ(r.GetDT(), static_cast<long long>(date) * 1000000) << style;
      }
      for (int style : {2, 7, 11}) {  // time to the second
        CXMTDateTime r;
        EXPECT_EQ(r.SetTime(Style(v, style).c_str()), 0) << style;
        EXPECT_EQ(r.GetTime(), time) << style;
      }
      for (int style : {5, 8}) {  // time to the minute
        CXMTDateTime r;
        EXPECT_EQ(r.SetTime(Style(v, style).c_str()), 0) << style;
        EXPECT_EQ(r.GetTime(), hhmm00) << style;
      }
      // The month-name form of style 29, read as a date with names.
      std::string s29 = Style(v, 29);
      EXPECT_EQ(CXMTDateTime::GetDateAlpha(s29.substr(0, s29.find(' ')).c_str(), 3, 1, 2, '/'),
                date);
    }
  }
}

TEST(DateTimeStyles, MonthAndDayForms) {
  // Forms without a year take the current one.
  CXMTDateTime now;
  now.SetNow();
  for (int style : {14, 26}) {
    CXMTDateTime r;
    EXPECT_EQ(r.SetDate(Style(Make(20150705, 0), style).c_str()), 0) << style;
    EXPECT_EQ(r.GetMonth(), 7);
    EXPECT_EQ(r.GetDay(), 5);
    EXPECT_GE(r.GetYear(), now.GetYear());
  }
}

}  // namespace
