// Tests of the date-time value: setters and their failure codes, number forms, Julian
// numbers and weekdays, shifts, rounding, differences, clock-based setters over a fake
// clock, file stamps and the two self-checks.
#include "common/datetime/date_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/settings/files.h"
#include "common/testing/fake_platform.h"
#include "common/testing/test_dirs.h"
#include "common/settings/trace_log.h"

namespace {

CXMTDateTime DT(int date, int time = 0) { return CXMTDateTime(date, time); }

// A clock reading for yyyymmddhhmmss.
PlatformTime Clock(long long dt) {
  CXMTDateTime v;
  v.SetDT64(dt);
  PlatformTime t;
  v.GetPlatformTime(&t);
  return t;
}

TEST(DateTimeSet, SetDTRejectsBadTimeWithoutChangeAndBadDateKeepingTime) {
  CXMTDateTime v = DT(20140101, 101010);
  EXPECT_EQ(-2, v.SetDT(20150217, 240000));
  EXPECT_EQ(20140101101010LL, v.GetDT());
  EXPECT_EQ(-2, v.SetDT(20150217, -5));
  EXPECT_EQ(20140101101010LL, v.GetDT());

  EXPECT_EQ(-1, v.SetDT(20150230, 0));
  EXPECT_EQ(20140101, v.GetDate());
  EXPECT_EQ(0, v.GetTime());
  EXPECT_EQ(-1, v.SetDT(18991231, 93000));
  EXPECT_EQ(93000, v.GetTime());

  EXPECT_EQ(0, v.SetDT(20160229, 235959));
  EXPECT_EQ(20160229235959LL, v.GetDT());

  char logPath[1024] = "";
  ASSERT_GT(GetLogFilePath(logPath, sizeof logPath), 0);
  const std::string log = ReadWholeFile(Platform::Default().NativePath(logPath));
  EXPECT_NE(std::string::npos, log.find("DateTime        |")) << log;
  EXPECT_NE(std::string::npos, log.find("Invalid Time: 240000\r\n")) << log;
  EXPECT_NE(std::string::npos, log.find("Invalid Date: 20150230\r\n")) << log;
}

TEST(DateTimeSet, NumberFormsAndModes) {
  CXMTDateTime v = DT(20150217, 93000);
  EXPECT_EQ(1150217, v.GetDate(1));
  EXPECT_EQ(20150217, v.GetDate(0));
  EXPECT_EQ(20150217, v.GetDate(5));
  EXPECT_EQ(1150217, v.GetDate(-1));
  EXPECT_EQ(34200, v.GetTimeSec());
  EXPECT_EQ(2015, v.GetYear());

  CXMTDateTime empty;
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_EQ(0, empty.GetDate(0));
  EXPECT_EQ(0, empty.GetDate(1));
  EXPECT_EQ(0, empty.GetDate(-1));
  EXPECT_EQ(0, empty.IsValid());

  EXPECT_EQ(-1, v.SetDT64(93000LL));  // no date part: emptied
  EXPECT_TRUE(v.IsEmpty());
  EXPECT_EQ(0, v.SetDT64("20150217093015"));
  EXPECT_EQ(93015, v.GetTime());

  // Four-digit years keep their low byte after 1900.
  EXPECT_EQ(0, v.SetDate(15, 2, 17));
  EXPECT_EQ(20150217, v.GetDate());
  EXPECT_EQ(-1, v.SetDate(2015, 2, 29));
}

TEST(DateTimeSet, TimeSettersAndRepair) {
  CXMTDateTime v = DT(20150217);
  EXPECT_EQ(0, v.SetTimeHMS(240000));
  EXPECT_EQ(-1, v.SetTimeHMS(250000));
  EXPECT_EQ(-2, v.SetTimeHMS(126000));
  EXPECT_EQ(-4, v.SetTimeHMS(240100));
  EXPECT_EQ(-1, v.SetTimeHMS(-1));

  CXMTDateTime broken;
  broken.SetTime(25, 61, 61);
  broken.month = 14;
  broken.day = 40;
  broken.FixDate();
  EXPECT_EQ(1900, broken.GetYear());
  EXPECT_EQ(12, broken.month);
  EXPECT_EQ(31, broken.day);
  EXPECT_EQ(235959, broken.GetTime());

  CXMTDateTime empty;
  empty.FixDate();
  EXPECT_EQ(19000101, empty.GetDate());
}

TEST(DateTimeSet, DashSeqAndFloatForms) {
  CXMTDateTime v;
  EXPECT_EQ(1, v.SetDTDash("2015-02-17", 1));
  EXPECT_EQ(20150217, v.GetDate());
  EXPECT_EQ(1, v.SetDTDash("17-02-115", 3));  // years since 1900
  EXPECT_EQ(20150217, v.GetDate());
  EXPECT_EQ(0, v.SetDTDash("2015-13-01", 1));

  // Day count from 1899-12-30 with the time as fraction.
  EXPECT_EQ(0, v.SetDTFloat(42052.0 + 34200.0 / 86400.0));
  EXPECT_EQ(20150217093000LL, v.GetDT());
  // A fraction that rounds to a whole day lands on the next midnight, never on 24:00:00.
  EXPECT_EQ(0, v.SetDTFloat(42052.9999999));
  EXPECT_EQ(20150218000000LL, v.GetDT());

  CXMTDateTime back;
  back.SetDTFromSeq(DT(20160229).GetSeqNbr());
  EXPECT_EQ(20160229, back.GetDate());
  EXPECT_LT(DT(20151231).GetSeqNbr(), DT(20160101).GetSeqNbr());
}

TEST(DateTimeSet, ExtremeNumbersAreRejectedNotWrapped) {
  CXMTDateTime v = DT(20140101, 101010);
  // Fields that do not fit their bytes must not wrap into a valid-looking date.
  EXPECT_EQ(-1, v.SetDate(2015, 257, 1));
  EXPECT_EQ(-1, v.SetDate(2015, 1, 257));
  EXPECT_EQ(-1, v.SetDT64((4294967296LL + 20150217LL) * 1000000LL));
  // Day counts beyond any date, and no numbers at all, leave the value as it was.
  v = DT(20140101, 101010);
  EXPECT_EQ(-1, v.SetDTFloat(-1e12));
  EXPECT_EQ(-1, v.SetDTFloat(1e300));
  EXPECT_EQ(-1, v.SetDTFloat(std::nan("")));
  EXPECT_EQ(20140101101010LL, v.GetDT());
  EXPECT_EQ(-1, v.ShiftDate(std::nan("")));
  EXPECT_EQ(-1, v.ShiftDate(-1e12));
  EXPECT_EQ(20140101101010LL, v.GetDT());
  // Numbers at the ends of the int range do not overflow (the sanitizer build checks).
  v.SetDTJul(-2147483647 - 1);
  v = DT(20150217);
  v.ShiftYear(2147483647);
  EXPECT_EQ(20140217, v.GetDate());  // the year byte wraps: one year back
  EXPECT_EQ(1502170000LL + 2147483647LL / 60, DT(20150217).GetIntervalIdx(60, 2147483647));
}

TEST(DateTimeCalendar, JulianAndWeekdays) {
  EXPECT_EQ(2451545, DT(20000101).GetJulian());
  EXPECT_EQ(4, CXMTDateTime::Jan1(2015));
  EXPECT_EQ(6, CXMTDateTime::Jan1(1));
  EXPECT_EQ(1, CXMTDateTime::Jan1(1900));

  // Every day of the range: weekday agrees with the Julian number, and Monday-first is the
  // Sunday-first number moved down by one.
  CXMTDateTime d = DT(19000101);
  for (int i = 0; i < 92000; ++i) {
    const int sundayFirst = d.GetWeekDay(0);
    ASSERT_EQ((d.GetJulian() + 1) % 7, sundayFirst) << d.GetDate();
    ASSERT_EQ((sundayFirst + 6) % 7, d.GetWeekDay(1)) << d.GetDate();
    d.ShiftDate(1);
  }
  EXPECT_EQ(21511121, d.GetDate());  // 92000 days on
}

TEST(DateTimeCalendar, WeekdaysStayInTheirRangeForIncompleteDates) {
  // Day 0 of a year that begins on a Sunday is the Saturday before, not weekday -1 (which
  // would index before the start of the weekday name tables).
  ASSERT_EQ(0, CXMTDateTime::Jan1(2017));
  CXMTDateTime dayZero = DT(20170101);
  dayZero.day = 0;
  EXPECT_EQ(6, dayZero.GetWeekDay(0));
  EXPECT_EQ(5, dayZero.GetWeekDay(1));
  for (int y = -40; y < 40; ++y) {
    const int w = CXMTDateTime::Jan1(y);
    EXPECT_TRUE(w >= 0 && w <= 6) << y << ": " << w;
  }
}

TEST(DateTimeCalendar, WeeksQuartersIntervals) {
  // Both week starts, from the first and the last day of each kind of week.
  const struct {
    int date, sundayWeek, mondayWeek;
  } weeks[] = {{20150217, 20150215, 20150216},   // Tuesday
               {20150215, 20150215, 20150209},   // Sunday: starts one week, ends the other
               {20150216, 20150215, 20150216},   // Monday
               {20150221, 20150215, 20150216}};  // Saturday
  for (const auto& w : weeks) {
    EXPECT_EQ(w.sundayWeek, DT(w.date).GetWeekStart(0)) << w.date;
    EXPECT_EQ(w.mondayWeek, DT(w.date).GetWeekStart(1)) << w.date;
  }
  EXPECT_EQ(201501, DT(20150101).GetWeekSeq(0));      // week started in 2014
  EXPECT_EQ(201501, DT(20150107).GetWeekSeq(0));      // first full week
  EXPECT_EQ(201502, DT(20150111).GetWeekSeq(0));
  // Every month, on its first and its last day: the first and the last month of a quarter
  // are where an off-by-one in the quarter number shows.
  const int quarterFirst[] = {101, 101, 101, 401, 401, 401, 701, 701, 701, 1001, 1001, 1001};
  const int quarterLast[] = {331, 331, 331, 630, 630, 630, 930, 930, 930, 1231, 1231, 1231};
  for (int m = 1; m <= 12; ++m) {
    for (const int d : {1, CXMTDateTime::DayMonth(2016, m)}) {
      const CXMTDateTime v = DT(20160000 + m * 100 + d);
      EXPECT_EQ(20160000 + quarterFirst[m - 1], v.GetQtrDate(0)) << v.GetDate();
      EXPECT_EQ(20160000 + quarterLast[m - 1], v.GetQtrDate(1)) << v.GetDate();
    }
  }
  EXPECT_EQ(20150201, DT(20150217).GetMonthDate());

  // Bucket numbers of recent dates do not fit 32 bits.
  EXPECT_EQ(2302170000LL + 34200 / 300, DT(20230217, 93000).GetIntervalIdx(300, 0));
  EXPECT_EQ(1502170000LL + 34200, DT(20150217, 93000).GetIntervalIdx(0, 0));
}

TEST(DateTimeShift, MonthsRollOverOrClampAsTheyGo) {
  CXMTDateTime v = DT(20150131);
  v.ShiftMonth(1);
  EXPECT_EQ(20150301, v.GetDate());
  v = DT(20150331);
  v.ShiftMonth(-1);
  EXPECT_EQ(20150228, v.GetDate());
  v = DT(20160331);
  v.ShiftMonth(-1);
  EXPECT_EQ(20160229, v.GetDate());
  v = DT(20151215);
  v.ShiftMonth(1);
  EXPECT_EQ(20160115, v.GetDate());
  v.ShiftMonth(-13);
  EXPECT_EQ(20141215, v.GetDate());
  v.ShiftYear(2);
  EXPECT_EQ(20161215, v.GetDate());
}

TEST(DateTimeShift, DaysSecondsAndRounding) {
  CXMTDateTime v = DT(20151231, 235959);
  v.ShiftTime(1);
  EXPECT_EQ(20160101000000LL, v.GetDT());
  v.ShiftTime(-86401);
  EXPECT_EQ(20151230235959LL, v.GetDT());
  v.ShiftDate(1.5);
  EXPECT_EQ(20160101115959LL, v.GetDT());
  v.ShiftDate(-366);
  EXPECT_EQ(20141231115959LL, v.GetDT());

  v = DT(20150217, 120000);
  v.RoundToNearestSec(60, 1);
  EXPECT_EQ(120100, v.GetTime());
  v = DT(20150217, 235930);
  v.RoundToNearestSec(60, 1);
  EXPECT_EQ(240000, v.GetTime());
  EXPECT_EQ(20150217, v.GetDate());  // end of day still has its date
  // Changing only the date keeps that time; a bad date leaves both as they were.
  EXPECT_EQ(0, v.SetDate(20150301));
  EXPECT_EQ(20150301240000LL, v.GetDT());
  EXPECT_EQ(-1, v.SetDate(20150230));
  EXPECT_EQ(20150301240000LL, v.GetDT());
  v = DT(20150217, 230000);
  v.RoundToNearestSec(50000, 1);  // 100000 s: next day 03:46:40
  EXPECT_EQ(20150218034640LL, v.GetDT());
  v = DT(20150217, 93059);
  v.RoundToNearestSec(0, 0);
  EXPECT_EQ(93059, v.GetTime());

  CXMTDateTime t = DT(20150217, 233000);
  EXPECT_EQ(3000, t.GetTimeShift(3600));
  EXPECT_EQ(240000, t.GetTimeShift(1800));
  EXPECT_EQ(223000, t.GetTimeShift(-3600 - 86400 * 2));
}

TEST(DateTimeDiff, SecondsDaysMonths) {
  const CXMTDateTime a = DT(20150217, 93000);
  const CXMTDateTime b = DT(20150301, 100000);
  EXPECT_EQ(12 * 86400 + 1800, a.GetDiffSec(&b));
  EXPECT_EQ(-(12 * 86400 + 1800), b.GetDiffSec(&a));
  EXPECT_EQ(0, a.GetDiffSec(&a));
  EXPECT_NEAR(12.0 + 1800.0 / 86400, a.GetDiffDays(&b), 1e-9);
  const CXMTDateTime far = DT(21500101);
  EXPECT_EQ(far.GetDiffSecBig(&a), -static_cast<long long>(a.GetDiffSecBig(&far)));
  // Before 1970 the runtime's local time has no seconds count: the calendar difference.
  const CXMTDateTime y1965 = DT(19650601, 120000), y1969 = DT(19691230), y1970 = DT(19700105);
  EXPECT_EQ(y1965.GetDiffSecBig(&y1969), y1965.GetDiffSecSpan(&y1969));
  EXPECT_EQ(y1969.GetDiffSecBig(&y1970), y1969.GetDiffSecSpan(&y1970));

  const CXMTDateTime jan10 = DT(20150110), jan20 = DT(20150120), mar20 = DT(20150320);
  EXPECT_NEAR(-2.0 - 10.0 / 31.0, jan10.GetDiffMonth(&mar20), 1e-9);
  EXPECT_DOUBLE_EQ(-2.0, jan20.GetDiffMonth(&mar20));
  EXPECT_DOUBLE_EQ(2.0, mar20.GetDiffMonth(&jan20));
  EXPECT_DOUBLE_EQ(0.0, jan10.GetDiffMonth(&jan10));
  EXPECT_GT(mar20.GetDiffMonth(&jan10), 2.0);
  EXPECT_LT(mar20.GetDiffMonth(&jan10), 3.0);
}

TEST(DateTimeCompare, FieldsDepthRangesAndSameDate) {
  CXMTDateTimePlain plain;
  EXPECT_EQ(99, plain.Compare(nullptr, 6));
  const CXMTDateTime a = DT(20150217, 93000), b = DT(20150217, 93001);
  EXPECT_EQ(-1, a.Compare(&b));
  EXPECT_EQ(1, b.Compare(&a));
  EXPECT_EQ(0, a.Compare(&b, 5));
  const CXMTDateTime nextDay = DT(20150218), nextMonth = DT(20150317), nextYear = DT(20160217);
  EXPECT_EQ(3, a.SameDate(&nextDay));
  EXPECT_EQ(2, a.SameDate(&nextMonth));
  EXPECT_EQ(1, a.SameDate(&nextYear));
  EXPECT_EQ(0, a.SameDate(&b));

  // Both bounds, each on both sides and on the value itself, in both forms; an empty value
  // (month 0), a null or a 64-bit bound of 0 or less is open.
  const CXMTDateTime open, before = DT(20150217, 92959);
  const long long at = 20150217093000LL;
  const struct {
    const CXMTDateTime *from, *to;
    long long from64, to64;
    int want;
  } ranges[] = {{&a, nullptr, at, 0, 1},         {&b, nullptr, at + 1, 0, 0},
                {nullptr, &a, 0, at, 1},         {nullptr, &before, 0, at - 1, 0},
                {&before, &b, at - 1, at + 1, 1}, {&open, &open, -1, -1, 1},
                {&b, &before, at + 1, at - 1, 0}};
  for (const auto& r : ranges) {
    EXPECT_EQ(r.want, a.IsDTRange(r.from, r.to)) << r.from64 << " " << r.to64;
    EXPECT_EQ(r.want, a.IsDTRange(r.from64, r.to64)) << r.from64 << " " << r.to64;
  }
  EXPECT_EQ(0, open.IsDTRange(nullptr, nullptr));
  EXPECT_EQ(0, open.IsDTRange(0LL, 0LL));
}

TEST(DateTimeStatic, HelpersAndCodes) {
  EXPECT_EQ(20150217, CXMTDateTime::GetDateMDY(15, 2, 17));
  EXPECT_EQ(19850217, CXMTDateTime::GetDateMDY(85, 2, 17));
  EXPECT_EQ(1, CXMTDateTime::GetDateMDY(3000, 1, 1));
  EXPECT_EQ(2, CXMTDateTime::GetDateMDY(2015, 13, 1));
  EXPECT_EQ(3, CXMTDateTime::GetDateMDY(2015, 1, 32));
  EXPECT_EQ(93000, CXMTDateTime::GetTimeHMS(9, 30, 0));
  EXPECT_EQ(4, CXMTDateTime::GetTimeHMS(24, 0, 0));
  EXPECT_EQ(5, CXMTDateTime::GetTimeHMS(9, 60, 0));
  EXPECT_EQ(6, CXMTDateTime::GetTimeHMS(9, 0, 60));
  EXPECT_EQ(366, CXMTDateTime::DayYear(2000));
  EXPECT_EQ(365, CXMTDateTime::DayYear(1900));
  EXPECT_EQ(0, CXMTDateTime::DayMonth(2015, 13));
  EXPECT_EQ(0, CXMTDateTime::IsTime(240001));

  const PlatformTime a = Clock(20151231235959LL);
  EXPECT_EQ(4, a.weekday);  // Thursday
  PlatformTime b = Clock(20160101000001LL);
  b.millisecond = 250;
  EXPECT_DOUBLE_EQ(2.25, CXMTDateTime::GetDiffSecsSYS(&a, &b));
}

TEST(DateTimeClock, NowZonesAndJulianSetter) {
  FakePlatform fake;
  ScopedPlatform scope(fake);
  fake.SetLocalTime(Clock(20150217093000LL));
  PlatformTimeZone zone;
  zone.bias = -60;  // one hour east of Greenwich, standard time
  zone.state = 1;
  fake.SetTimeZone(zone);

  CXMTDateTime v;
  v.SetNow();
  EXPECT_EQ(20150217093000LL, v.GetDT());
  v.SetNowGMT();
  EXPECT_EQ(20150217083000LL, v.GetDT());
  v.AdjToLocal();
  EXPECT_EQ(20150217093000LL, v.GetDT());

  CXMTDateTime gmt, est;
  gmt.SetNowGMT();
  est.SetNowEST();
  const int shift = gmt.GetDiffSec(&est);
  EXPECT_TRUE(shift == -300 * 60 || shift == -240 * 60) << shift;

  // Julian setter: the result is the distance from today.
  EXPECT_EQ(-2, v.SetDTJul(DT(20150217).GetJulian() - 2));
  EXPECT_EQ(20150215000000LL, v.GetDT());

  // A null or empty other means now.
  const CXMTDateTime earlier = DT(20150217, 92900);
  EXPECT_EQ(60, earlier.GetDiffSec(nullptr));
  EXPECT_EQ(-1, earlier.Compare(nullptr));
}

TEST(DateTimeFile, StampsOfFiles) {
  ScopedTempDir dir("datetime");
  const std::string path = dir.File("stamp.txt");
  ASSERT_TRUE(WriteWholeFile(path, "x"));
  CXMTDateTime now;
  now.SetNow();

  CXMTDateTime v;
  EXPECT_EQ(0, v.SetDTFile(path.c_str(), 'm'));
  EXPECT_LE(std::abs(v.GetDiffSec(&now)), 120);
  EXPECT_EQ(0, v.SetDTFile(path.c_str(), 'S'));
  EXPECT_LE(std::abs(v.GetDiffSec(&now)), 120);
  EXPECT_EQ(0, v.SetDTFile(path.c_str(), 'X'));
  EXPECT_TRUE(v.IsEmpty());
  EXPECT_EQ(-1, v.SetDTFile(dir.File("missing.txt").c_str(), 'M'));
  EXPECT_EQ(-1, v.SetDTFile(dir.File("missing.txt").c_str(), 'S'));
  EXPECT_EQ(0, v.SetDTFile("NUL", 'S'));
  EXPECT_TRUE(v.GetYear() == 1970 || v.GetDate() == 19691231);

  // The null device by its last path part, the same for both readers; a name that only
  // contains "NUL" is an ordinary (here missing) file.
  const struct {
    std::string path;
    bool device;
  } names[] = {{"nul", true},           {dir.File("NUL"), true}, {"C:\\x\\Nul", true},
               {dir.File("NUL.txt"), false}, {dir.File("NULL"), false},
               {dir.File("xNUL"), false},    {dir.File("NUL") + "/", false}};
  for (const auto& n : names) {
    SCOPED_TRACE(n.path);
    EXPECT_EQ(FileModTime(n.path.c_str()), n.device ? 0 : -1);
    EXPECT_EQ(v.SetDTFile(n.path.c_str(), 'S'), n.device ? 0 : -1);
  }
}

TEST(DateTimeSelfCheck, SeqNbrAndJulianReportNoErrors) {
  EXPECT_EQ(0, CXMTDateTime::TestSeqNbr());
  EXPECT_EQ(0, CXMTDateTime::TestJulian());
  std::string csv;
  ASSERT_TRUE(ReadWholeFile("Lunar.csv", &csv));
  // 2002-01-01 (Julian 2452276) was a Tuesday; 2002-01-05 a Saturday.
  EXPECT_EQ(0u, csv.find("1/1/2002,Tuesday,Series3,?\r\n"));
  EXPECT_NE(std::string::npos, csv.find("\r\n1/5/2002,Saturday\r\n"));
  EXPECT_NE(std::string::npos, csv.find("\r\n1/2/2002,Wednsday,Series4,?\r\n"));
  size_t lines = 0;
  for (char c : csv) lines += c == '\n';
  EXPECT_EQ(1096u, lines);
}

}  // namespace
