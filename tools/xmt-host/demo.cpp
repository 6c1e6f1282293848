// The demo run of the simulator (see demo.h).
#include "tools/xmt-host/demo.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "common/platform/modules.h"
#include "common/platform/platform.h"
#include "tools/xmt-host/runner.h"

namespace fs = std::filesystem;

namespace {

struct DemoRun {
  const char* study;
  const char* file;
  int left, right;
  const char* pattern;
  int style;
};

// What the demo shows: pivots on daily stocks, two pattern files, the one-call entry and
// the structure check on half-hourly currency quotes.
const DemoRun kRuns[] = {
    {"zigzag", "msft_daily.csv", 5, 5, "", 1},
    {"zigzag", "ttrc_daily.csv", 10, 3, "", 1},
    {"pattern", "ttrc_daily.csv", 5, 5, "XABCD_Bull", 1},
    {"pattern", "msft_daily.csv", 3, 3, "Swing3", 1},
    {"pattern64", "ttrc_daily.csv", 5, 5, "XABCD_Bull", 1},
    {"rs", "usdchf_30min.csv", 10, 10, "", 1},
};

std::string Stamp() {
  PlatformTime t = Platform::Default().LocalNow();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return buf;
}

bool CopyInto(const fs::path& from, const fs::path& to, std::string* error) {
  std::error_code ec;
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
  if (ec) *error = "cannot copy " + from.string() + " to " + to.string() + ": " + ec.message();
  return !ec;
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
  std::vector<std::string> copied;
  for (const DemoRun& r : kRuns) {
    fs::path target = bars / r.file;
    if (fs::exists(target)) continue;
    if (!CopyInto(data / r.file, target, &error)) {
      std::fprintf(stderr, "xmt-host: %s\n", error.c_str());
      return 3;
    }
  }
  for (const DemoRun& r : kRuns) {
    if (!*r.pattern) continue;
    const std::string name = std::string("PR_") + r.pattern + ".txt";
    if (!fs::exists(patterns / name) && !CopyInto(data / "patterns" / name, patterns / name, &error)) {
      std::fprintf(stderr, "xmt-host: %s\n", error.c_str());
      return 3;
    }
  }
  std::printf("XMT host simulator demo in %s\n\n", folder.string().c_str());
  int failures = 0;
  for (const DemoRun& r : kRuns) {
    RunRequest request;
    request.study = r.study;
    request.barFile = (bars / r.file).string();
    request.outDir = results.string();
    request.options.left = r.left;
    request.options.right = r.right;
    request.options.style = r.style;
    request.options.id = std::string("DEMO_") + r.study + "_" + fs::path(r.file).stem().string();
    if (*r.pattern) request.options.pattern = (patterns / (std::string("PR_") + r.pattern + ".txt")).string();
    RunSummary summary;
    int rc = RunStudy(request, &summary, &error);
    if (rc != 0) {
      std::fprintf(stderr, "xmt-host: %s on %s failed: %s\n", r.study, r.file, error.c_str());
      ++failures;
      continue;
    }
    if (*r.pattern) std::printf("pattern %s\n", r.pattern);
    std::fputs(DescribeRun(request, summary).c_str(), stdout);
  }
  std::printf("\nResults (CSV and SVG): %s\n", fs::absolute(results).string().c_str());
  return failures ? 7 : 0;
}
