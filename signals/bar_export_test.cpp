// The three bar export functions through the loaded library: files compared byte for byte
// with the expected files of testdata/signals (CR LF line ends, header rules), runs, the
// folder, divisors and refused symbols.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/testing/test_dirs.h"
#include "signals/testing/signals_under_test.h"

namespace {

namespace fs = std::filesystem;

std::string Expected(const char* name) {
  return ReadWholeFile(std::string(XMT_TESTDATA_DIR) + "/signals/" + name);
}
std::string Written(const std::string& file) { return ReadWholeFile(ExportFolder() + "/" + file); }

// 26 March 2015, prices in cents.
struct Bar {
  int time = 930;
  int open = 12345, high = 12400, low = 12300, close = 12350, volume = 1500;
  int divisor = 100;
};

// The date, time and volumes of a block writer's bar.
struct Csv2Bar {
  float date = 1150326, time = 930, up = 1000, down = 500;
};

class BarExportTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(L.Complete()) << L.lib.Error(); }

  int Csv(const char* sym, const Bar& b, int append = 0) {
    return L.saveCsv(7, sym, 1150326, b.time, b.divisor, &b.open, &b.high, &b.low, &b.close,
                     &b.volume, append);
  }
  int Txt(const char* sym, const Bar& b, int closeOnly) {
    return L.saveTxt(7, sym, 1150326, b.time, b.divisor, &b.open, &b.high, &b.low, &b.close,
                     &b.volume, closeOnly);
  }
  // Block writer: the prices of Bar, with the date, time and volumes of the caller's block.
  int Csv2(const char* sym, int layout, bool timeColumn, bool symbolColumn, bool append = false,
           char* err = nullptr, const Csv2Bar& bar = Csv2Bar{}) {
    XmtSlot block[16] = {};
    const float values[] = {bar.date, bar.time, 123.45f, 124.0f, 123.0f, 123.5f, bar.up};
    for (int i = 0; i < 7; ++i) block[i].value = values[i];
    block[11].value = bar.down;
    block[12].value = append ? 1.0f : 0.0f;
    block[13].value = timeColumn ? 1.0f : 0.0f;
    block[14].value = symbolColumn ? 1.0f : 0.0f;
    block[15].value = (float)layout;
    return L.saveCsv2(sym, block, err);
  }

  SignalsLibrary& L = SignalsLibrary::Get();
};

TEST_F(BarExportTest, CsvRunIsSharedByBothCsvWritersAndTxtKeepsItsOwn) {
  Bar b;
  EXPECT_EQ(1, Csv("SHARED", b));
  b.time = 931;
  b.close = 12360;
  EXPECT_EQ(2, Csv("SHARED", b));
  EXPECT_EQ(3, Csv2("SHARED", 1, true, true));  // same run: no second header
  EXPECT_EQ(Expected("shared_run.csv"), Written("SHARED.csv"));

  EXPECT_EQ(1, Txt("SHARED", b, 0));  // the text writer's own run starts here
  EXPECT_EQ(4, Csv("SHARED", b));
}

TEST_F(BarExportTest, SymbolsInTurnRestartTheRunAndKeepOnlyTheLatestBar) {
  Bar b;
  for (int round = 0; round < 2; ++round) {
    b.time = 930 + round;
    EXPECT_EQ(1, Csv("TURN_A", b));
    EXPECT_EQ(1, Csv("TURN_B", b));
  }
  EXPECT_EQ(Expected("turn_latest.csv"), Written("TURN_A.csv"));
  // A symbol differing only in case continues the run (the counter says so; the file name
  // keeps the case given, which only Windows takes as the same file).
  EXPECT_EQ(2, Csv("turn_b", b));
}

TEST_F(BarExportTest, CsvWithoutTimeAndAppendOnTheFirstLine) {
  Bar b;
  b.time = -1;
  EXPECT_EQ(1, Csv("NOTIME", b));
  EXPECT_EQ(1, Csv("NOTIME2", b));
  EXPECT_EQ(1, Csv("NOTIME", b, 1));  // appends to the old file, header again
  EXPECT_EQ(Expected("no_time_appended.csv"), Written("NOTIME.csv"));
}

TEST_F(BarExportTest, Csv2LayoutsAndColumns) {
  const struct {
    const char* sym;
    int layout;
    bool timeColumn, symbolColumn;
    const char* expected;
  } cases[] = {
      {"LAYOUT0", 0, true, false, "layout0.csv"},
      {"LAYOUT1", 1, true, true, "layout1.csv"},
      {"LAYOUT2", 2, false, true, "layout2.csv"},
      {"LAYOUT7", 7, true, false, "layout_other.csv"},  // no date or time text
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sym);
    char err[XMT_SIGNALS_ERR_BUF_SIZE] = "untouched";
    EXPECT_EQ(1, Csv2(c.sym, c.layout, c.timeColumn, c.symbolColumn, false, err));
    EXPECT_EQ(2, Csv2(c.sym, c.layout, c.timeColumn, c.symbolColumn, false, err));
    EXPECT_EQ(Expected(c.expected), Written(std::string(c.sym) + ".csv"));
    EXPECT_STREQ("untouched", err);
  }
}

TEST_F(BarExportTest, Csv2AppendSlotOnTheFirstLineOfARun) {
  const std::string one = "Date,Time,Open,High,Low,Close,VolUp,VolDn,\r\n"
                          "20150326,093000,123.45,124.00,123.00,123.50,1000,500\r\n";
  EXPECT_EQ(1, Csv2("APPEND2", 1, true, false));
  EXPECT_EQ(1, Csv2("APPEND2_OTHER", 1, true, false));  // the run restarts
  EXPECT_EQ(1, Csv2("APPEND2", 1, true, false, true));
  EXPECT_EQ(one + one, Written("APPEND2.csv"));
  EXPECT_EQ(1, Csv2("APPEND2_OTHER", 1, true, false));
  EXPECT_EQ(1, Csv2("APPEND2", 1, true, false, false));
  EXPECT_EQ(one, Written("APPEND2.csv"));
}

// Midnight is a time like any other; prices are integer / divisor in single precision
// (1234567 / 100 is 12345.669921875, "12345.6700" in double); the summed volume is a float
// sum (16777216 + 1 stays 16777216).
TEST_F(BarExportTest, MidnightAndSinglePrecisionNumbers) {
  Bar b;
  b.time = 0;
  b.open = b.high = b.low = b.close = 1234567;
  b.volume = 16777217;
  EXPECT_EQ(1, Csv("MIDNIGHT", b));
  EXPECT_EQ("\"Symbol\",Date,Time,Open,High,Low,Close,Volume\r\n"
            "\"MIDNIGHT\",20150326,000000,12345.6699,12345.6699,12345.6699,12345.6699,16777217\r\n",
            Written("MIDNIGHT.csv"));
  EXPECT_EQ(1, Txt("MIDNIGHT", b, 0));
  EXPECT_EQ(2, Txt("MIDNIGHT", b, 1));
  EXPECT_EQ("\"Date\",\"Time\",\"Open\",\"High\",\"Low\",\"Close\",\"Volume\"\r\n"
            "3/26/2015,00:00:00,12345.6699,12345.6699,12345.6699,12345.6699,16777217\r\n"
            "3/26/2015,00:00:00,12345.6699,16777217\r\n",
            Written("MIDNIGHT.txt"));

  Csv2Bar midnight;
  midnight.time = 0;
  midnight.up = 16777216;
  midnight.down = 1;
  const struct {
    const char* sym;
    int layout;
    const char* line;
  } cases[] = {
      {"MIDNIGHT0", 0, "03/26/2015,00:00,123.45,124.00,123.00,123.50,16777216,1\r\n"},
      {"MIDNIGHT1", 1, "20150326,000000,123.45,124.00,123.00,123.50,16777216,1\r\n"},
      {"MIDNIGHT2", 2, "03/26/2015,00:00,123.45,124.00,123.00,123.50,16777216\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sym);
    EXPECT_EQ(1, Csv2(c.sym, c.layout, true, false, false, nullptr, midnight));
    const std::string text = Written(std::string(c.sym) + ".csv");
    EXPECT_EQ(c.line, text.substr(text.find("\r\n") + 2));
  }
}

// A date or time that does not fit an int, as the value or as yyyymmdd / hhmmss, is no bar:
// -10, nothing written, the run as it was. The largest that fit are no date or time either,
// but they are the date-time value's to reject, and the line is written as for 2500.
TEST_F(BarExportTest, DatesAndTimesThatDoNotFitAreRefused) {
  EXPECT_EQ(1, Csv2("NOFIT2", 1, true, false));
  const std::string before = Written("NOFIT2.csv");
  Csv2Bar bad[5];
  bad[0].time = 21474838;  // hhmmss 2147483800
  bad[1].time = NAN;
  bad[2].time = -3e9f;
  bad[3].date = 2.13e9f;  // yyyymmdd beyond the int range
  bad[4].date = INFINITY;
  for (const Csv2Bar& bar : bad) {
    SCOPED_TRACE(testing::Message() << bar.date << " " << bar.time);
    EXPECT_EQ(-10, Csv2("NOFIT2", 1, true, false, false, nullptr, bar));
    EXPECT_EQ(-10, Csv2("NOFIT2_OTHER", 1, true, false, false, nullptr, bar));
  }
  EXPECT_EQ(before, Written("NOFIT2.csv"));
  Csv2Bar largest;
  largest.time = 21474836;
  EXPECT_EQ(2, Csv2("NOFIT2", 1, true, false, false, nullptr, largest));  // the run went on

  Bar b;
  EXPECT_EQ(1, Txt("NOFIT", b, 0));
  const std::string txtBefore = Written("NOFIT.txt");
  for (int time : {21474837, INT_MAX}) {
    b.time = time;
    EXPECT_EQ(-10, Txt("NOFIT", b, 0)) << time;
  }
  b.time = 930;
  EXPECT_EQ(-10, L.saveTxt(0, "NOFIT", INT_MAX - 19000000 + 1, b.time, b.divisor, &b.open,
                           &b.high, &b.low, &b.close, &b.volume, 0));
  EXPECT_EQ(-10, L.saveTxt(0, "NOFIT", INT_MAX - 19000000 + 1, -1, b.divisor, &b.open, &b.high,
                           &b.low, &b.close, &b.volume, 0));
  EXPECT_EQ(txtBefore, Written("NOFIT.txt"));
  b.time = 21474836;
  EXPECT_EQ(2, Txt("NOFIT", b, 0));
  EXPECT_EQ(3, L.saveTxt(0, "NOFIT", INT_MAX - 19000000, 930, b.divisor, &b.open, &b.high, &b.low,
                         &b.close, &b.volume, 0));
}

TEST_F(BarExportTest, TxtHeadersAndDateTexts) {
  Bar b;
  EXPECT_EQ(1, Txt("TXT_FULL", b, 0));
  b.time = 1605;
  EXPECT_EQ(2, Txt("TXT_FULL", b, 0));
  EXPECT_EQ(Expected("txt_full.txt"), Written("TXT_FULL.txt"));

  b.time = -1;
  EXPECT_EQ(1, Txt("TXT_CLOSE", b, 1));
  EXPECT_EQ(2, Txt("TXT_CLOSE", b, 1));
  EXPECT_EQ(Expected("txt_close_no_time.txt"), Written("TXT_CLOSE.txt"));

  b.time = 930;
  EXPECT_EQ(1, Txt("TXT_CLOSET", b, 1));
  b.time = -1;
  EXPECT_EQ(1, Txt("TXT_FULLD", b, 0));
  EXPECT_EQ("\"Date\",\"Time\",\"Close\",\"Volume\"\r\n3/26/2015,09:30:00,123.5000,1500\r\n",
            Written("TXT_CLOSET.txt"));
  EXPECT_EQ("\"Date\",\"Open\",\"High\",\"Low\",\"Close\",\"Volume\"\r\n"
            "3/26/2015,123.4500,124.0000,123.0000,123.5000,1500\r\n",
            Written("TXT_FULLD.txt"));
}

TEST_F(BarExportTest, DivisorBelowOneWritesZeroPricesAndNullPointersReadZero) {
  Bar b;
  b.divisor = 0;
  EXPECT_EQ(1, Csv("DIV0", b));
  b.divisor = 1;
  EXPECT_EQ(2, L.saveCsv(0, "DIV0", 1150326, 930, 1, nullptr, &b.high, nullptr, &b.close,
                         nullptr, 0));
  EXPECT_EQ("\"Symbol\",Date,Time,Open,High,Low,Close,Volume\r\n"
            "\"DIV0\",20150326,093000,0.0000,0.0000,0.0000,0.0000,1500\r\n"
            "\"DIV0\",20150326,093000,0.0000,12400.0000,0.0000,12350.0000,0\r\n",
            Written("DIV0.csv"));
}

TEST_F(BarExportTest, LongSymbolsAreKeptWhole) {
  const std::string sym = "L" + std::string(119, 'x');
  Bar b;
  EXPECT_EQ(1, Csv(sym.c_str(), b));
  EXPECT_EQ(2, Csv(sym.c_str(), b));
  std::string text = Written(sym + ".csv");
  EXPECT_NE(std::string::npos, text.find("\"" + sym + "\",20150326,093000"));
}

TEST_F(BarExportTest, NullAndRefusedSymbols) {
  Bar b;
  char err[8] = "x";
  EXPECT_EQ(-9, Csv(nullptr, b));
  EXPECT_EQ(-9, Txt(nullptr, b, 0));
  EXPECT_EQ(-9, Csv2(nullptr, 0, true, true, false, err));
  EXPECT_EQ(-9, L.saveCsv2(nullptr, nullptr, nullptr));

  const std::string parent = ExportFolder() + "/..";
  for (const char* sym : {"../ESCAPE", "a/b", "a\\b", "..", ".", "x:y", "a*b", "q?", "p|q",
                          "CON", "nul", "com1", "LPT9", "t\tab"}) {
    SCOPED_TRACE(sym);
    EXPECT_EQ(-10, Csv(sym, b));
    EXPECT_EQ(-10, Txt(sym, b, 0));
    EXPECT_EQ(-10, Csv2(sym, 1, true, true));
  }
  EXPECT_FALSE(fs::exists(parent + "/ESCAPE.csv"));
  EXPECT_FALSE(fs::exists(parent + "/ESCAPE.txt"));
  // Names that only look like devices are files.
  EXPECT_EQ(1, Csv("CONSOLE", b));
  EXPECT_EQ(1, Csv("COM10", b));
  // A null block reads as zeros.
  EXPECT_EQ(1, L.saveCsv2("NULLBLOCK", nullptr, nullptr));
  EXPECT_EQ("Date,Open,High,Low,Close,VolUp,VolDn,\r\n00/00/1900,0.00,0.00,0.00,0.00,0,0\r\n",
            Written("NULLBLOCK.csv"));
}

}  // namespace
