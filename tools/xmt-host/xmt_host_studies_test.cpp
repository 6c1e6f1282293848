// The simulator's studies of XMT_SIGNALS and XMT_MOMENTUM end to end: each runs on a cut-down sample file and
// its CSV is compared row by row with direct calls of the exports under another ID; every
// chart is well-formed and names its lines in a legend. Also the up/down volume split, the
// per-study options, --list and the pattern file check.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "common/platform/platform.h"
#include "hostbridge/testing/fake_host.h"
#include "momentum/xmt_momentum.h"
#include "signals/xmt_signals.h"
#include "tools/xmt-host/check.h"
#include "tools/xmt-host/options.h"
#include "tools/xmt-host/outputs.h"
#include "tools/xmt-host/runner.h"
#include "tools/xmt-host/study_kit.h"
#include "tools/xmt-host/testing/sim_test_kit.h"

namespace fs = std::filesystem;

namespace {

// What direct calls of the exports give for every bar: result and the CSV's value columns.
struct Rows {
  std::vector<int> results;
  std::vector<std::vector<double>> values;
};

// An export of a library beside the test (XMT_SIGNALS unless named).
template <typename F>
F Export(const char* name, const char* library = "XMT_SIGNALS") {
  static std::map<std::string, std::unique_ptr<Library>> libraries;
  std::unique_ptr<Library>& lib = libraries[library];
  std::string error;
  if (!lib) {
    lib = std::make_unique<Library>();
    lib->Open(Library::BesideProgram(library), &error);
  }
  F f = nullptr;
  BindExport(*lib, name, &f, &error);
  EXPECT_NE(f, nullptr) << error;
  return f;
}

void DirectBsp(const BarFile& file, const std::string& id, Rows* rows) {
  auto bsp = Export<XMT_BSP_fn>("XMT_BSP");
  FakeHost host;
  host.AddArray("arrBSP", {10});
  std::vector<double>& a = *host.MutableArrayValues("arrBSP");
  a[2] = 14, a[3] = 20, a[4] = 2;
  for (int i = 0; i < static_cast<int>(file.bars.size()); ++i) {
    FakeBar bar;
    UpDownVolume(file, i, &bar.upTicks, &bar.downTicks);
    host.AddBar(bar);
    char sym[XMT_SIGNALS_ERR_BUF_SIZE] = "";
    std::strcpy(sym, id.c_str());
    rows->results.push_back(bsp("direct", 1, 0, sym, &host, 0));
    rows->values.push_back({bar.upTicks, bar.downTicks, a[0], a[1], a[5], a[6], a[7]});
  }
}

void DirectFindGem(const BarFile& file, const std::string& id, Rows* rows) {
  auto add = Export<XMT_FindGemAdd_fn>("XMT_FindGemAdd");
  auto calc = Export<XMT_FindGemCalc_fn>("XMT_FindGemCalc");
  for (const CsvBar& b : file.bars) {
    ScaledBar s(b, 10000);  // the currency file: prices below 3.0
    const int stored = add(0, id.c_str(), s.date, s.time, 10000, &s.open, &s.high, &s.low,
                           &s.close, &s.volume, -1012);  // scope 12, basis points, across days
    float v[4];
    rows->results.push_back(calc(0, id.c_str(), s.date, s.time, &v[0], &v[1], &v[2], &v[3]));
    rows->values.push_back({double(stored), v[0], v[1], v[2], v[3]});
  }
}

void DirectRareAvg(const BarFile& file, const std::string& id, Rows* rows) {
  auto avg = Export<XMT_RareAvg_fn>("XMT_RareAvg");
  for (int i = 0; i < static_cast<int>(file.bars.size()); ++i) {
    const CsvBar& b = file.bars[i];
    const float v = avg(id.c_str(), 12, 0, static_cast<float>(b.close), b.date - 19000000, b.time,
                        60, 0, 2, 0, i + 1);
    rows->results.push_back(v < 1e8f ? 1 : 0);
    rows->values.push_back({v});
  }
}

void DirectTrend(const BarFile& file, const std::string& id, Rows* rows) {
  auto trend = Export<XMT_TrendReversal_fn>("XMT_TrendReversal");
  for (const CsvBar& b : file.bars) {
    float pos = 0, width = 0;
    rows->results.push_back(trend(0, id.c_str(), b.date - 19000000, b.time, 2, 0,
                                  static_cast<float>(b.close), 1.0f, 5, 40, &pos, &width));
    rows->values.push_back({pos, width});
  }
}

void DirectPrcNorm(const BarFile& file, const std::string&, Rows* rows) {
  auto norm = Export<XMT_F_PrcNorm_fn>("XMT_F_PrcNorm");
  for (const CsvBar& b : file.bars) {
    ScaledBar s(b, 100);
    rows->results.push_back(norm(0.1f, &s.open, &s.high, &s.low, &s.close, &s.volume));
    rows->values.push_back({double(s.open), double(s.high), double(s.low), double(s.close),
                            double(s.volume)});
  }
}

// The study's column file, loaded again from its first bar.
void DirectLoadCol(const BarFile& file, const std::string& id, Rows* rows) {
  auto load = Export<XMT_LoadCol_fn>("XMT_LoadCol");
  const std::string name = id.substr(0, id.size() - 7) + "_COL.csv";  // the study's ID
  for (int i = 0; i < static_cast<int>(file.bars.size()); ++i) {
    XmtSlot block[16] = {};
    block[0].value = static_cast<float>(file.bars[i].date - 19000000);
    block[7].value = static_cast<float>(i + 1);
    block[11].value = 4;
    char error[XMT_SIGNALS_ERR_BUF_SIZE] = "";
    rows->results.push_back(load(name.c_str(), block, error));
    rows->values.push_back({block[12].value});
  }
}

// The export counters: one run per symbol and function, so line n of the run on bar n - 1.
void DirectExport(const BarFile& file, const std::string&, Rows* rows) {
  for (int i = 0; i < static_cast<int>(file.bars.size()); ++i) {
    rows->results.push_back(i + 1);
    rows->values.push_back({double(i + 1), double(i + 1)});
  }
}

// Momentum N 8 smoothed over 4, and unsmoothed under a second symbol, as the study does.
void DirectUtc(const BarFile& file, const std::string& id, Rows* rows) {
  auto utc = Export<XMT_UTC_fn>("XMT_UTC", "XMT_MOMENTUM");
  for (int i = 0; i < static_cast<int>(file.bars.size()); ++i) {
    const CsvBar& b = file.bars[i];
    XmtSlot block[2][92] = {};
    float r[2];
    for (int k = 0; k < 2; ++k) {
      const float in[13] = {float(b.date - 19000000), 0, float(b.open), float(b.high), float(b.low),
                            float(b.close), float(b.volume), float(i + 1), 1, 2, 0, 8,
                            k == 0 ? 4.0f : 1.0f};
      for (int s = 0; s < 13; ++s) block[k][s].value = in[s];
      r[k] = utc((id + (k ? "_raw" : "")).c_str(), block[k]);
    }
    rows->results.push_back(1);
    rows->values.push_back({r[0], block[0][91].value, r[1]});
  }
}

void DirectRrs(const BarFile& file, const std::string&, Rows* rows) {
  auto rrs = Export<XMT_RRS_fn>("XMT_RRS", "XMT_MOMENTUM");
  for (const CsvBar& b : file.bars) {
    // Daily bars never restart by date, so extra 1 only keeps this history apart.
    const float v = rrs(12, 2, static_cast<float>(b.close), b.date - 19000000, 0, 0, 0, 2, 1);
    rows->results.push_back(v < 1e8f ? 1 : 0);
    rows->values.push_back({v});
  }
}

void DirectPatDetect(const BarFile& file, const std::string&, Rows* rows) {
  auto detect = Export<XMT_PatDetect_fn>("XMT_PatDetect", "XMT_MOMENTUM");
  const std::string path = (fs::path(XMT_SAMPLE_DIR) / "patterns" / "PR_Swing3.txt").string();
  for (size_t i = 0; i < file.bars.size(); ++i) {
    rows->results.push_back(detect(0, path.c_str()));
    rows->values.push_back({});
  }
}

struct StudyCase {
  const char* study;
  const char* sample;
  int skip, keep;
  std::vector<std::string> options;
  void (*direct)(const BarFile&, const std::string&, Rows*);
  std::vector<std::string> legend;  // lines the chart must name
};

const std::vector<StudyCase> kCases = {
    {"bsp", "msft_daily.csv", 0, 80, {}, DirectBsp,
     {"Close", "Pressure", "PressureAvg", "BuyAvg", "SellAvg"}},
    {"findgem", "usdchf_30min.csv", 20000, 300,
     {"--scope", "12", "--basis-points", "--cross-days"}, DirectFindGem,
     {"LongPlus", "LongMinus", "ShortPlus", "ShortMinus"}},
    {"rareavg", "ttrc_daily.csv", 2000, 120, {"--len", "12"}, DirectRareAvg, {"Close", "RareAvg"}},
    {"trend", "ttrc_daily.csv", 2000, 120, {"--fast", "5", "--slow", "40"}, DirectTrend,
     {"Position"}},
    {"prcnorm", "msft_daily.csv", 0, 60, {"--factor", "0.1", "--scale", "100"}, DirectPrcNorm,
     {"Close"}},
    {"loadcol", "msft_daily.csv", 0, 60, {"--column", "4"}, DirectLoadCol, {"Close", "Value"}},
    {"export", "msft_daily.csv", 0, 40, {}, DirectExport, {"Close"}},
    {"utc", "msft_daily.csv", 0, 80, {"--lookback", "8", "--smooth", "4"}, DirectUtc,
     {"Unsmoothed", "UTC"}},
    {"rrs", "ttrc_daily.csv", 2000, 90, {"--len", "12", "--per-mille"}, DirectRrs, {"RRS"}},
    {"patdetect", "msft_daily.csv", 0, 20,
     {"--pattern", (fs::path(XMT_SAMPLE_DIR) / "patterns" / "PR_Swing3.txt").string()},
     DirectPatDetect, {"Close"}},
};

TEST(LibraryStudies, CsvMatchesDirectCallsAndChartsAreWellFormedWithLegends) {
  for (const StudyCase& c : kCases) {
    SCOPED_TRACE(c.study);
    const std::string bars = CutSample(c.sample, c.skip, c.keep, std::string(c.study) + "_bars.csv");
    const std::string id = std::string("SIM_") + c.study;
    std::vector<std::string> args = {c.study, bars, "--id", id, "--out", "out_signals", "--quiet"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    CommandLine cl;
    std::string error;
    ASSERT_TRUE(ParseCommandLine(args, &cl, &error)) << error;
    RunSummary summary;
    ASSERT_EQ(RunStudy(cl.run, &summary, &error), 0) << error;

    BarFile file;
    ASSERT_TRUE(ReadBarFile(bars, &file, &error)) << error;
    Rows expected;
    c.direct(file, id + "_direct", &expected);
    const auto csv = CsvRows(summary.csvPath);
    ASSERT_EQ(csv.size(), file.bars.size() + 1);
    int valued = 0;
    for (size_t i = 0; i < file.bars.size(); ++i) {
      const auto& row = csv[i + 1];
      ASSERT_EQ(row.size(), 8 + expected.values[i].size()) << "row " << i;
      EXPECT_EQ(std::stoi(row[7]), expected.results[i]) << "row " << i;
      for (size_t k = 0; k < expected.values[i].size(); ++k) {
        const double want = expected.values[i][k];
        EXPECT_NEAR(std::stod(row[8 + k]), want, 1e-4 + 1e-6 * std::fabs(want))
            << "row " << i << " " << csv[0][8 + k];
        valued += want != 0;
      }
    }
    if (!expected.values[0].empty()) {
      EXPECT_GT(valued, 0) << "only zeros: the comparison proves nothing";
    }

    const std::string svg = ReadWholeFile(summary.svgPath);
    std::string why;
    EXPECT_TRUE(WellFormedXml(svg, &why)) << why;
    for (const std::string& line : c.legend)
      EXPECT_NE(svg.find("\">" + line + "</text>"), std::string::npos) << line;
  }
}

TEST(SignalStudies, ExportFilesLandBesideTheCsvAndMatchTheirOwnLayouts) {
  const std::string bars = CutSample("msft_daily.csv", 0, 3, "export3.csv");
  CommandLine cl;
  std::string error;
  ASSERT_TRUE(ParseCommandLine({"export", bars, "--id", "SIM_EXP3", "--out", "out_exp", "--quiet"},
                               &cl, &error));
  RunSummary summary;
  ASSERT_EQ(RunStudy(cl.run, &summary, &error), 0) << error;
  ASSERT_EQ(summary.libraryFiles.size(), 3u);
  const std::string csv = ReadWholeFile(summary.libraryFiles[0]);
  const std::string csv2 = ReadWholeFile(summary.libraryFiles[1]);
  const std::string txt = ReadWholeFile(summary.libraryFiles[2]);
  // A daily file has no times: Csv and Txt leave the column out.
  EXPECT_EQ(csv.substr(0, csv.find('\n') + 1), "\"Symbol\",Date,Open,High,Low,Close,Volume\r\n");
  EXPECT_NE(csv.find("\"SIM_EXP3\",20000927,63.4400,"), std::string::npos) << csv;
  EXPECT_NE(csv2.find("\"SIM_EXP3_2\",09/27/2000,00:00,63.44,63.56,59.81,60.62,"), std::string::npos)
      << csv2;
  EXPECT_EQ(txt.substr(0, txt.find('\n') + 1), "\"Date\",\"Open\",\"High\",\"Low\",\"Close\",\"Volume\"\r\n");
  for (const std::string* file : {&csv, &csv2, &txt})
    EXPECT_EQ(std::count(file->begin(), file->end(), '\n'), 4) << *file;  // header + 3 bars

  // An ID that is no plain file name stops the run with the export's result.
  ASSERT_TRUE(ParseCommandLine({"export", bars, "--id", "a/b", "--quiet"}, &cl, &error));
  EXPECT_EQ(RunStudy(cl.run, &summary, &error), 5);
  EXPECT_NE(error.find("XMT_SaveDataToCsv gave -10"), std::string::npos) << error;

  // A pattern file XMT_PatDetect could not read would wait for a message box: refused first.
  ASSERT_TRUE(ParseCommandLine({"patdetect", bars, "--pattern", "PR_Missing.txt", "--quiet"}, &cl, &error));
  EXPECT_EQ(RunStudy(cl.run, &summary, &error), 5);
  EXPECT_EQ(error, "PR_Missing.txt: no such pattern file");
}

TEST(UpDownVolume, SplitsByTheCloseInTheRangeOrTakesTheFileColumns) {
  struct Case {
    const char* row;
    double up, down;
  } cases[] = {
      {"2015-01-02,10,12,8,11,1000", 750, 250},  // close at three quarters of the range
      {"2015-01-02,10,12,8,8,1000", 0, 1000},    // close at the low
      {"2015-01-02,10,12,8,12,1000", 1000, 0},   // close at the high
      {"2015-01-02,10,12,8,9,3", 1, 2},          // 0.75 rounds to 1
      {"2015-01-02,10,10,10,10,1001", 500.5, 500.5},  // high equals low: half each
      {"2015-01-02,10,10,10,10,0", 0, 0},             // zero volume, flat bar
      {"2015-01-02,10,12,8,11,0", 0, 0},              // zero volume
  };
  for (const Case& c : cases) {
    BarFile f;
    std::string error;
    std::istringstream in(std::string("Date,Open,High,Low,Close,Volume\n") + c.row + "\n");
    ASSERT_TRUE(ReadBarStream(in, "v.csv", &f, &error)) << error;
    double up = -1, down = -1;
    UpDownVolume(f, 0, &up, &down);
    EXPECT_EQ(up, c.up) << c.row;
    EXPECT_EQ(down, c.down) << c.row;
  }
  // The file's own columns win over the split, and come as a pair.
  BarFile f;
  std::string error;
  std::istringstream both("Date,Open,High,Low,Close,Volume,UpVol,DownVol\n2015-01-02,10,12,8,11,1000,100,900\n");
  ASSERT_TRUE(ReadBarStream(both, "v.csv", &f, &error)) << error;
  double up = 0, down = 0;
  UpDownVolume(f, 0, &up, &down);
  EXPECT_EQ(up, 100);
  EXPECT_EQ(down, 900);
  std::istringstream one("Date,Close,UpVol\n2015-01-02,10,5\n");
  EXPECT_FALSE(ReadBarStream(one, "v.csv", &f, &error));
  EXPECT_EQ(error, "v.csv:1: UpVol and DownVol go together");
  std::istringstream negative("Date,Close,UpVol,DownVol\n2015-01-02,10,5,-1\n");
  EXPECT_FALSE(ReadBarStream(negative, "v.csv", &f, &error));
  EXPECT_EQ(error, "v.csv:2: negative volume");
}

TEST(StudyOptionsTable, ListNamesEveryStudyAndEachStudyTakesOnlyItsOwnOptions) {
  const std::string list = StudyList();
  for (const StudyInfo& s : StudyTable()) {
    EXPECT_NE(list.find(std::string(s.name) + " "), std::string::npos) << s.name;
    const std::string help = StudyHelp(s);
    for (const OptionRule& o : s.options) EXPECT_NE(help.find(o.name), std::string::npos) << o.name;
  }
  struct Case {
    std::vector<std::string> args;
    const char* error;  // null: parses
  } cases[] = {
      {{"bsp", "b.csv", "--style", "4", "--avg-len", "9"}, nullptr},
      {{"pattern64", "b.csv", "--style", "2"}, nullptr},
      {{"trend", "b.csv", "--left", "3"}, "option --left does not apply to trend (xmt-host --help trend)"},
      {{"bsp", "b.csv", "--pattern", "X"}, "option --pattern does not apply to bsp (xmt-host --help bsp)"},
      {{"findgem", "b.csv", "--scope", "1"}, "option --scope needs a whole number from 2 to 999, not '1'"},
      {{"findgem", "b.csv", "--scope", "999"}, nullptr},
      {{"prcnorm", "b.csv", "--factor", "2.5x"}, "option --factor needs a number from -1000000 to 1000000, not '2.5x'"},
      {{"loadcol", "b.csv", "--column", "1.5"}, "option --column needs a whole number from 1 to 1000, not '1.5'"},
      {{"check"}, "check takes one pattern rule file"},
  };
  for (const Case& c : cases) {
    CommandLine cl;
    std::string error;
    EXPECT_EQ(ParseCommandLine(c.args, &cl, &error), c.error == nullptr) << c.args[0] << ": " << error;
    if (c.error) {
      EXPECT_EQ(error, c.error);
    }
  }
  CommandLine cl;
  std::string error;
  ASSERT_TRUE(ParseCommandLine({"bsp", "b.csv", "--style", "4", "--avg-len", "9"}, &cl, &error));
  EXPECT_EQ(cl.run.options.bspStyle, 4);
  EXPECT_EQ(cl.run.options.style, 1);  // pattern64's --style is another setting
  EXPECT_EQ(cl.run.options.avgLen, 9);
  for (const auto& args : std::vector<std::vector<std::string>>{{"--help", "bsp"}, {"bsp", "--help"}}) {
    cl = CommandLine();
    ASSERT_TRUE(ParseCommandLine(args, &cl, &error));
    EXPECT_EQ(cl.action, CommandLine::kHelp);
    EXPECT_EQ(cl.helpStudy, "bsp");
  }
}

TEST(PatternCheck, ReportsWhatLoadedOrTheLoadErrorWithItsLine) {
  std::string report;
  const std::string good = (fs::path(XMT_SAMPLE_DIR) / "patterns" / "PR_XABCD_Bull.txt").string();
  EXPECT_EQ(CheckPatternFile(good, "", &report), 0) << report;
  for (const char* part : {"key points: XABCD (5 pivots", "newest pivot a low", "  CD_BC = CD/BC\n",
                           "  C_AD: AD_XA in 61.8,100", "found when all of C_AB C_BC C_CD C_AD",
                           "outputs (slots 1..): AB_XA BC_AB CD_BC AD_XA C_AD\n"})
    EXPECT_NE(report.find(part), std::string::npos) << part << "\n" << report;

  std::ofstream("PR_CheckBroken.txt") << "Symbols:\nABC\n\nCalc:\nX=BC/AB\n\nCond:\nC1=Y|0,50\n";
  EXPECT_EQ(CheckPatternFile("PR_CheckBroken.txt", "", &report), 1);
  EXPECT_NE(report.find("Line8, Cond Error (Unknown Variable 'Y'"), std::string::npos) << report;
  EXPECT_EQ(CheckPatternFile("PR_Nowhere.txt", "", &report), 3);
  EXPECT_EQ(CheckPatternFile(good, "no_such_library.bin", &report), 4);
}

}  // namespace
