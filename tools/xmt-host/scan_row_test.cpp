// A scan's rows without any library: which bar is a study's last signal, the order of the
// page, the rows' trip from the worker, their CSV lines, and the shards of a file list.
#include <gtest/gtest.h>

#include "tools/xmt-host/scan_files.h"
#include "tools/xmt-host/scan_row.h"

namespace {

StudyOutput Values(const std::vector<std::string>& names, const std::vector<double>& column) {
  StudyOutput out;
  out.slotNames = names;
  for (double v : column) {
    out.results.push_back(1);
    out.slots.push_back({0.0, v});  // the column of interest is the second
  }
  return out;
}

}  // namespace

TEST(ScanSignal, TurnsPivotsAndHitsEachAsTheStudyMarksThem) {
  std::string what;
  // Sign changes; zeros and "no value" (1e9) neither make nor break a turn.
  StudyOutput utc = Values({"x", "UTC"}, {-1, 2, 0, 3, 1e9, -4, -5, 0, -1});
  EXPECT_EQ(LastSignalBar("utc", utc, &what), 5);
  EXPECT_EQ(what, "UTC turns negative");
  // Direction changes of the adaptive average: up, up, down (bar 3), up (bar 5).
  StudyOutput avg = Values({"x", "RareAvg"}, {1, 2, 3, 2, 2, 4, 1e9, 5});
  EXPECT_EQ(LastSignalBar("rareavg", avg, &what), 5);
  EXPECT_EQ(what, "RareAvg turns up");
  EXPECT_EQ(LastSignalBar("rrs", Values({"x", "RRS"}, {1, 2, 3}), &what), -1);

  // Pivots and hits: the later of the last of each; a later pivot wins over an earlier hit.
  StudyOutput piv;
  piv.pivots[4] = {4, 10.0, -1};
  piv.pivots[9] = {9, 12.0, 1};
  piv.hits = {2, 7};
  piv.hitLabels = {"a", "rising structure"};
  EXPECT_EQ(LastSignalBar("rs", piv, &what), 9);
  EXPECT_EQ(what, "pivot high");
  piv.hits.push_back(11);
  piv.hitLabels.push_back("falling structure");
  EXPECT_EQ(LastSignalBar("rs", piv, &what), 11);
  EXPECT_EQ(what, "falling structure");
  EXPECT_EQ(LastSignalBar("export", StudyOutput(), &what), -1);
}

TEST(ScanRow, TravelsFromTheWorkerWholeAndSortsMostRecentSignalFirst) {
  ScanRow row;
  row.symbol = "we\tird|name.csv";
  row.bars = 2500;
  row.names = {"Result", "Position", "Width"};
  row.values = {"1", "-0.5000", "12.0000"};
  row.signalDate = 20150415;
  row.signalTime = 930;
  row.hasTime = true;
  row.signal = "leaves the band upwards";
  row.barsSince = 3;
  row.ms = 1.25;
  row.error = "bars.csv:7: bad number '1,2' in column \"Close\"\nmore";
  ScanRow back;
  ASSERT_TRUE(DecodeRow(EncodeRow(row), &back));
  EXPECT_EQ(back.symbol, "we ird name.csv");
  EXPECT_EQ(back.values, row.values);
  EXPECT_EQ(back.names, row.names);
  EXPECT_EQ(back.error, "bars.csv:7: bad number '1,2' in column \"Close\" more");
  EXPECT_EQ(SignalText(back), "2015-04-15 09:30");
  EXPECT_EQ(back.barsSince, 3);
  EXPECT_DOUBLE_EQ(back.ms, 1.25);
  EXPECT_FALSE(DecodeRow("cut\t12", &back));
  EXPECT_FALSE(DecodeRow("s\tx\t0\t0\t0\t-1\t0\t\t\t\t", &back));

  // The CSV line keeps a field with commas and quotes as one field, values padded to the header.
  EXPECT_EQ(ScanCsvLine(back, 4),
            "we ird name.csv,2500,1,-0.5000,12.0000,,leaves the band upwards,2015-04-15 09:30,3,"
            "1.250,\"bars.csv:7: bad number '1,2' in column \"\"Close\"\" more\"\n");

  auto make = [](const char* symbol, int date, int time, const char* error) {
    ScanRow r;
    r.symbol = symbol;
    r.signalDate = date;
    r.signalTime = time;
    r.error = error;
    return r;
  };
  std::vector<ScanRow> rows = {make("e", 0, 0, "no bars"), make("none", 0, 0, ""),
                               make("old", 20140101, 0, ""), make("b", 20150101, 1000, ""),
                               make("a", 20150101, 1000, ""), make("late", 20150101, 1530, "")};
  SortBySignal(&rows);
  std::string order;
  for (const ScanRow& r : rows) order += r.symbol + " ";
  EXPECT_EQ(order, "late a b old none e ");
}

TEST(ScanFiles, ShardsAreDisjointCoverTheListAndRefuseBadParts) {
  std::vector<std::string> files;
  for (int i = 0; i < 10; ++i) files.push_back("f" + std::to_string(i));
  std::vector<std::string> joined;
  for (int k = 1; k <= 3; ++k) {
    std::vector<std::string> part = ShardOf(files, k, 3);
    EXPECT_GE(part.size(), 3u);
    joined.insert(joined.end(), part.begin(), part.end());
  }
  EXPECT_EQ(joined, files);
  EXPECT_TRUE(ShardOf(files, 2, 20).empty() || ShardOf(files, 2, 20).size() == 1);

  int k = 0, n = 0;
  EXPECT_TRUE(ParseShard("2/7", &k, &n));
  EXPECT_EQ(k * 10 + n, 27);
  for (const char* bad : {"0/3", "4/3", "3", "/3", "1/", "1/3x", "a/b", "-1/3"})
    EXPECT_FALSE(ParseShard(bad, &k, &n)) << bad;
}
