// xmt-host: replays bar files through the built study libraries the way the trading
// platform calls them, and writes what they return as CSV and as an SVG chart.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "common/platform/modules.h"
#include "common/platform/platform.h"
#include "tools/xmt-host/check.h"
#include "tools/xmt-host/demo.h"
#include "tools/xmt-host/options.h"
#include "tools/xmt-host/soak.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  CommandLine cl;
  std::string error;
  if (!ParseCommandLine(args, &cl, &error)) {
    std::fprintf(stderr, "xmt-host: %s\n\n%s", error.c_str(), HelpAfterError(cl).c_str());
    return 2;
  }
  if (!cl.root.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(cl.root, ec);
    SetEnvironmentValue("XMT_ROOT", std::filesystem::absolute(cl.root).string().c_str());
  }
  switch (cl.action) {
    case CommandLine::kHelp:
      if (!cl.helpStudy.empty())
        std::fputs(StudyHelp(*FindStudy(cl.helpStudy)).c_str(), stdout);
      else
        std::fputs(UsageText(), stdout);
      return 0;
    case CommandLine::kList:
      std::fputs(StudyList().c_str(), stdout);
      return 0;
    case CommandLine::kCheck: {
      std::string report;
      int rc = CheckPatternFile(cl.checkFile, cl.run.library, &report);
      std::fputs((report + (report.empty() || report.back() == '\n' ? "" : "\n")).c_str(),
                 rc == 0 ? stdout : stderr);
      return rc;
    }
    case CommandLine::kDemo:
      return RunDemo(cl.dataDir.empty() ? XMT_SAMPLE_DIR : cl.dataDir,
                     cl.outDir.empty() ? "out/demo" : cl.outDir);
    case CommandLine::kScan: {
      ScanSummary summary;
      int rc = RunScan(cl.scan, &summary, &error);
      if (rc != 0 && rc != 130) {
        std::fprintf(stderr, "xmt-host: %s\n", error.c_str());
        return rc;
      }
      std::fputs(DescribeScan(summary).c_str(), stdout);
      return rc;
    }
    case CommandLine::kRun: {
      if (cl.soakEvery > 0) {
        std::vector<SoakSample> samples;
        int rc = RunSoak(cl.run, cl.soakEvery, &samples, &error);
        if (rc != 0) {
          std::fprintf(stderr, "xmt-host: %s\n", error.c_str());
          return rc;
        }
        std::fputs(SoakCsv(samples).c_str(), stdout);
        return 0;
      }
      RunSummary summary;
      int rc = RunStudy(cl.run, &summary, &error);
      if (rc != 0) {
        std::fprintf(stderr, "xmt-host: %s\n", error.c_str());
        return rc;
      }
      std::fputs(DescribeRun(cl.run, summary).c_str(), stdout);
      return 0;
    }
  }
  return 0;
}
