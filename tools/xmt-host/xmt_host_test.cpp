// The simulator: the command line, and an end-to-end run that compares the
// CSV with direct calls of the exports and checks that the chart is well-formed XML.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "hostbridge/entry_frame.h"
#include "pattern/xmt_pattern.h"
#include "common/barfile/bar_file.h"
#include "tools/xmt-host/demo.h"
#include "tools/xmt-host/library.h"
#include "tools/xmt-host/options.h"
#include "tools/xmt-host/outputs.h"
#include "tools/xmt-host/runner.h"
#include "tools/xmt-host/soak.h"
#include "tools/xmt-host/study_kit.h"
#include "tools/xmt-host/testing/sim_test_kit.h"

namespace fs = std::filesystem;

namespace {

bool Parse(const std::string& text, BarFile* out, std::string* error) {
  std::istringstream in(text);
  return ReadBarStream(in, "bars.csv", out, error);
}

// A sample of testdata/barfiles/.
std::string BarSample(const std::string& name) { return XMT_TESTDATA_DIR "/barfiles/" + name; }

RunRequest Request(const std::string& study, const std::string& bars, const std::string& id) {
  RunRequest r;
  r.study = study;
  r.barFile = bars;
  r.outDir = "out_" + id;
  r.options.id = id;
  r.progress = false;
  return r;
}

// A daily saw-tooth from `year`: highs at bars 10, 30, 50..., lows at 0, 20, 40...
void WriteSawTooth(const fs::path& path, int year, int count) {
  std::ofstream f(path);
  f << "Date,Open,High,Low,Close,Volume\n";
  for (int i = 0; i < count; ++i) {
    double p = 100 + (i % 20 < 10 ? i % 20 : 20 - i % 20);
    f << year + i / 336 << "-" << 1 + i / 28 % 12 << "-" << 1 + i % 28 << "," << p << ","
      << p + 1 << "," << p - 1 << "," << p << ",1000\n";
  }
}

// Feeds the bar file straight into the zig-zag exports under `id` (prices at scale 100) and
// expects the simulator's CSV to hold the same result and slots on every row.
void ExpectZigZagCsvMatchesDirectCalls(const std::string& csvPath, const std::string& barPath,
                                       int left, int right, const std::string& id) {
  std::string error;
  BarFile file;
  ASSERT_TRUE(ReadBarFile(barPath, &file, &error)) << error;
  Library lib;
  ASSERT_TRUE(lib.Open(Library::BesideProgram("XMT_PATTERN"), &error)) << error;
  XMT_ZZ_AddBar_fn addBar = nullptr;
  XMT_ZZ_CalcPiv_fn calcPiv = nullptr;
  ASSERT_TRUE(BindExport(lib, "XMT_ZZ_AddBar", &addBar, &error));
  ASSERT_TRUE(BindExport(lib, "XMT_ZZ_CalcPiv", &calcPiv, &error));
  std::ifstream csv(csvPath);
  std::string line;
  std::getline(csv, line);
  EXPECT_EQ(line.rfind("Date,Time,Open,High,Low,Close,Volume,Result,NewSince,NewPrice", 0), 0u);
  int pivots = 0;
  for (size_t i = 0; i < file.bars.size(); ++i) {
    const CsvBar& b = file.bars[i];
    int o = static_cast<int>(b.open * 100 + 0.5), h = static_cast<int>(b.high * 100 + 0.5);
    int l = static_cast<int>(b.low * 100 + 0.5), c = static_cast<int>(b.close * 100 + 0.5);
    int index = addBar(1, id.c_str(), FullDateToHost(b.date), b.time, static_cast<int>(i) + 1,
                       100, &o, &h, &l, &c, static_cast<int>(b.volume));
    XmtSlot block[12] = {};
    int r = calcPiv(0, id.c_str(), index + 1, left, right, block);
    pivots += r != 0;
    ASSERT_TRUE(std::getline(csv, line)) << "row " << i;
    std::vector<std::string> fields;
    std::stringstream ss(line);
    for (std::string field; std::getline(ss, field, ',');) fields.push_back(field);
    ASSERT_EQ(fields.size(), 20u);
    EXPECT_EQ(std::stoi(fields[7]), r) << "row " << i;
    for (int s = 0; s < 12; ++s)
      EXPECT_NEAR(std::stod(fields[8 + s]), block[s].value, 1e-4) << "row " << i << " slot " << s;
  }
  EXPECT_FALSE(std::getline(csv, line)) << "a row too many";
  EXPECT_GT(pivots, 3);
}

}  // namespace

TEST(PriceScale, RefusesPricesTooLargeForIt) {
  BarFile f;
  std::string error;
  ASSERT_TRUE(Parse("Date,Close\n2015-01-02,1.5\n2015-01-05,30000000\n", &f, &error));
  EXPECT_TRUE(CheckPriceScale(f, 10, &error));
  EXPECT_FALSE(CheckPriceScale(f, 100, &error));
  EXPECT_EQ(error, "bars.csv:3: price 3e+07 is too large for the price scale 100");
}

TEST(CommandLine, DemoRunListAndErrors) {
  CommandLine cl;
  std::string error;
  ASSERT_TRUE(ParseCommandLine({}, &cl, &error));
  EXPECT_EQ(cl.action, CommandLine::kDemo);

  cl = CommandLine();
  ASSERT_TRUE(ParseCommandLine({"zigzag", "bars.csv", "--left", "10", "--right", "3", "--id", "X"}, &cl, &error));
  EXPECT_EQ(cl.action, CommandLine::kRun);
  EXPECT_EQ(cl.run.options.left, 10);
  EXPECT_EQ(cl.run.options.right, 3);
  EXPECT_EQ(cl.run.options.id, "X");
  EXPECT_EQ(cl.run.outDir, "out/zigzag");

  cl = CommandLine();
  EXPECT_FALSE(ParseCommandLine({"wiggle", "bars.csv"}, &cl, &error));
  EXPECT_EQ(error, "unknown study 'wiggle'");
  EXPECT_FALSE(ParseCommandLine({"zigzag", "bars.csv", "--bogus"}, &cl, &error));
  EXPECT_EQ(error, "unknown option --bogus");
  EXPECT_FALSE(ParseCommandLine({"zigzag", "bars.csv", "--left", "x"}, &cl, &error));
  EXPECT_EQ(error, "option --left needs a whole number from -1000000000 to 1000000000, not 'x'");
  EXPECT_FALSE(ParseCommandLine({"zigzag", "bars.csv", "--right", "99999999999"}, &cl, &error));
  EXPECT_FALSE(ParseCommandLine({"zigzag", "bars.csv", "--left"}, &cl, &error));
  EXPECT_FALSE(ParseCommandLine({"pattern", "bars.csv"}, &cl, &error));
  EXPECT_EQ(error, "the pattern study needs --pattern NAME|FILE");
  EXPECT_FALSE(ParseCommandLine({"pattern64", "bars.csv", "--style", "3"}, &cl, &error));
  EXPECT_EQ(error, "option --style needs a whole number from 1 to 2, not '3'");
  EXPECT_FALSE(ParseCommandLine({"zigzag", "bars.csv", "--scale", "-100"}, &cl, &error));

  // After an error in a study's run the study's own options are shown, wherever the study
  // stands on the line; without a study, the general usage.
  const std::string zigzagHelp = StudyHelp(*FindStudy("zigzag"));
  const struct {
    std::vector<std::string> args;
    const char* error;
    bool studyHelp;
  } errors[] = {
      {{"zigzag", "bars.csv", "--date-order", "ydm"}, "option --date-order needs mdy, dmy or ymd, not 'ydm'", true},
      {{"--quiet", "zigzag", "bars.csv", "--bogus"}, "unknown option --bogus", true},
      {{"--date-order", "mdy", "zigzag"}, "give a study and one bar file", true},
      {{"wiggle", "bars.csv"}, "unknown study 'wiggle'", false},
      {{"check"}, "check takes one pattern rule file", false},
      {{"zigzag", "bars.csv", "--soak", "0"}, "option --soak needs a number of bars from 1 to 100000000, not '0'", true},
      {{"scan", "zigzag", "bars", "--soak", "5"}, "option --soak applies to a run of one bar file", true},
  };
  for (const auto& e : errors) {
    cl = CommandLine();
    EXPECT_FALSE(ParseCommandLine(e.args, &cl, &error));
    EXPECT_EQ(error, e.error);
    EXPECT_EQ(HelpAfterError(cl), e.studyHelp ? zigzagHelp : std::string(UsageText())) << e.error;
  }
  cl = CommandLine();
  ASSERT_TRUE(ParseCommandLine({"--date-order", "DMY", "rs", "bars.csv"}, &cl, &error)) << error;
  EXPECT_EQ(cl.run.barOptions.dateOrder, DateOrder::kDmy);
  EXPECT_EQ(cl.run.barFile, "bars.csv");
}

TEST(Outputs, HugeVolumeKeepsItsRowWholeAndTitleTextIsEscaped) {
  BarFile bars;
  std::string error;
  ASSERT_TRUE(Parse("Date,Close,Volume\n2015-01-02,1,1e300\n", &bars, &error));
  StudyOutput out;
  out.slotNames = {"A", "B"};
  out.results = {3};
  out.slots = {{1.5f}};  // a row shorter than the header reads 0 for the rest
  ASSERT_TRUE(WriteResultCsv("huge.csv", bars, out, &error)) << error;
  EXPECT_EQ(ReadWholeFile("huge.csv"), "Date,Time,Open,High,Low,Close,Volume,Result,A,B\n"
                                 "2015-01-02,00:00,1,1,1,1,1e+300,3,1.5000,0.0000\n");

  const std::string svg = ChartSvg("ID <a&b>\x01\x1b", bars, out);
  EXPECT_NE(svg.find("ID &lt;a&amp;b&gt;</text>"), std::string::npos);
  EXPECT_EQ(svg.find_first_of("\x01\x1b"), std::string::npos);
  std::string why;
  EXPECT_TRUE(WellFormedXml(svg, &why)) << why;
}

TEST(Simulator, ZigZagRunMatchesDirectCallsAndDrawsWellFormedSvg) {
  const fs::path work = fs::absolute("sim_zigzag");
  fs::create_directories(work);
  const fs::path bars = work / "bars.csv";
  {
    // 60 bars of a saw-tooth: pivots every ten bars.
    std::ofstream f(bars);
    f << "Date,Open,High,Low,Close,Volume\n";
    for (int i = 0; i < 60; ++i) {
      double p = 100 + (i % 20 < 10 ? i % 20 : 20 - i % 20);
      f << "2015-" << (1 + i / 28) << "-" << (1 + i % 28) << "," << p << "," << p + 1 << ","
        << p - 1 << "," << p << ",1000\n";
    }
  }
  RunRequest request;
  request.study = "zigzag";
  request.barFile = bars.string();
  request.outDir = (work / "out").string();
  request.options.id = "SIM_TEST";
  request.options.left = 3;
  request.options.right = 3;
  request.progress = false;
  RunSummary summary;
  std::string error;
  ASSERT_EQ(RunStudy(request, &summary, &error), 0) << error;
  EXPECT_EQ(summary.bars, 60);
  EXPECT_GT(summary.pivots, 3);

  // The same bars fed straight into the exports under another ID give the same rows.
  ExpectZigZagCsvMatchesDirectCalls(summary.csvPath, bars.string(), 3, 3, "SIM_DIRECT");

  std::ifstream svg(summary.svgPath);
  std::stringstream doc;
  doc << svg.rdbuf();
  std::string why;
  EXPECT_TRUE(WellFormedXml(doc.str(), &why)) << why;
  EXPECT_NE(doc.str().find("<polyline"), std::string::npos);
  EXPECT_NE(doc.str().find("pivot-high"), std::string::npos);
  EXPECT_NE(doc.str().find("pivot-low"), std::string::npos);

  // A soak run of the same bars keeps only the newest rows, yet counts every pivot the run
  // marked, and samples after the first bar, every 25 bars and the last.
  request.options.id = "SIM_SOAK";
  std::vector<SoakSample> samples;
  ASSERT_EQ(RunSoak(request, 25, &samples, &error), 0) << error;
  ASSERT_EQ(samples.size(), 4u);
  const int sampledAt[] = {1, 25, 50, 60};
  for (size_t i = 0; i < samples.size(); ++i) {
    EXPECT_EQ(samples[i].bars, sampledAt[i]);
    EXPECT_GT(samples[i].resident, 0u);
  }
  EXPECT_EQ(samples.back().pivots, summary.pivots);
}

TEST(Simulator, BadInputGivesAClearErrorNotACrash) {
  RunRequest request;
  request.study = "zigzag";
  request.barFile = "missing.csv";
  request.outDir = "out";
  RunSummary summary;
  std::string error;
  EXPECT_EQ(RunStudy(request, &summary, &error), 3);
  EXPECT_EQ(error, "missing.csv: cannot open the file");

  std::ofstream("one.csv") << "Date,Close\n2015-01-02,1\n";
  request.barFile = "one.csv";
  request.library = "no_such_library.bin";
  EXPECT_EQ(RunStudy(request, &summary, &error), 4);
  EXPECT_EQ(error, "no_such_library.bin: no such library file");
}

TEST(Simulator, TradersFilesRunWithTheirUnusedColumnsNamedAndTheDateOrderAsked) {
  RunRequest request = Request("zigzag", BarSample("extra_columns.csv"), "SIM_EXTRA");
  RunSummary summary;
  std::string error;
  ASSERT_EQ(RunStudy(request, &summary, &error), 0) << error;
  EXPECT_EQ(summary.bars, 3);
  const std::string described = DescribeRun(request, summary);
  EXPECT_NE(described.find("(columns not used: Adj Close)\n"), std::string::npos) << described;
  request = Request("zigzag", BarSample("bracketed_names.csv"), "SIM_BRACKETS");
  ASSERT_EQ(RunStudy(request, &summary, &error), 0) << error;
  EXPECT_NE(DescribeRun(request, summary).find("(columns not used: <TICKER>, <PER>)\n"), std::string::npos);

  // Dates that do not tell their order stop the run until --date-order says it.
  request = Request("zigzag", BarSample("ambiguous_dates.csv"), "SIM_ORDER");
  EXPECT_EQ(RunStudy(request, &summary, &error), 3);
  EXPECT_NE(error.find("--date-order mdy"), std::string::npos) << error;
  CommandLine cl;
  ASSERT_TRUE(ParseCommandLine({"zigzag", request.barFile, "--date-order", "dmy", "--quiet"}, &cl, &error)) << error;
  ASSERT_EQ(RunStudy(cl.run, &summary, &error), 0) << error;
  EXPECT_EQ(summary.bars, 3);
  EXPECT_EQ(DescribeRun(cl.run, summary).find("columns not used"), std::string::npos);
}

TEST(Simulator, ChartsPivotsAtTheirOwnBarsWhenTheLibraryRefusesEarlyBars) {
  // The library numbers only the bars from 1990 on; the chart must not put its bar index
  // on the file's bar of that number.
  WriteSawTooth("from1989.csv", 1989, 400);
  RunRequest request = Request("zigzag", "from1989.csv", "SIM_1989");
  request.options.left = request.options.right = 3;
  RunSummary summary;
  std::string error;
  ASSERT_EQ(RunStudy(request, &summary, &error), 0) << error;
  EXPECT_EQ(summary.refusedBars, 336);
  ASSERT_GT(summary.pivots, 2);
  BarFile bars;
  ASSERT_TRUE(ReadBarFile("from1989.csv", &bars, &error));
  const std::string svg = ReadWholeFile(summary.svgPath);
  int checked = 0;
  for (size_t at = 0; (at = svg.find("<title>Pivot ", at)) != std::string::npos; ++at) {
    char kind[8] = "";
    double price = 0;
    int bar = -1;
    ASSERT_EQ(std::sscanf(svg.c_str() + at, "<title>Pivot %7s %lf (bar %d)", kind, &price, &bar), 3);
    ASSERT_GE(bar, 336);
    ASSERT_LT(bar, 400);
    EXPECT_NEAR(price, std::string(kind) == "high" ? bars.bars[bar].high : bars.bars[bar].low, 1e-3)
        << kind << " at bar " << bar;
    ++checked;
  }
  EXPECT_EQ(checked, summary.pivots);
}

TEST(Simulator, PatternThatDoesNotLoadStopsTheRunWithTheLibrarysMessage) {
  WriteSawTooth("saw.csv", 2015, 120);
  std::ofstream("PR_Broken.txt") << "Symbols:\nABC\n\nCalc:\nX=BC/AB\n\nCond:\nC1=Y|0,50\n\n"
                                    "Result:\nAND=C1\n";
  RunSummary summary;
  std::string error;
  for (const char* study : {"pattern", "pattern64"}) {
    RunRequest request = Request(study, "saw.csv", std::string("SIM_BAD_") + study);
    request.options.pattern = "NoSuchPattern";
    EXPECT_EQ(RunStudy(request, &summary, &error), 5) << study;
    EXPECT_NE(error.find("Cannot find Pattern: NoSuchPattern"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(request.outDir + "/" + study + "-saw.csv")) << study;

    request.options.pattern = "PR_Broken.txt";
    EXPECT_EQ(RunStudy(request, &summary, &error), 5) << study;
    EXPECT_NE(error.find("Unknown Variable 'Y' in Condition C1=Y|0,50"), std::string::npos) << error;

    request.options.pattern = "missing/PR_Swing3.txt";
    EXPECT_EQ(RunStudy(request, &summary, &error), 5) << study;
    EXPECT_EQ(error, "missing/PR_Swing3.txt: no such pattern file");
  }
}

TEST(Simulator, RepeatedRunsLibraryByFileNameAndPricesOffScale) {
  WriteSawTooth("saw.csv", 2015, 120);
  const fs::path pattern = fs::path(XMT_SAMPLE_DIR) / "patterns" / "PR_Swing3.txt";
  RunSummary summary;
  std::string error;
  // The pattern file is installed again on the second run (over the first copy).
  for (int run = 0; run < 2; ++run) {
    RunRequest request = Request("pattern", "saw.csv", "SIM_AGAIN" + std::to_string(run));
    request.options.pattern = pattern.string();
    EXPECT_EQ(RunStudy(request, &summary, &error), 0) << "run " << run << ": " << error;
  }
  // The columns are the pattern's own outputs (four in this file), on every row.
  std::istringstream csv(ReadWholeFile(summary.csvPath));
  std::string line;
  std::getline(csv, line);
  EXPECT_EQ(line, "Date,Time,Open,High,Low,Close,Volume,Result,Found,Out1,Out2,Out3,Out4");
  int evaluated = 0;
  while (std::getline(csv, line)) {
    EXPECT_EQ(std::count(line.begin(), line.end(), ','), 12) << line;
    evaluated += line.find(",5,") != std::string::npos;
  }
  EXPECT_GT(evaluated, 0);
  // A bare file name is the file in the working folder, not a system library.
  const std::string name = std::string("XMT_PATTERN") + XMT_LIBRARY_SUFFIX;
  fs::remove(name);  // MinGW's copy_file does not overwrite, and the test folder is kept
  fs::copy_file(Library::BesideProgram("XMT_PATTERN"), name);
  RunRequest request = Request("zigzag", "saw.csv", "SIM_BYNAME");
  request.library = name;
  EXPECT_EQ(RunStudy(request, &summary, &error), 0) << error;
  request.library = "saw.csv";
  EXPECT_EQ(RunStudy(request, &summary, &error), 4);
  EXPECT_EQ(error.rfind("saw.csv: cannot load the library", 0), 0u) << error;

  request.library.clear();
  request.options.scale = 100000000;
  EXPECT_EQ(RunStudy(request, &summary, &error), 5);
  EXPECT_EQ(error, "saw.csv:2: price 100 is too large for the price scale 100000000");
}

TEST(Simulator, DemoOnSmallFilesRunsEveryStudyAndWritesWellFormedCharts) {
  // The demo's sample files, cut short so that the whole demo takes a moment.
  const fs::path data = fs::absolute("demo_data");
  fs::remove_all(data);  // MinGW's copy_file does not overwrite, and the test folder is kept
  fs::create_directories(data / "patterns");
  const struct { const char* name; int skip; int keep; } cuts[] = {
      {"msft_daily.csv", 0, 120}, {"ttrc_daily.csv", 3800, 600}, {"usdchf_30min.csv", 0, 1500}};
  for (const auto& cut : cuts) CutSample(cut.name, cut.skip, cut.keep, (data / cut.name).string());
  for (const char* pattern : {"PR_XABCD_Bull.txt", "PR_Swing3.txt"})
    fs::copy_file(fs::path(XMT_SAMPLE_DIR) / "patterns" / pattern, data / "patterns" / pattern);

  const fs::path outParent = fs::absolute("demo_out");
  fs::remove_all(outParent);  // the test folder outlives the run
  ASSERT_EQ(RunDemo(data.string(), outParent.string()), 0);

  // Every study of the table has its CSV and a well-formed chart; index.html is well-formed
  // and shows every chart there is.
  for (const auto& folder : fs::directory_iterator(outParent)) {
    const fs::path results = folder.path() / "results";
    const std::string page = ReadWholeFile((results / "index.html").string());
    std::string why;
    EXPECT_TRUE(WellFormedXml(page, &why)) << "index.html: " << why;
    EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
    std::vector<std::string> studies;
    for (const auto& entry : fs::directory_iterator(results)) {
      if (entry.path().extension() != ".svg") continue;
      const std::string name = entry.path().filename().string();
      studies.push_back(name.substr(0, name.find('-')));
      EXPECT_TRUE(WellFormedXml(ReadWholeFile(entry.path().string()), &why)) << name << ": " << why;
      EXPECT_NE(page.find("<img src=\"" + name + "\""), std::string::npos) << name;
      fs::path csv = entry.path();
      EXPECT_TRUE(fs::exists(csv.replace_extension(".csv"))) << name;
    }
    for (const StudyInfo& s : StudyTable())
      EXPECT_NE(std::find(studies.begin(), studies.end(), s.name), studies.end()) << s.name;
    // The closing scan (where the system has worker processes): a row for each of the four
    // bar files, every one with values.
    if (fs::exists(results / "scan")) {
      const auto rows = CsvRows((results / "scan" / "scan.csv").string());
      EXPECT_EQ(rows.size(), 5u);
      for (const auto& row : rows) EXPECT_EQ(row.back(), row[0] == "symbol" ? "error" : "");
    }
  }
  // The demo's zig-zag rows are what the exports give for its bars (windows 5/5).
  for (const auto& folder : fs::directory_iterator(outParent))
    ExpectZigZagCsvMatchesDirectCalls((folder.path() / "results" / "zigzag-msft_daily.csv").string(),
                                      (folder.path() / "data" / "msft_daily.csv").string(), 5, 5,
                                      "SIM_DEMO_DIRECT");
}
