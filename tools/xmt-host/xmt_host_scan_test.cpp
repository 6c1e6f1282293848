// xmt-host scan end to end, the program itself over a small folder: every study's rows equal
// its single-file runs, bad files get a row of their own, shards split the folder, the page
// links the top charts, and an interrupt leaves a valid scan.csv.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "common/testing/test_dirs.h"
#include "tools/xmt-host/study.h"
#include "tools/xmt-host/testing/sim_test_kit.h"

namespace fs = std::filesystem;

namespace {

const std::string kSwing = std::string(XMT_SAMPLE_DIR) + "/patterns/PR_Swing3.txt";

// The program's exit code (std::system gives the wait status: the code times 256).
int Host(const std::string& args) {
  return std::system((std::string(XMT_HOST_PROGRAM) + " " + args + " >/dev/null 2>&1").c_str()) / 256;
}

std::string StudyArgs(const std::string& study) {
  return study == "pattern" || study == "pattern64" || study == "patdetect" ? " --pattern " + kSwing
                                                                             : "";
}

// A folder of two cut sample files (daily, half-hourly), one without bars and one that does
// not read.
std::string Universe(const ScopedTempDir& dir) {
  const std::string folder = dir.Subdir("bars");
  CutSample("msft_daily.csv", 0, 249, folder + "/msft.csv");
  CutSample("usdchf_30min.csv", 60000, 300, folder + "/usdchf.csv");
  WriteWholeFile(folder + "/empty.csv", "Date,Close\n");
  WriteWholeFile(folder + "/broken.csv", "Date,Close\n2015-01-02,1.2.3\n");
  return folder;
}

// scan.csv's rows by symbol (the header under "").
std::map<std::string, std::vector<std::string>> ScanRows(const std::string& csv) {
  std::map<std::string, std::vector<std::string>> rows;
  for (const auto& row : CsvRows(csv)) rows[row[0] == "symbol" ? "" : row[0]] = row;
  return rows;
}

}  // namespace

TEST(Scan, EveryStudysRowsEqualItsSingleFileRunsAndBadFilesGetTheirOwnRow) {
  ScopedTempDir dir("scan");
  const std::string folder = Universe(dir);
  for (const StudyInfo& study : StudyTable()) {
    SCOPED_TRACE(study.name);
    const std::string name = study.name, out = dir.File("scan-" + name);
    ASSERT_EQ(Host("scan " + name + " " + folder + StudyArgs(name) + " --jobs 2 --charts 0 --quiet"
                   " --root " + dir.File("root-scan") + " --out " + out), 0);
    auto rows = ScanRows(out + "/scan.csv");
    ASSERT_EQ(rows.size(), 5u);
    const std::vector<std::string>& header = rows[""];
    EXPECT_NE(ReadWholeFile(out + "/scan.csv").find("empty.csv,0,"), std::string::npos);
    EXPECT_NE(ReadWholeFile(out + "/scan.csv").find("broken.csv:2: bad number '1.2.3'"),
              std::string::npos);
    for (const char* file : {"msft", "usdchf"}) {
      SCOPED_TRACE(file);
      const std::vector<std::string>& row = rows[std::string(file) + ".csv"];
      ASSERT_EQ(row.size(), header.size());
      EXPECT_EQ(row.back(), "");  // no error
      // The single-file run under the same ID, with libraries' files of its own.
      ASSERT_EQ(Host(name + " " + folder + "/" + file + ".csv" + StudyArgs(name) + " --id " + file +
                     " --quiet --root " + dir.File("root-single-" + name) + " --out " +
                     dir.File("single")), 0);
      const auto single = CsvRows(dir.File("single/" + name + "-" + file + ".csv"));
      ASSERT_EQ(row[1], std::to_string(single.size() - 1));
      const std::vector<std::string>& last = single.back();
      const size_t values = header.size() - 7;  // symbol, bars ... signal, date, since, ms, error
      ASSERT_EQ(last.size(), 7 + values);
      for (size_t k = 0; k < values; ++k) EXPECT_EQ(row[2 + k], last[7 + k]) << header[2 + k];
      // The signal's date is that of the bar `bars since` before the last.
      const std::string& date = row[header.size() - 4];
      const std::string& since = row[header.size() - 3];
      if (since.empty()) continue;
      const auto& signalRow = single[single.size() - 1 - std::stoul(since)];
      EXPECT_EQ(date.substr(0, 10), signalRow[0]);
      if (name == "trend") {  // the last bar where the value left the band
        auto leaves = [&](size_t i) {
          return (single[i][7] == "1" || single[i][7] == "2") && single[i - 1][7] != single[i][7];
        };
        size_t i = single.size() - 1;
        while (i > 1 && !leaves(i)) --i;
        EXPECT_EQ(single.size() - 1 - i, std::stoul(since));
      }
    }
  }
}

TEST(Scan, ShardsSplitTheFolderAndThePageLinksTheTopCharts) {
  ScopedTempDir dir("shard");
  const std::string folder = Universe(dir);
  std::set<std::string> seen;
  size_t total = 0;
  for (const char* part : {"1/2", "2/2"}) {
    const std::string out = dir.File(std::string("part") + part[0]);
    ASSERT_EQ(Host("scan zigzag " + folder + " --shard " + part + " --charts 2 --quiet --root " +
                   dir.File("root") + " --out " + out), 0);
    auto rows = ScanRows(out + "/scan.csv");
    total += rows.size() - 1;
    size_t good = 0;
    for (const auto& row : rows) {
      seen.insert(row.first);
      good += !row.first.empty() && row.second.back().empty();
    }
    const std::string page = ReadWholeFile(out + "/index.html");
    std::string why;
    EXPECT_TRUE(WellFormedXml(page, &why)) << why;
    size_t links = 0;
    const std::string link = "<a href=\"";
    for (size_t at = page.find(link); at != std::string::npos; at = page.find(link, at + 1)) {
      const size_t end = page.find('"', at + 9);
      EXPECT_TRUE(fs::exists(out + "/" + page.substr(at + 9, end - at - 9)));
      ++links;
    }
    EXPECT_EQ(links, std::min<size_t>(good, 2)) << part;
  }
  EXPECT_EQ(total, 4u);
  EXPECT_EQ(seen.size(), 5u);  // four files and the header: no file in both parts
  EXPECT_EQ(Host("scan zigzag " + folder + " --shard 3/2"), 2);
  EXPECT_EQ(Host("zigzag " + folder + "/msft.csv --jobs 2"), 2);
  EXPECT_EQ(Host("scan zigzag " + folder + " --id X"), 2);
}

TEST(Scan, InterruptLeavesAValidCsvOfTheFilesFinished) {
  ScopedTempDir dir("interrupt");
  const std::string folder = dir.Subdir("bars");
  for (int i = 0; i < 60; ++i)
    CutSample("usdchf_30min.csv", 0, 3000, folder + "/f" + std::to_string(100 + i) + ".csv");
  const std::string out = dir.File("out");
  // timeout sends the interrupt to the scan and its workers alike, as Ctrl-C does.
  const int rc = std::system(("timeout --preserve-status -s INT 0.7 " + std::string(XMT_HOST_PROGRAM) +
                              " scan findgem " + folder + " --jobs 1 --quiet --root " +
                              dir.File("root") + " --out " + out + " >/dev/null 2>&1").c_str()) / 256;
  EXPECT_EQ(rc, 130);
  const std::string text = ReadWholeFile(out + "/scan.csv");
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.back(), '\n');
  const auto rows = CsvRows(out + "/scan.csv");
  EXPECT_LT(rows.size(), 61u);
  for (const auto& row : rows) {
    EXPECT_EQ(row.size(), rows[0].size());
    if (&row != &rows[0]) {
      EXPECT_EQ(row.back(), "") << row[0];  // no worker counted as failed
    }
  }
  EXPECT_TRUE(fs::exists(out + "/index.html"));
}
