// The three bar export functions through the loaded library: files compared byte for byte
// with the expected files of testdata/signals (CR LF line ends, header rules), runs, the
// folder, divisors and refused symbols.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/testing/test_dirs.h"
#include "signals/testing/signals_library.h"

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
  // Block writer: 26 March 2015 09:30, up 1000 / down 500.
  int Csv2(const char* sym, int layout, bool timeColumn, bool symbolColumn, bool append = false,
           char* err = nullptr) {
    XmtSlot block[16] = {};
    const float values[] = {1150326, 930, 123.45f, 124.0f, 123.0f, 123.5f, 1000};
    for (int i = 0; i < 7; ++i) block[i].value = values[i];
    block[11].value = 500;
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
