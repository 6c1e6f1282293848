// Time per trace log line, and what its commit to disk costs.
//
// Lines: FindGem's "ret=" line (107 characters with the category, date and time columns,
// the program variant's layout) through LogTrace into the day's log on the disk, with the
// default commit rule (a commit after every 21 lines or 10 seconds), with
// "LogFileFlushOnEach"=YES (a commit after every line), and with the commits left out (a
// platform that skips them), which leaves the line's own cost: formatting it and its one
// write.
//
// Commits: 21 such lines written, then the file committed with fdatasync or with fsync,
// the two calls that could serve the log on Linux (Windows has _commit only).
//
// Wall-clock time is measured (the commit waits for the disk); the page shows processor
// time beside it.
//
//   build/release/bin/log_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench/bench_kit.h"
#include "common/platform/disk_commit.h"
#include "common/platform/modules.h"
#include "common/settings/deliverable.h"
#include "common/settings/settings.h"
#include "common/settings/trace_log.h"
#include "common/testing/platform_wrapper.h"

namespace {

constexpr int kLinesPerCommit = 21;  // the default rule's batch

// The host's drive folders below out/bench/log/root; the program variant's columns.
void Configure(const char* flushOnEach) {
  static bool once = [] {
    IsolateHostFolders("log");
    DeliverableConfig config;
    config.variant = DeliverableVariant::Program;
    config.logBaseDir = "C:/Database/DO_DER";
    config.logName = "XMT_BENCH";
    SetDeliverableConfig(config);
    return true;
  }();
  (void)once;
  WriteIniString("SYS", "LogFileFlushOnEach", flushOnEach);
  TraceLogResetForTest();  // the next line opens the log and reads the setting again
  LogTrace("Bench", 1, "Log opened for %s", flushOnEach);
}

void LogLines(benchmark::State& state) {
  int n = 0;
  for (auto _ : state) {
    ++n;
    LogTrace("FindGem", 0, "ret=%4d, Long=%10.4f+ %10.4f-, Short=%10.4f+ %10.4f-", n, 1.25, 0.5,
             0.75, 2.0);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_LogLine_default(benchmark::State& state) {
  Configure("NO");
  LogLines(state);
}
BENCHMARK(BM_LogLine_default)->UseRealTime()->Repetitions(kRepetitions);

void BM_LogLine_flushEach(benchmark::State& state) {
  Configure("YES");
  LogLines(state);
}
BENCHMARK(BM_LogLine_flushEach)->UseRealTime()->Repetitions(kRepetitions);

// The platform as it is, but commits do nothing.
class NoCommits : public PlatformWrapper {
 public:
  void CommitFile(FILE*) override {}
};

void BM_LogLine_noCommit(benchmark::State& state) {
  NoCommits noCommits;
  ScopedPlatform scope(noCommits);
  Configure("NO");
  LogLines(state);
}
BENCHMARK(BM_LogLine_noCommit)->UseRealTime()->Repetitions(kRepetitions);

void Commits(benchmark::State& state, DiskCommitCall call) {
  Platform& p = Platform::Default();
  const std::string path = p.NativePath("C:/Database/DO_DER/logs/commit_bench.log");
  FILE* file = std::fopen(path.c_str(), "ab");
  if (!file) return state.SkipWithError("cannot open the commit file");
  const std::string line = "FindGem         |151231|23:59:58.998 |ret=   1, Long=    1.2500+"
                           "     0.5000-, Short=    0.7500+     2.0000-\r\n";
  for (auto _ : state) {
    for (int i = 0; i < kLinesPerCommit; ++i) p.WriteRaw(file, line.data(), line.size());
    if (!CommitToDisk(file, call)) state.SkipWithError("commit failed");
  }
  std::fclose(file);
  state.SetItemsProcessed(state.iterations());
}

void BM_Commit_fdatasync(benchmark::State& state) {
  Configure("NO");  // folders and settings as for the lines
  Commits(state, DiskCommitCall::DataOnly);
}
BENCHMARK(BM_Commit_fdatasync)->UseRealTime()->Repetitions(kRepetitions);

void BM_Commit_fsync(benchmark::State& state) {
  Configure("NO");
  Commits(state, DiskCommitCall::Full);
}
BENCHMARK(BM_Commit_fsync)->UseRealTime()->Repetitions(kRepetitions);

}  // namespace

BENCHMARK_MAIN();
