// Tests of the internet time: pages served by a small HTTP server on 127.0.0.1 through the
// real page fetcher (libcurl, or WinINet under Wine), the error texts, the settings for the
// page addresses, and setting the clock (on FakePlatform only: the real clock is never set).
#include <gtest/gtest.h>

#include <string>

#include "common/datetime/date_time.h"
#include "common/testing/fake_platform.h"
#include "common/settings/settings.h"
#include "common/testing/time_page_server.h"
#include "common/text/txt.h"

namespace {

std::string TimePage(const char* time, const char* dateLine = "Monday, December 07, 2026") {
  return std::string("<html><head><title>UTC</title></head><body>\r\n<td><b>") + time +
         "<br>\r\n" + dateLine + "\r\n</b></td></body></html>\r\n";
}

std::string IniValue(const char* key) {
  char value[1000];
  ReadIniString("INTERNET", key, "", value, sizeof value);
  return value;
}

class InternetTime : public ::testing::Test {
 protected:
  // Serves pages and points both time-page settings at the server.
  void Serve(std::vector<std::string> pages) {
    ASSERT_TRUE(server_.Start(std::move(pages)));
    WriteIniString("INTERNET", "TimeUrlEST", server_.Url("/est").c_str());
    WriteIniString("INTERNET", "TimeUrlGov", server_.Url("/gov").c_str());
  }

  TimePageServer server_;
  CXMTDateTime value_{20100101, 101010};
  CTxt out_;
};

TEST_F(InternetTime, ReadsTimeAndDateOfThePage) {
  Serve({TimePage("22:15:33")});
  EXPECT_EQ(value_.SetNowTimeEST(out_, 0), 0) << static_cast<const char*>(out_);
  EXPECT_EQ(value_.GetDT(), 20261207221533);
  EXPECT_STREQ(out_, "20261207 22:15:33");
  EXPECT_EQ(server_.LastUserAgent(), "SetNowTimeEST");
  EXPECT_EQ(server_.LastRequestLine(), "GET /est HTTP/1.1");

  value_.Reset();
  EXPECT_EQ(value_.SetNowTimeGov(out_, 0), 0);
  EXPECT_EQ(value_.GetDT(), 20261207221533);
  EXPECT_EQ(server_.LastUserAgent(), "SetNowTimeGov");
  EXPECT_EQ(server_.LastRequestLine().substr(0, 8), "GET /gov");

  value_.Reset();
  EXPECT_EQ(value_.SetNowURL(), 0);
  EXPECT_EQ(value_.GetDT(), 20261207221533);
  EXPECT_EQ(server_.Requests(), 3);
}

TEST_F(InternetTime, OneDigitHourAndLowerCasePage) {
  Serve({"<p>utc 9:05:07</p>\nsunday, march 1, 2015\n"});
  EXPECT_EQ(value_.SetNowTimeEST(out_, 0), 0) << static_cast<const char*>(out_);
  EXPECT_EQ(value_.GetDT(), 20150301090507);
}

TEST_F(InternetTime, WaitForChangeFetchesUntilTheSecondMoves) {
  Serve({TimePage("22:15:33"), TimePage("22:15:33"), TimePage("22:15:34")});
  EXPECT_EQ(value_.SetNowTimeEST(out_, 1), 0) << static_cast<const char*>(out_);
  EXPECT_EQ(value_.GetDT(), 20261207221534);
  EXPECT_EQ(server_.Requests(), 3);
}

TEST_F(InternetTime, GivesUpWhenTheTimeNeverChanges) {
  Serve({TimePage("22:15:33")});
  EXPECT_EQ(value_.SetNowTimeEST(out_, 1), -6);
  EXPECT_EQ(value_.GetDT(), 20100101101010);
  EXPECT_EQ(server_.Requests(), 30);  // the bound of one call
}

TEST_F(InternetTime, PageWithoutTimeIsFetchedAgainThenReported) {
  Serve({"<html><body>Service unavailable</body></html>"});
  EXPECT_EQ(value_.SetNowTimeEST(out_, 0), -4);
  EXPECT_STREQ(out_, "SetGMT:  Clould not find Universal time");
  EXPECT_EQ(server_.Requests(), 30);
  EXPECT_EQ(value_.GetDT(), 20100101101010);
  // SetNowURL does not take the old, still valid value for a reading.
  EXPECT_EQ(value_.SetNowURL(), -2);
}

TEST_F(InternetTime, InvalidDateLeavesTheValue) {
  Serve({TimePage("22:15:33", "Monday, Foo 07, 2026")});
  EXPECT_EQ(value_.SetNowTimeEST(out_, 0), -5);
  EXPECT_EQ(std::string(out_), "Invalid date/time in " + server_.Url("/est") + " (2, 221533)");
  EXPECT_EQ(value_.GetDT(), 20100101101010);
}

TEST_F(InternetTime, AddressThatCannotBeOpened) {
  Serve({TimePage("22:15:33")});
  server_.Stop();  // nobody listens there any more
  EXPECT_EQ(value_.SetNowTimeEST(out_, 0), -2);
  EXPECT_STREQ(out_, "SyncTime: URL open error!");
  EXPECT_EQ(value_.GetDT(), 20100101101010);
}

// A fake whose page fetches all fail the same way. (A transfer cut short by the server
// reads as an error with libcurl but as a short page with WinINet, so the reading error
// is made here.)
class FailingFetch : public FakePlatform {
 public:
  explicit FailingFetch(int rc) : rc_(rc) {}
  int FetchPage(const char*, const char*, size_t, std::string*) override { return rc_; }

 private:
  int rc_;
};

TEST_F(InternetTime, SessionAndReadingErrorsAndDefaultAddresses) {
  WriteIniString("INTERNET", "TimeUrlEST", nullptr);
  WriteIniString("INTERNET", "TimeUrlGov", nullptr);
  {
    FakePlatform fake;  // unknown pages give -2; nothing reaches the network
    ScopedPlatform use(fake);
    EXPECT_EQ(value_.SetNowTimeEST(out_, 0), -2);
    EXPECT_EQ(value_.SetNowTimeGov(out_, 0), -2);
    ASSERT_EQ(fake.fetchedUrls.size(), 2u);
    // The defaults were written back, and they are what was fetched.
    EXPECT_EQ(fake.fetchedUrls[0], IniValue("TimeUrlEST"));
    EXPECT_EQ(fake.fetchedUrls[1], IniValue("TimeUrlGov"));
    EXPECT_EQ(IniValue("TimeUrlEST").substr(0, 7), "http://");
  }
  {
    FailingFetch noSession(-1);
    ScopedPlatform use(noSession);
    EXPECT_EQ(value_.SetNowTimeEST(out_, 0), -1);
    EXPECT_STREQ(out_, "SyncTime: Internet open error!");
  }
  FailingFetch readFails(-3);
  ScopedPlatform use(readFails);
  EXPECT_EQ(value_.SetNowTimeGov(out_, 0), -3);
  EXPECT_STREQ(out_, "SyncTime: URL reading error!");
  EXPECT_EQ(value_.GetDT(), 20100101101010);
}

class SyncClock : public ::testing::Test {
 protected:
  SyncClock() : use_(fake_) {
    fake_.SetLocalTime(PlatformTime{2025, 3, 14, 9, 30, 0, 500, 5});  // 09:30:00.500
  }
  FakePlatform fake_;
  ScopedPlatform use_;
  CTxt out_;
};

TEST_F(SyncClock, SetsTheLocalClockFromUniversalTime) {
  PlatformTimeZone zone;
  zone.bias = -60;  // local = universal + 1 hour
  zone.state = 1;
  fake_.SetTimeZone(zone);
  const CXMTDateTime universal(20250314, 83010);  // 09:30:10 local
  double adjusted = 0;
  ASSERT_EQ(universal.SyncGMT(out_, &adjusted), 0) << static_cast<const char*>(out_);
  ASSERT_EQ(fake_.clockChanges.size(), 1u);
  const PlatformTime& set = fake_.clockChanges[0];
  EXPECT_EQ(set.hour * 10000 + set.minute * 100 + set.second, 93010);
  EXPECT_EQ(set.day, 14);
  // Waited for the next full second (09:30:01.000) before setting, so 9 s were gained.
  EXPECT_DOUBLE_EQ(adjusted, 9.0);
  EXPECT_STREQ(out_, "Adjusted  9.000 Sec to 3/14/2025 09:30:10.000 "
                     "(From 3/14/2025 09:30:01.000) DiffNow=10");
}

TEST_F(SyncClock, ReportsAFailedClockChange) {
  fake_.clockSetResult = 1314;  // ERROR_PRIVILEGE_NOT_HELD on Windows
  const CXMTDateTime universal(20250314, 93010);
  double adjusted = -1;
  EXPECT_EQ(universal.SyncGMT(out_, &adjusted), -1);
  EXPECT_EQ(std::string(out_),
            "SetLocalTime failed (Error 1314=" + fake_.ErrorText(1314) + ")");
  EXPECT_EQ(adjusted, -1);
}

TEST_F(SyncClock, NeverSetsAnInvalidValue) {
  const CXMTDateTime empty;
  EXPECT_EQ(empty.SyncGMT(out_, nullptr), -2);
  EXPECT_TRUE(fake_.clockChanges.empty());
}

}  // namespace
