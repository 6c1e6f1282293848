// The bar-file reader: the layouts traders have (testdata/barfiles/), dates and their order,
// times, decimal commas, and the errors that name the file, the line and the column.
#include "common/barfile/bar_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <vector>

#include "common/barfile/bar_fields.h"
#include "common/testing/test_data.h"

namespace {

bool Parse(const std::string& text, BarFile* out, std::string* error,
           DateOrder order = DateOrder::kFromData) {
  std::istringstream in(text);
  BarFileOptions options;
  options.dateOrder = order;
  return ReadBarStream(in, "bars.csv", out, error, options);
}

}  // namespace

TEST(BarFile, ReadsEachLayoutOfTheSampleFiles) {
  struct Case {
    const char* file;
    size_t bars;
    bool hasTime;
    std::vector<std::string> skipped;
    CsvBar last;  // date, time, open, high, low, close, volume
  } cases[] = {
      {"quoted_mdy.csv", 4, true, {"OI"}, {20150113, 1000, 2044.75, 2047, 2043.25, 2046.5, 1980}},
      {"extra_columns.csv", 3, false, {"Adj Close"}, {20150417, 0, 41.96, 42.04, 41.39, 41.62, 42387600}},
      {"semicolon_decimal_comma.csv", 3, true, {}, {20150415, 930, 1.0584, 1.0602, 1.0577, 1.0598, 915}},
      {"bracketed_names.csv", 2, true, {"<TICKER>", "<PER>"}, {20150415, 1100, 1.0668, 1.069, 1.066, 1.0685, 3875}},
      {"tab_separated.csv", 2, true, {"<tickvol>", "<spread>"}, {20150415, 935, 1.0668, 1.067, 1.0655, 1.0659, 0}},
  };
  for (const Case& c : cases) {
    BarFile f;
    std::string error;
    ASSERT_TRUE(ReadBarFile(TestDataPath(std::string("barfiles/") + c.file), &f, &error)) << error;
    ASSERT_EQ(f.bars.size(), c.bars) << c.file;
    EXPECT_EQ(f.hasTime, c.hasTime) << c.file;
    EXPECT_FALSE(f.closeOnly) << c.file;
    EXPECT_EQ(f.skippedColumns, c.skipped) << c.file;
    const CsvBar& b = f.bars.back();
    EXPECT_EQ(b.date, c.last.date) << c.file;
    EXPECT_EQ(b.time, c.last.time) << c.file;
    EXPECT_DOUBLE_EQ(b.open, c.last.open) << c.file;
    EXPECT_DOUBLE_EQ(b.high, c.last.high) << c.file;
    EXPECT_DOUBLE_EQ(b.low, c.last.low) << c.file;
    EXPECT_DOUBLE_EQ(b.close, c.last.close) << c.file;
    EXPECT_DOUBLE_EQ(b.volume, c.last.volume) << c.file;
  }
}

TEST(BarFile, ReadsDailyIntradayAndCloseOnlyLayouts) {
  BarFile f;
  std::string error;
  ASSERT_TRUE(Parse("Date,Open,High,Low,Close,Volume\n2000-09-27,63.4375,63.5625,59.8125,60.625,53077800\n", &f, &error)) << error;
  ASSERT_EQ(f.bars.size(), 1u);
  EXPECT_EQ(f.bars[0].date, 20000927);
  EXPECT_DOUBLE_EQ(f.bars[0].high, 63.5625);
  EXPECT_FALSE(f.hasTime);
  EXPECT_TRUE(f.skippedColumns.empty());

  ASSERT_TRUE(Parse("Date,Time,Close\r\n1996-04-01,00:30,1.1941\r\n1996-04-01,01:00,1.1950\r\n", &f, &error)) << error;
  ASSERT_EQ(f.bars.size(), 2u);
  EXPECT_TRUE(f.closeOnly);
  EXPECT_EQ(f.bars[0].time, 30);
  EXPECT_EQ(f.bars[1].time, 100);
  EXPECT_DOUBLE_EQ(f.bars[1].high, 1.1950);  // one price stands for all four

  // Names in any case, quoted or bracketed; a quoted field keeps its separator.
  ASSERT_TRUE(Parse("DATE,<Time>,\"open\",High,LOW,\"<CLOSE>\",vol\n20150415,0930,1,2,0.5,1.5,7\n", &f, &error)) << error;
  EXPECT_EQ(f.bars[0].date, 20150415);
  EXPECT_EQ(f.bars[0].time, 930);
  EXPECT_DOUBLE_EQ(f.bars[0].close, 1.5);
  ASSERT_TRUE(Parse("Date,Note,Close\n2015-04-15,\"up, then down\",1.5\n", &f, &error)) << error;
  EXPECT_EQ(f.skippedColumns, std::vector<std::string>{"Note"});
  EXPECT_DOUBLE_EQ(f.bars[0].close, 1.5);
}

TEST(BarFile, DateOrderComesFromTheDataOrTheUser) {
  struct Case {
    const char* dates;  // the Date column, one date per row
    DateOrder order;
    std::vector<int> expected;  // empty: refused, with `error`
    const char* error;
  } cases[] = {
      {"2015-04-15 2015/04/16 2015.04.17 20150420", DateOrder::kFromData, {20150415, 20150416, 20150417, 20150420}, ""},
      // A day above 12 tells the order, in either place and on any line.
      {"01/12/2015 01/13/2015", DateOrder::kFromData, {20150112, 20150113}, ""},
      {"12/01/2015 13/01/2015", DateOrder::kFromData, {20150112, 20150113}, ""},
      {"1/2/2015 13.1.2015", DateOrder::kFromData, {20150201, 20150113}, ""},
      {"12/05/2015 05/13/2015", DateOrder::kFromData, {20151205, 20150513}, ""},  // 12 tells nothing
      {"05/12/2015 13/05/2015", DateOrder::kFromData, {20151205, 20150513}, ""},
      // Dates that read the same both ways need no order.
      {"05/05/2015 06/06/2015", DateOrder::kFromData, {20150505, 20150606}, ""},
      {"01/02/2015 02/03/2015", DateOrder::kFromData, {},
       "bars.csv:2: the dates in column Date such as '01/02/2015' read as month/day/year or as "
       "day/month/year, and no date of the file tells which: choose with --date-order mdy or "
       "--date-order dmy"},
      {"01/02/2015 02/03/2015", DateOrder::kMdy, {20150102, 20150203}, ""},
      {"01/02/2015 02/03/2015", DateOrder::kDmy, {20150201, 20150302}, ""},
      // Once told, a date of the other order is a bad date.
      {"13/01/2015 01/13/2015", DateOrder::kFromData, {},
       "bars.csv:3: bad date '01/13/2015' in column Date (read as day/month/year)"},
      {"2015-04-15", DateOrder::kDmy, {}, "bars.csv:2: bad date '2015-04-15' in column Date (read as day/month/year)"},
      {"04/15/2015", DateOrder::kYmd, {}, "bars.csv:2: bad date '04/15/2015' in column Date (read as year/month/day)"},
      {"04/15/2015", DateOrder::kDmy, {}, "bars.csv:2: bad date '04/15/2015' in column Date (read as day/month/year)"},
      // Both sides of the calendar's edges.
      {"2015-12-31 2016-02-29 2000-02-29 1900-01-01 2155-12-31", DateOrder::kFromData,
       {20151231, 20160229, 20000229, 19000101, 21551231}, ""},
      {"2015-13-02", DateOrder::kFromData, {}, "bars.csv:2: bad date '2015-13-02' in column Date"},
      {"2015-02-29", DateOrder::kFromData, {}, "bars.csv:2: bad date '2015-02-29' in column Date"},
      {"1900-02-29", DateOrder::kFromData, {}, "bars.csv:2: bad date '1900-02-29' in column Date"},
      {"2015-04-31", DateOrder::kFromData, {}, "bars.csv:2: bad date '2015-04-31' in column Date"},
      {"1899-12-31", DateOrder::kFromData, {}, "bars.csv:2: bad date '1899-12-31' in column Date"},
      {"2156-01-01", DateOrder::kFromData, {}, "bars.csv:2: bad date '2156-01-01' in column Date"},
      {"2015-04/15", DateOrder::kFromData, {}, "bars.csv:2: bad date '2015-04/15' in column Date"},
      {"15-04-15", DateOrder::kFromData, {}, "bars.csv:2: bad date '15-04-15' in column Date"},
      {"2015415", DateOrder::kFromData, {}, "bars.csv:2: bad date '2015415' in column Date"},
  };
  for (const Case& c : cases) {
    std::string text = "Date,Close\n";
    std::istringstream dates(c.dates);
    for (std::string d; dates >> d;) text += d + ",1\n";
    BarFile f;
    std::string error;
    const bool ok = Parse(text, &f, &error, c.order);
    EXPECT_EQ(ok, !c.expected.empty()) << c.dates << ": " << error;
    if (!ok) {
      EXPECT_EQ(error, c.error) << c.dates;
      continue;
    }
    std::vector<int> got;
    for (const CsvBar& b : f.bars) got.push_back(b.date);
    EXPECT_EQ(got, c.expected) << c.dates;
  }
  DateOrder order = DateOrder::kFromData;
  EXPECT_TRUE(DateOrderFromName("DMY", &order));
  EXPECT_EQ(order, DateOrder::kDmy);
  EXPECT_FALSE(DateOrderFromName("dym", &order));
}

TEST(BarFile, TimesAndNumbers) {
  const struct {
    const char* text;
    int time;
  } times[] = {{"09:30", 930}, {"9:30", 930}, {"9:30:15", 930}, {"0930", 930}, {"093059", 930},
               {"123", 123},   {"0", 0},      {"23:59", 2359},  {"2359", 2359}, {"24:00", -1},
               {"2400", -1},   {"23:60", -1}, {"12:00:60", -1}, {"093060", -1}, {"09305", -1},
               {"9:3", -1},    {"9:30x", -1}, {"", -1},         {":30", -1},    {"930:00", -1}};
  for (const auto& t : times) EXPECT_EQ(ParseTime(t.text), t.time) << "'" << t.text << "'";

  const struct {
    const char* text;
    bool decimalComma;
    double value;  // -1: refused
  } numbers[] = {{"1.5", false, 1.5},  {"1,5", true, 1.5},   {"1.5", true, 1.5},   {"1,5", false, -1},
                 {"1.234,5", true, -1}, {"-2", false, -2},   {"", false, -1},      {"nan", false, -1},
                 {"inf", false, -1},    {"-inf", true, -1},  {"1e999", false, -1}, {"1e3", false, 1000}};
  for (const auto& n : numbers) {
    double v = -1;
    EXPECT_EQ(ParseNumber(n.text, n.decimalComma, &v), n.value != -1) << n.text;
    if (n.value != -1) {
      EXPECT_DOUBLE_EQ(v, n.value) << n.text;
    }
  }
}

TEST(BarFile, ErrorsNameTheFileTheLineAndTheColumn) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"Date,Close\n2015-01-02,1\n2015-01-05\n", "bars.csv:3: expected 2 fields, found 1"},
      {"Date,Open,High,Low,Close\n2015-01-02,1,2,abc,1\n", "bars.csv:2: bad number 'abc' in column Low"},
      {"Date;Close\n2015-01-02;1,5\n2015-01-05;1.2.3\n", "bars.csv:3: bad number '1.2.3' in column Close"},
      {"<DATE>,<TIME>,<CLOSE>\n20150102,25:00,1\n", "bars.csv:2: bad time '25:00' in column <TIME>"},
      {"Date,Volume,Close\n2015-01-02,-5,1\n", "bars.csv:2: negative volume"},
      {"Date,Open,High,Low,Close\n2015-01-02,1,1,2,1\n", "bars.csv:2: high below low"},
      {"Date,Price\n", "bars.csv:1: the header must name at least Date and Close"},
      {"2015-01-02,1,2,0.5,1.5\n", "bars.csv:1: the first line must be a header naming the columns, "
                                  "such as Date,Time,Open,High,Low,Close,Volume"},
      {"Date,Close,CLOSE\n", "bars.csv:1: column 'CLOSE' named twice"},
      {"Date,Vol,<Volume>,Close\n", "bars.csv:1: column '<Volume>' named twice"},
      {"Date,Open,High,Close\n", "bars.csv:1: Open, High and Low go together"},
      {"Date,Close,UpVol\n", "bars.csv:1: UpVol and DownVol go together"},
      {"Date,Close\n", "bars.csv:1: no bars"},
      {"Date,Close\n\n", "bars.csv:2: no bars"},
      {"", "bars.csv: empty, no header line"},
      {" \r\n", "bars.csv: empty, no header line"},
  };
  for (const auto& c : cases) {
    BarFile f;
    std::string error;
    EXPECT_FALSE(Parse(c.text, &f, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
  // strtod takes these, but they would reach the libraries as undefined integer casts.
  for (const char* bad : {"nan", "inf", "-inf", "1e999"}) {
    BarFile f;
    std::string error;
    EXPECT_FALSE(Parse(std::string("Date,Close\n2015-01-02,") + bad + "\n", &f, &error)) << bad;
    EXPECT_EQ(error, std::string("bars.csv:2: bad number '") + bad + "' in column Close");
  }
  BarFile f;
  std::string error;
  // A spreadsheet's byte-order mark before the header; rows remember their line.
  ASSERT_TRUE(Parse("\xEF\xBB\xBF" "Date,Close\n\n2015-01-02,1\n", &f, &error)) << error;
  EXPECT_EQ(f.bars[0].line, 3);
  EXPECT_FALSE(ReadBarFile("no/such/file.csv", &f, &error));
  EXPECT_EQ(error, "no/such/file.csv: cannot open the file");
  std::filesystem::create_directories("a_folder.csv");
  EXPECT_FALSE(ReadBarFile("a_folder.csv", &f, &error));
  EXPECT_EQ(error, "a_folder.csv: a folder, not a bar file");
}
