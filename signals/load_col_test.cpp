// XMT_LoadCol through the loaded library: the search, the one-line-ahead hand-out, reloads,
// time texts, failures and the bounded error text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/testing/log_capture.h"
#include "common/testing/test_dirs.h"
#include "signals/testing/signals_under_test.h"

namespace {

class LoadColTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(L.Complete()) << L.lib.Error();
    std::filesystem::create_directories(LoadColFolder());
  }

  static void Write(const char* name, const std::string& content) {
    ASSERT_TRUE(WriteWholeFile(LoadColFolder() + "/" + name, content));
  }

  // One call for 26 March 2015 (host date 1150326) at hhmm, bar number, column.
  int Load(const char* file, int hhmm, int bar, int column, float* value = nullptr,
           char* err = nullptr) {
    XmtSlot block[16] = {};
    block[0].value = 1150326;
    block[1].value = (float)hhmm;
    block[7].value = (float)bar;
    block[11].value = (float)column;
    block[12].value = -99.0f;
    std::memset(&block[12].unused, 0x5A, sizeof block[12].unused);
    int r = L.loadCol(file, block, err);
    EXPECT_EQ(0x5A5A5A5A, block[12].unused);
    if (value) *value = block[12].value;
    return r;
  }

  SignalsLibrary& L = SignalsLibrary::Get();
};

const char kBars[] =
    "Date,Time,Value,Weight\r\n"
    "20150326,0925,1.5,10\r\n"
    "20150326,0930,2.5,20\r\n"
    "\"20150326\",\"0935\",3.5,\"30,5\"\r\n"
    "20150326,0940,4.5x,40\r\n";

TEST_F(LoadColTest, SearchHandsOutTheLineAfterTheOneReachedThenMovesOn) {
  Write("bars.csv", kBars);
  float v = 0;
  // 09:30 is reached by line 3 (index 2); the line after it is handed out.
  EXPECT_EQ(4, Load("bars.csv", 930, 1, 3, &v));
  EXPECT_FLOAT_EQ(3.5f, v);
  EXPECT_EQ(5, Load("BARS.CSV", 2200, 2, 3, &v));  // whatever date comes, the next line
  EXPECT_FLOAT_EQ(4.5f, v);                          // leading number of "4.5x"
  EXPECT_EQ(-4, Load("bars.csv", 2200, 3, 3, &v));  // used up
  EXPECT_FLOAT_EQ(-99.0f, v);

  // A lower bar number reloads and searches again; quoted commas stay in their field.
  EXPECT_EQ(4, Load("bars.csv", 926, 1, 4, &v));
  EXPECT_FLOAT_EQ(30.0f, v);  // "30,5" reads as 30
  EXPECT_EQ(5, Load("bars.csv", 926, 2, 4, &v));
  EXPECT_FLOAT_EQ(40.0f, v);

  // No line at or after the bar: -3, and the next call searches again.
  EXPECT_EQ(-3, Load("bars.csv", 1000, 0, 3, &v));
  EXPECT_EQ(-3, Load("bars.csv", 1000, 1, 3, &v));
  EXPECT_EQ(3, Load("bars.csv", 900, 2, 99, &v));  // 99: the last field
  EXPECT_FLOAT_EQ(20.0f, v);
}

TEST_F(LoadColTest, TimeTextsWithoutSeparatorsOnly) {
  Write("long_time.csv", "20150326,93000,1\r\n20150326,93500,2\r\n");
  Write("colon_time.csv", "20150326,09:30,1\r\n20150326,09:35,2\r\n");
  Write("six_digits.csv", "20150326,093000,1\r\n20150326,093500,2\r\n20150326,094000,3\r\n");
  Write("short_time.csv", "20150326,9,1\r\n20150326,0930,2\r\n20150326,0935,3\r\n");
  float v = 0;
  EXPECT_EQ(-3, Load("long_time.csv", 930, 1, 3, &v));  // 93:00:0 is no time
  EXPECT_EQ(-3, Load("colon_time.csv", 930, 1, 3, &v));
  EXPECT_EQ(2, Load("six_digits.csv", 930, 1, 3, &v));
  EXPECT_FLOAT_EQ(2.0f, v);
  EXPECT_EQ(3, Load("short_time.csv", 930, 1, 3, &v));  // the 0930 line is reached
  EXPECT_FLOAT_EQ(3.0f, v);
}

TEST_F(LoadColTest, FilesThatCannotBeLoaded) {
  Write("empty.csv", "");
  char err[XMT_SIGNALS_ERR_BUF_SIZE + 8];
  std::memset(err, '#', sizeof err);
  EXPECT_EQ(-9, Load(nullptr, 930, 1, 3, nullptr, err));
  EXPECT_EQ(-1, Load("missing.csv", 930, 1, 3, nullptr, err));
  EXPECT_EQ(0, std::strncmp(err, "Cannot open C:/Database/LoadCol/missing.csv (", 45)) << err;
  EXPECT_EQ(-1, Load("empty.csv", 930, 1, 3, nullptr, err));
  EXPECT_STREQ("", err);

  // Names that leave the folder or name a device (opening a port can block) are refused
  // before anything is opened.
  Write("../escape.csv", "20150326,0930,1\r\n20150326,0935,2\r\n");
  for (const char* name : {"../escape.csv", "sub/../../escape.csv", "C:/Database/escape.csv",
                           "/etc/passwd", "\\escape.csv", "..\\escape.csv", "CON", "prn.csv",
                           "Aux.txt", "nul", "COM1", "com9.csv", "LPT1", "lpt9.csv", "NUL .csv",
                           "sub/com1.csv", "com1\\x.csv"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(-1, Load(name, 930, 1, 3, nullptr, err));
    EXPECT_NE(nullptr, std::strstr(err, "(invalid file name)")) << err;
  }

  // Names that only look like devices are files.
  for (const char* name : {"com10.csv", "console.csv", "lpt.csv", "sub_nul.csv"}) {
    SCOPED_TRACE(name);
    Write(name, "20150326,0930,1\r\n20150326,0935,2\r\n");
    EXPECT_EQ(2, Load(name, 930, 1, 3));
  }

  // A long name: the message is cut to the documented size, nothing beyond it is written.
  std::memset(err, '#', sizeof err);
  const std::string longName(1500, 'n');
  EXPECT_EQ(-1, Load(longName.c_str(), 930, 1, 3, nullptr, err));
  EXPECT_EQ(XMT_SIGNALS_ERR_BUF_SIZE - 1, (int)std::strlen(err));
  for (size_t i = XMT_SIGNALS_ERR_BUF_SIZE; i < sizeof err; ++i) EXPECT_EQ('#', err[i]);

  // A null block and a null error buffer are harmless.
  EXPECT_EQ(-1, L.loadCol("missing.csv", nullptr, nullptr));
}

TEST_F(LoadColTest, BarNumbersDecideBetweenReloadAndTheNextLine) {
  Write("numbers.csv", kBars);
  float v = 0;
  // Bar numbers below 1 reload on every call: the same line each time.
  EXPECT_EQ(4, Load("numbers.csv", 930, 0, 3, &v));
  EXPECT_EQ(4, Load("numbers.csv", 930, 0, 3, &v));
  EXPECT_FLOAT_EQ(3.5f, v);
  // From bar 1 on, the same bar number again hands out the next line.
  EXPECT_EQ(4, Load("numbers.csv", 930, 1, 3, &v));
  EXPECT_EQ(5, Load("numbers.csv", 930, 1, 3, &v));
  EXPECT_FLOAT_EQ(4.5f, v);
  EXPECT_EQ(-4, Load("numbers.csv", 930, 1, 3, &v));
}

TEST_F(LoadColTest, AFailedLoadLeavesNothingOfTheOldFileInUse) {
  Write("first.csv", kBars);
  std::filesystem::remove(LoadColFolder() + "/appears_later.csv");
  float v = 0;
  EXPECT_EQ(4, Load("first.csv", 930, 1, 3, &v));
  EXPECT_EQ(5, Load("first.csv", 930, 2, 3, &v));
  EXPECT_EQ(-1, Load("appears_later.csv", 930, 3, 3, &v));
  EXPECT_EQ(-1, Load("appears_later.csv", 930, 4, 3, &v));
  Write("appears_later.csv", "20150326,0930,7\r\n20150326,0935,8\r\n");
  EXPECT_EQ(2, Load("appears_later.csv", 930, 5, 3, &v));  // loaded from its start
  EXPECT_FLOAT_EQ(8.0f, v);
  EXPECT_EQ(-4, Load("appears_later.csv", 930, 6, 3, &v));
}

TEST_F(LoadColTest, DatesAndTimesThatDoNotFitAreRefused) {
  Write("fit.csv", kBars);
  float v = 0;
  EXPECT_EQ(4, Load("fit.csv", 930, 1, 3, &v));
  // A time of 25 000 000 is 2 500 000 000 as hhmmss: no stand-in time (midnight would
  // reach the first line), and the position in the file stays.
  struct Case {
    float date, time;
  } cases[] = {{1150326, 21474838}, {1150326, -25000000}, {1150326, 3e9f},
               {1150326, NAN},      {1150326, INFINITY},  {2.13e9f, 930},
               {3e9f, 930},         {-3e9f, 930},         {NAN, 930}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.date << " " << c.time);
    XmtSlot block[16] = {};
    block[0].value = c.date;
    block[1].value = c.time;
    block[7].value = 2;
    block[11].value = 3;
    block[12].value = -99.0f;
    EXPECT_EQ(-3, L.loadCol("fit.csv", block, nullptr));
    EXPECT_EQ(-99.0f, block[12].value);
  }
  EXPECT_EQ(5, Load("fit.csv", 930, 2, 3, &v));
  EXPECT_FLOAT_EQ(4.5f, v);
  // The largest time that fits goes to the date-time value, which takes it for no time of
  // day and stays empty, as with 2500; the first line reaches an empty value.
  EXPECT_EQ(3, Load("fit.csv", 21474836, 0, 3, &v));
}

TEST_F(LoadColTest, TraceLines) {
  Write("logged.csv", kBars);
  LogCapture log;
  log.Follow(TodaysLibraryLogPath("XMT_F1"));
  EXPECT_EQ(4, Load("logged.csv", 930, 7, 3));
  log.NewLogText();  // its last bar is what an earlier test left
  EXPECT_EQ(4, Load("logged.csv", 926, 3, 3));
  EXPECT_EQ(-1, Load("logged_missing.csv", 926, 4, 3));
  const std::string path = "C:/Database/LoadCol/";
  const std::vector<TraceLine> expected = {
      {"LoadCol", 'a',
       "Bar#000003 Date=2015-03-26 09:26:00 Col=3, Load new File " + path +
           "logged.csv (Max=5, LastBar=7) - Version 1.1"},
      {"LoadCol", 'a', "Found Date=2015-03-26 09:30:00 - Bar#3"},
      {"LoadCol", 'a',
       "Bar#000004 Date=2015-03-26 09:26:00 Col=3, Load new File " + path +
           "logged_missing.csv (Max=-1, LastBar=3) - Version 1.1"},
  };
  // Under Wine every test program shares one drive, so other programs' lines may come
  // between ours: only the column loader's are read.
  std::vector<TraceLine> lines;
  for (const TraceLine& line : ParseTraceLines(log.NewLogText()))
    if (line.category == "LoadCol") lines.push_back(line);
  EXPECT_EQ(expected, lines);
}

}  // namespace
