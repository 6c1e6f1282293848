// The trace log on real files below the test's temporary folder: opening, the settings that
// shape it, line layout of both variants and the control commands.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "common/settings/deliverable.h"
#include "common/settings/files.h"
#include "common/testing/fake_platform.h"
#include "common/platform/platform.h"
#include "common/settings/settings.h"
#include "common/testing/test_dirs.h"
#include "common/settings/trace_log.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::string data;
  return ReadWholeFile(path, &data) ? data : "<none>";
}

// The lines of a log file, CR LF taken off (a line without it is kept with a marker).
std::vector<std::string> Lines(const std::string& path) {
  std::vector<std::string> lines;
  std::string data = ReadFile(path);
  size_t at = 0;
  while (at < data.size()) {
    size_t end = data.find("\r\n", at);
    if (end == std::string::npos) {
      lines.push_back(data.substr(at) + "<no CR LF>");
      break;
    }
    lines.push_back(data.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

std::vector<std::string> g_status;
void StatusSink(const char* message) { g_status.push_back(message); }

class TraceLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* root = std::getenv("XMT_TEST_TMP");
    base_ = std::string(root ? root : ".") + "/log_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    MakeDirPath(base_.c_str(), 0);
    ini_ = base_ + "/settings.ini";
    Platform::Default().RemoveFile(ini_.c_str());
    Platform::Default().RemoveFile(LogPath().c_str());  // left by an earlier run
    saved_ = GetDeliverableConfig();
    SettingsResetForTest(ini_.c_str());
    TraceLogResetForTest();
    g_status.clear();
    Use(DeliverableVariant::Library);
  }
  void TearDown() override {
    TraceLogResetForTest();
    SettingsResetForTest();
    SetDeliverableConfig(saved_);
  }
  void Use(DeliverableVariant variant) {
    DeliverableConfig c;
    c.variant = variant;
    c.logBaseDir = base_.c_str();
    c.logName = "Unit";
    c.statusSink = variant == DeliverableVariant::Program ? StatusSink : nullptr;
    SetDeliverableConfig(c);
  }
  void Set(const char* section, const char* key, const char* value) {
    WriteIniString(section, key, value, ini_.c_str());
  }
  std::string DayDir() {
    PlatformTime t = Platform::Default().LocalNow();
    char day[16];
    std::snprintf(day, sizeof day, "%04d%02d%02d", t.year, t.month, t.day);
    return base_ + "/logs/" + day;
  }
  std::string LogPath() { return DayDir() + "/Unit.log"; }
  // Lines written after the opening line of the newest opening.
  std::vector<std::string> Written() {
    std::vector<std::string> all = Lines(LogPath());
    size_t last = 0;
    for (size_t i = 0; i < all.size(); ++i) {
      if (all[i].find("====== Opening ") != std::string::npos) last = i + 1;
    }
    return std::vector<std::string>(all.begin() + static_cast<long>(last), all.end());
  }

  std::string base_;
  std::string ini_;
  DeliverableConfig saved_;
};

TEST_F(TraceLogTest, WriteLogNoCreatesNothing) {
  Set("RELEASE", "WriteLog", "NO");
  Use(DeliverableVariant::Program);
  EXPECT_EQ(LogTrace("Rollout", 1, "Hello %d", 1), 0);
  EXPECT_EQ(IsDirectory((base_ + "/logs").c_str()), -2);
  // The status display still gets every message.
  ASSERT_EQ(g_status.size(), 1u);
  EXPECT_EQ(g_status[0], "Hello 1");
  // No second attempt later in the process.
  Set("RELEASE", "WriteLog", "YES");
  LogTrace("Rollout", 1, "again");
  EXPECT_EQ(IsDirectory((base_ + "/logs").c_str()), -2);
}

TEST_F(TraceLogTest, OpeningLineAndMissingSettingsWrittenBack) {
  LogTrace("Cat", 1, "first");
  char path[1100];
  EXPECT_EQ(GetLogFilePath(path, sizeof path), static_cast<int>(LogPath().size()));
  EXPECT_EQ(std::string(path), LogPath());
  std::vector<std::string> all = Lines(LogPath());
  ASSERT_EQ(all.size(), 2u);
  EXPECT_TRUE(std::regex_match(all[0], std::regex("INIT            \\|\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d \\|"
                                                  "====== Opening .*/Unit\\.log ======")))
      << all[0];
  char v[16];
  ReadIniString("RELEASE", "WriteLog", "", v, sizeof v, ini_.c_str());
  EXPECT_STREQ(v, "YES");
  ReadIniString("SYS", "LogFileAppend", "", v, sizeof v, ini_.c_str());
  EXPECT_STREQ(v, "YES");
  ReadIniString("SYS", "LogShowTime", "", v, sizeof v, ini_.c_str());
  EXPECT_STREQ(v, "YES");
  ReadIniString("SYS", "LogFileFlushOnEach", "", v, sizeof v, ini_.c_str());
  EXPECT_STREQ(v, "NO");
}

TEST_F(TraceLogTest, LibraryLineLayout) {
  LogTrace("A-Category-Of-20-Ch", 1, "cut");
  LogTrace("abc", 2, "two\r\nlines");
  LogTrace("abc", 0, "level %s", "zero");
  LogTrace(nullptr, 1, "no category");
  LogTrace("*Other", 1, "star");
  LogTrace("abc", 1, "%s", "");  // formats to nothing: dropped
  std::vector<std::string> w = Written();
  ASSERT_EQ(w.size(), 5u);
  const std::string time = "\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d";
  EXPECT_TRUE(std::regex_match(w[0], std::regex("A-Category-Of-20\\|" + time + "a\\|cut"))) << w[0];
  EXPECT_TRUE(std::regex_match(w[1], std::regex("abc             \\|" + time + "b\\|two\\+\\+lines")))
      << w[1];
  EXPECT_TRUE(std::regex_match(w[2], std::regex("abc             \\|" + time + " \\|level zero"))) << w[2];
  EXPECT_TRUE(std::regex_match(w[3], std::regex(time + "a\\|no category"))) << w[3];
  EXPECT_TRUE(std::regex_match(w[4], std::regex("\\*Other          \\|" + time + "a\\|star"))) << w[4];
}

TEST_F(TraceLogTest, ProgramLineLayoutWithDateColumn) {
  Use(DeliverableVariant::Program);
  LogTrace("Rollout", 1, "Install Task failed");
  LogTrace(nullptr, 1, "bare");
  std::vector<std::string> all = Lines(LogPath());
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].rfind("ACTION-INIT     |", 0), 0u) << all[0];
  const std::string time = "\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d";
  EXPECT_TRUE(std::regex_match(all[1], std::regex("Rollout         \\|\\d{6}\\|" + time +
                                                  "a\\|Install Task failed")))
      << all[1];
  EXPECT_TRUE(std::regex_match(all[2], std::regex(time + "a\\|bare"))) << all[2];
  ASSERT_EQ(g_status.size(), 2u);
}

TEST_F(TraceLogTest, ShowTimeOffDiffersBetweenVariants) {
  Set("SYS", "LogShowTime", "NO");
  Set("SYS", "LogShowDate", "NO");
  LogTrace("Lib", 1, "message");
  EXPECT_EQ(Written().back(), "Lib             |message");

  TraceLogResetForTest();
  Use(DeliverableVariant::Program);
  LogTrace("Prog", 2, "message");
  EXPECT_EQ(Written().back(), "Prog            |b|message");
}

TEST_F(TraceLogTest, AppendOrTruncateTheDayFile) {
  LogTrace("Run", 1, "one");
  TraceLogResetForTest();
  LogTrace("Run", 1, "two");
  std::vector<std::string> all = Lines(LogPath());
  ASSERT_EQ(all.size(), 4u);  // two openings, two lines
  EXPECT_NE(all[2].find("====== Opening"), std::string::npos);

  TraceLogResetForTest();
  Set("SYS", "LogFileAppend", "NO");
  LogTrace("Run", 1, "three");
  all = Lines(LogPath());
  ASSERT_EQ(all.size(), 2u);
  EXPECT_NE(all[1].find("|three"), std::string::npos);
}

TEST_F(TraceLogTest, Commands) {
  LogTrace("Cat", 1, "line");
  size_t before = ReadFile(LogPath()).size();
  EXPECT_EQ(LogTrace("*FLUSH", 1, "Saving Logfile..."), 0);
  EXPECT_EQ(LogTrace("*flush", 1, "x"), 0);
  EXPECT_EQ(ReadFile(LogPath()).size(), before);

  // The text handed to LogWrite is changed in place.
  char text[] = "a\rb\nc";
  LogWrite("Cat", text, 1);
  EXPECT_STREQ(text, "a+b+c");
  before = ReadFile(LogPath()).size();

  char other[] = "ignored";
  EXPECT_EQ(LogWrite("*OPENLOG", other, 0), -1);  // already open
  EXPECT_EQ(LogWrite("*CLOSE", other, 0), 0);
  EXPECT_EQ(LogTrace("Cat", 1, "dropped while closed"), 0);
  EXPECT_EQ(ReadFile(LogPath()).size(), before);

  std::string bad = base_ + "/no/such/folder/x.log";
  EXPECT_EQ(LogWrite("*OPENLOG", bad.data(), 0), -2);
  std::string second = base_ + "/second.log";
  EXPECT_EQ(LogWrite("*OpenLog", second.data(), 1), 1);
  LogTrace("Cat", 1, "into second");
  LogWrite("*CLOSE", nullptr, 0);
  std::vector<std::string> lines = Lines(second);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[1].find("|into second"), std::string::npos);
}

TEST_F(TraceLogTest, CopyCommandOnlyInProgramVariant) {
  Platform::Default().RemoveFile("LogCpy.tmp");
  LogTrace("Cat", 1, "lib");
  EXPECT_EQ(LogTrace("*COPY", 1, "as a line"), 0);
  EXPECT_EQ(IsRegularFile("LogCpy.tmp", 0), 0);
  EXPECT_NE(Written().back().find("*COPY           |"), std::string::npos);

  TraceLogResetForTest();
  Use(DeliverableVariant::Program);
  LogTrace("Cat", 1, "prog");
  EXPECT_EQ(LogTrace("*copy", 1, "x"), 0);
  EXPECT_EQ(ReadFile("LogCpy.tmp"), ReadFile(LogPath()));
  Platform::Default().RemoveFile("LogCpy.tmp");
}

}  // namespace

namespace {

// Counts commits so that the batching of disk commits can be seen.
class CountingPlatform : public FakePlatform {
 public:
  int commits = 0;
  void CommitFile(FILE* f) override {
    ++commits;
    FakePlatform::CommitFile(f);
  }
};

class TraceLogClockTest : public TraceLogTest {
 protected:
  TraceLogClockTest() {
    fake_.SetLocalTime(MakePlatformTime(2015, 2, 17, 21, 38, 45, 123));
  }
  CountingPlatform fake_;
  ScopedPlatform scope_{fake_};
};

TEST_F(TraceLogClockTest, ExactLinesAndDayFolder) {
  Use(DeliverableVariant::Program);
  LogTrace("Rollout", 1, "Install Task failed");
  EXPECT_EQ(LogPath(), base_ + "/logs/20150217/Unit.log");
  std::vector<std::string> all = Lines(LogPath());
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0], "ACTION-INIT     |150217|21:38:45.123 |====== Opening " + LogPath() + " ======");
  EXPECT_EQ(all[1], "Rollout         |150217|21:38:45.123a|Install Task failed");
}

// The date and time columns follow the clock line by line: each step moves the clock on
// by its milliseconds before the next line, and the columns must show the new reading,
// also when only one field of it changed (the second, the minute, the hour, the date).
TEST_F(TraceLogClockTest, ColumnsChangeExactlyWithTheClock) {
  Use(DeliverableVariant::Program);
  fake_.SetLocalTime(MakePlatformTime(2015, 12, 31, 23, 59, 58, 998));
  LogTrace("Cat", 1, "open");
  const std::string path = LogPath();  // the day of the opening, whatever the clock says later
  const struct {
    int64_t advanceMs;
    const char* columns;
  } steps[] = {
      {0, "151231|23:59:58.998a|"},      // the same reading again
      {1, "151231|23:59:58.999a|"},      // the last millisecond of a second
      {1, "151231|23:59:59.000a|"},      // the next second
      {999, "151231|23:59:59.999a|"},    // the last millisecond of the year
      {1, "160101|00:00:00.000a|"},      // midnight: date and time change together
      {60000, "160101|00:01:00.000a|"},  // only the minute differs
      {3600000, "160101|01:01:00.000a|"},   // only the hour differs
      {86400000, "160102|01:01:00.000a|"},  // only the date differs
      {86400000LL * 31, "160202|01:01:00.000a|"},  // only the month differs
      {86400000LL * 366, "170202|01:01:00.000a|"},  // only the year differs
  };
  for (const auto& step : steps) {
    fake_.AdvanceMs(step.advanceMs);
    LogTrace("Cat", 1, "x");
    EXPECT_EQ(Lines(path).back(), std::string("Cat             |") + step.columns + "x");
  }
}

TEST_F(TraceLogClockTest, CommitsEvery21LinesOrAfter10Seconds) {
  LogTrace("Cat", 1, "line 1");
  int opened = fake_.commits;  // the opening line is committed at once
  EXPECT_GE(opened, 1);
  for (int i = 2; i <= 20; ++i) LogTrace("Cat", 1, "line %d", i);
  EXPECT_EQ(fake_.commits, opened);
  LogTrace("Cat", 1, "line 21");
  EXPECT_EQ(fake_.commits, opened + 1);
  fake_.AdvanceMs(10000);
  LogTrace("Cat", 1, "ten seconds on");
  EXPECT_EQ(fake_.commits, opened + 1);
  fake_.AdvanceMs(1000);
  LogTrace("Cat", 1, "eleven seconds on");
  EXPECT_EQ(fake_.commits, opened + 2);
  // A flush request commits and writes nothing.
  size_t size = ReadFile(LogPath()).size();
  EXPECT_EQ(LogTrace("*FLUSH", 1, "Saving Logfile..."), 0);
  EXPECT_EQ(fake_.commits, opened + 3);
  EXPECT_EQ(ReadFile(LogPath()).size(), size);
}

TEST_F(TraceLogClockTest, FlushOnEachCommitsEveryLine) {
  Set("SYS", "LogFileFlushOnEach", "YES");
  LogTrace("Cat", 1, "one");
  int after = fake_.commits;
  LogTrace("Cat", 1, "two");
  LogTrace("Cat", 1, "three");
  EXPECT_EQ(fake_.commits, after + 2);
}

// Up to 10000 characters a message is logged whole; beyond, the box shows the cut text,
// which is then logged.
TEST_F(TraceLogClockTest, OverlongMessageIsShownAndLoggedCut) {
  size_t boxes = 0;
  for (const size_t length : {9999u, 10000u, 10001u, 10050u}) {
    SCOPED_TRACE(length);
    LogTrace("Cat", 1, "%s", std::string(length, 'x').c_str());
    const size_t kept = length > 10000 ? 10000 : length;
    EXPECT_EQ(Written().back(), "Cat             |21:38:45.123a|" + std::string(kept, 'x'));
    if (length <= 10000) {
      EXPECT_EQ(fake_.messageBoxes.size(), boxes);
      continue;
    }
    ASSERT_EQ(fake_.messageBoxes.size(), ++boxes);
    EXPECT_EQ(fake_.messageBoxes.back().caption, "LOGTRACE Buffer overrun!");
    EXPECT_EQ(fake_.messageBoxes.back().text, std::string(kept, 'x'));
  }
}

}  // namespace
