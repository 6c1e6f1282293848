// The demo run of the simulator (see demo.h).
#include "tools/xmt-host/demo.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/platform/modules.h"
#include "common/platform/platform.h"
#include "tools/xmt-host/demo_page.h"
#include "tools/xmt-host/options.h"
#include "tools/xmt-host/outputs.h"
#include "tools/xmt-host/runner.h"
#include "tools/xmt-host/scan.h"

namespace fs = std::filesystem;

namespace {

struct DemoRun {
  const char* study;
  const char* file;
  std::vector<std::string> options;  // as on the command line; PATTERN/ names a sample pattern
  int lastBars = 0;  // > 0: only the file's last bars, copied as <name>_last<N>.csv
};

// What the demo shows: pivots on daily stocks, two pattern files, the one-call entry and
// the structure check on half-hourly currency quotes; the signal functions on the same
// files, the export files with their round trip, and the momentum functions.
const std::vector<DemoRun>& Runs() {
  static const std::vector<DemoRun> runs = {
      {"zigzag", "msft_daily.csv", {"--left", "5", "--right", "5"}},
      {"zigzag", "ttrc_daily.csv", {"--left", "10", "--right", "3"}},
      {"pattern", "ttrc_daily.csv", {"--pattern", "PATTERN/XABCD_Bull"}},
      {"pattern", "msft_daily.csv", {"--pattern", "PATTERN/Swing3", "--left", "3", "--right", "3"}},
      {"pattern64", "ttrc_daily.csv", {"--pattern", "PATTERN/XABCD_Bull"}},
      {"rs", "usdchf_30min.csv", {"--left", "10", "--right", "10"}},
      {"bsp", "msft_daily.csv", {"--avg-len", "14", "--vol-len", "20", "--style", "2"}},
      // The excursion store writes a trace line per bar: a cut keeps the demo short.
      {"findgem", "usdchf_30min.csv", {"--scope", "16", "--basis-points"}, 4000},
      {"rareavg", "ttrc_daily.csv", {"--len", "30"}},
      {"trend", "ttrc_daily.csv", {"--fast", "10", "--slow", "120"}},
      {"prcnorm", "msft_daily.csv", {"--factor", "0.1"}},
      {"export", "msft_daily.csv", {}},
      {"loadcol", "msft_daily.csv", {"--column", "6"}},
      {"utc", "msft_daily.csv", {"--lookback", "10", "--smooth", "5"}},
      {"utc", "usdchf_30min.csv", {"--lookback", "20", "--smooth", "10"}, 4000},
      {"rrs", "ttrc_daily.csv", {"--len", "30"}},
      {"patdetect", "msft_daily.csv", {"--pattern", "PATTERN/Swing3"}},
  };
  return runs;
}

const char kPatternMark[] = "PATTERN/";

std::string Stamp() {
  PlatformTime t = Platform::Default().LocalNow();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return buf;
}

// The bar file a run reads: the sample file, or its last bars.
std::string DemoFileName(const DemoRun& r) {
  if (r.lastBars <= 0) return r.file;
  return fs::path(r.file).stem().string() + "_last" + std::to_string(r.lastBars) + ".csv";
}

// Copies the header and the last `count` lines of a bar file.
bool CopyTail(const fs::path& from, const fs::path& to, int count, std::string* error) {
  std::ifstream in(from, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::ofstream out(to, std::ios::binary | std::ios::trunc);
  for (size_t i = 0; i < lines.size(); ++i)
    if (i == 0 || i + count >= lines.size()) out << lines[i] << "\n";
  if (!in.eof() || lines.empty() || !out) {
    *error = "cannot copy the last bars of " + from.string() + " to " + to.string();
    return false;
  }
  return true;
}

bool CopyInto(const fs::path& from, const fs::path& to, std::string* error) {
  std::error_code ec;
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
  if (ec) *error = "cannot copy " + from.string() + " to " + to.string() + ": " + ec.message();
  return !ec;
}

// The demo's last step: the zig-zag scanned over every sample file, as `xmt-host scan zigzag
// data --out results/scan` does. Its workers are copies of this process, which has loaded
// the libraries already; the scan's instance IDs (the files' names) are none of the runs'
// above, so its rows are what single-file runs give. Result false when the scan failed; a
// system without worker processes only says so.
bool DemoScan(const fs::path& bars, const fs::path& results) {
  ScanRequest scan;
  scan.run.study = "zigzag";
  scan.folder = bars.string();
  scan.outDir = (results / "scan").string();
  scan.charts = -1;
  scan.progress = false;
  ScanSummary summary;
  std::string error;
  const int rc = RunScan(scan, &summary, &error);
  std::printf("\n");
  if (rc == 8) {
    std::printf("(no scan of the sample files: %s)\n", error.c_str());
    return true;
  }
  if (rc != 0) {
    std::fprintf(stderr, "xmt-host: the scan of the sample files failed: %s\n", error.c_str());
    return false;
  }
  std::printf("Scan of the sample files (zigzag over %s)\n%s", bars.string().c_str(),
              DescribeScan(summary).c_str());
  return true;
}

}  // namespace

int RunDemo(const std::string& dataDir, const std::string& outParent) {
  const fs::path data(dataDir);
  fs::path folder = fs::path(outParent) / Stamp();
  for (int n = 2; fs::exists(folder); ++n) folder = fs::path(outParent) / (Stamp() + "-" + std::to_string(n));
  const fs::path bars = folder / "data", patterns = folder / "patterns", results = folder / "results";
  std::error_code ec;
  fs::create_directories(bars, ec);
  fs::create_directories(results, ec);
  fs::create_directories(patterns, ec);
  fs::create_directories(folder / "host", ec);
  if (ec) {
    std::fprintf(stderr, "xmt-host: cannot create %s: %s\n", folder.string().c_str(), ec.message().c_str());
    return 6;
  }

  // The libraries keep their settings beside the host program and their logs and pattern
  // files on drive C:; on Linux both are pointed into the demo folder.
  SetEnvironmentValue("XMT_HOST_DIR", fs::absolute(folder / "host").string().c_str());
  SetEnvironmentValue("XMT_ROOT", fs::absolute(folder / "root").string().c_str());

  std::string error;
  for (const DemoRun& r : Runs()) {
    fs::path target = bars / DemoFileName(r);
    if (fs::exists(target)) continue;
    if (r.lastBars > 0 ? !CopyTail(data / r.file, target, r.lastBars, &error)
                       : !CopyInto(data / r.file, target, &error)) {
      std::fprintf(stderr, "xmt-host: %s\n", error.c_str());
      return 3;
    }
  }
  std::printf("XMT host simulator demo in %s\n\n", folder.string().c_str());
  int failures = 0;
  std::vector<DemoRow> rows;
  for (const DemoRun& r : Runs()) {
    // The run's command line, with the sample patterns installed from the demo folder.
    const std::string file = DemoFileName(r);
    std::vector<std::string> args = {r.study, (bars / file).string()};
    std::string shown;
    for (std::string option : r.options) {
      if (option.rfind(kPatternMark, 0) == 0) {
        const std::string name = "PR_" + option.substr(sizeof kPatternMark - 1) + ".txt";
        if (!fs::exists(patterns / name) && !CopyInto(data / "patterns" / name, patterns / name, &error)) {
          std::fprintf(stderr, "xmt-host: %s\n", error.c_str());
          return 3;
        }
        shown += " " + name;
        option = (patterns / name).string();
      } else {
        shown += " " + option;
      }
      args.push_back(option);
    }
    args.insert(args.end(), {"--out", results.string(), "--quiet", "--id",
                             std::string("DEMO_") + r.study + "_" + fs::path(file).stem().string()});
    DemoRow row;
    row.study = r.study;
    row.file = file;
    row.options = shown.empty() ? "" : shown.substr(1);
    CommandLine cl;
    RunSummary summary;
    int rc = ParseCommandLine(args, &cl, &error) ? RunStudy(cl.run, &summary, &error) : 2;
    if (rc != 0) {
      std::fprintf(stderr, "xmt-host: %s on %s failed: %s\n", r.study, file.c_str(), error.c_str());
      row.error = error;
      rows.push_back(row);
      ++failures;
      continue;
    }
    std::fputs(DescribeRun(cl.run, summary).c_str(), stdout);
    row.bars = summary.bars;
    row.microsPerBar = summary.microsPerBar;
    row.csvPath = summary.csvPath;
    row.svgPath = summary.svgPath;
    row.libraryFiles = summary.libraryFiles;
    rows.push_back(row);
  }
  const fs::path page = results / "index.html";
  const std::string title = "XMT host simulator demo " + folder.filename().string();
  if (!WriteTextFile(page.string(), DemoPage(title, rows), &error)) {
    std::fprintf(stderr, "xmt-host: %s\n", error.c_str());
    return 6;
  }
  std::printf("\nOutput files in %s:\n", fs::absolute(results).string().c_str());
  for (const DemoRow& row : rows) {
    if (!row.error.empty()) continue;
    std::string names = "  " + fs::path(row.csvPath).filename().string() + "  " +
                        fs::path(row.svgPath).filename().string();
    for (const std::string& f : row.libraryFiles) names += "  " + fs::path(f).filename().string();
    std::printf("%s\n", names.c_str());
  }
  std::printf("\n%s\nCharts and summary: %s\n", DemoSummaryTable(rows).c_str(),
              fs::absolute(page).string().c_str());
  if (!DemoScan(bars, results)) ++failures;
  return failures ? 7 : 0;
}
