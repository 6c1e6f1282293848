// Time per trace log line: formatted by LogTrace and written to the day's log, with the
// default commit rule (a commit to disk after every 21 lines or 10 seconds) and with
// "LogFileFlushOnEach"=YES (a commit after every line); and the default rule once more with
// the log on a memory file system (/dev/shm), where a commit costs next to nothing, which
// leaves what formatting and writing a line cost. Wall-clock time: the commit waits for the
// disk, not the processor.
//
//   build/release/bin/log_bench
#include <benchmark/benchmark.h>

#include <string>

#include "bench/bench_kit.h"
#include "common/platform/modules.h"
#include "common/settings/deliverable.h"
#include "common/settings/settings.h"
#include "common/settings/trace_log.h"

namespace {

// A library's log ("C:/Database/DO_DER/logs/<day>/XMT_BENCH.log" below XMT_ROOT).
// memoryRoot: put the host's drive folders on /dev/shm instead of out/bench/log/root.
void Configure(const char* flushOnEach, bool memoryRoot = false) {
  static bool once = [] {
    IsolateHostFolders("log");
    DeliverableConfig config;
    config.variant = DeliverableVariant::Library;
    config.logName = "XMT_BENCH";
    SetDeliverableConfig(config);
    return true;
  }();
  (void)once;
  static const std::string diskRoot = "out/bench/log/root";
  SetEnvironmentValue("XMT_ROOT", memoryRoot ? "/dev/shm/xmt_log_bench" : diskRoot.c_str());
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
BENCHMARK(BM_LogLine_default)->UseRealTime();

void BM_LogLine_flushEach(benchmark::State& state) {
  Configure("YES");
  LogLines(state);
}
BENCHMARK(BM_LogLine_flushEach)->UseRealTime();

void BM_LogLine_memoryDisk(benchmark::State& state) {
  Configure("NO", true);
  LogLines(state);
  Configure("NO");  // the lines of later cases go to the disk again
}
BENCHMARK(BM_LogLine_memoryDisk)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
