// Shared pieces of the benchmark programs: the study library loaded by file name, host
// folders kept apart from the user's own, the sample bar and text files, synthetic minute bars for the history and instance cases, and the
// instance IDs of the interleaved cases.
//
// Every program reports export cases as "<Export>/export" and the loop without the frame
// (registry look-up, conversions, logging) as "<Export>/bare" in the same run, so that
// scripts/bench_page.py can put their ratio on the performance page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/barfile/bar_file.h"
#include "hostbridge/testing/host_bars.h"
#include "tools/xmt-host/library.h"

// Points XMT_ROOT and XMT_HOST_DIR below out/bench/<name>, so that the libraries' settings,
// logs and folders stay out of the user's own. Call before the first library call.
void IsolateHostFolders(const char* name);

// A sample bar file of testdata/ by file name; exits with a message when it cannot be read.
const BarFile& SampleFile(const char* fileName);

// The whole text of a file of testdata/ (path below it); exits with a message when it
// cannot be read.
std::string SampleText(const char* path);

inline constexpr int kSynthScale = kHostPriceScale;  // HostBar, HostBars: host_bars.h

// `count` one-minute bars from 2 January 2001 00:00 on, every minute of every day, as a
// seeded random walk around 1.0 (same seed, same bars).
std::vector<HostBar> MinuteBars(size_t count, uint32_t seed = 1);

// History cases fill an instance with N bars and this many more before the timing: the bar
// lists grow by 100000 slots at N + 10 for N = 100000 and 1000000, and that one step, which
// comes once in 100000 bars, would otherwise fall into the few thousand bars timed.
inline constexpr size_t kPastGrowth = 20;

// The cases whose figures are judged against each other across sizes (history, instances)
// and the exports that log on every call run this many times; the page gives the median
// and the spread of the runs.
inline constexpr int kRepetitions = 5;

// Iterations of a history case (1000 bars each after the fill), and the bars a history
// case needs for its largest fill: enough bars timed that a repetition takes milliseconds.
inline constexpr int kHistoryIterations = 40;
inline constexpr size_t kHistoryBars = 1000000 + kPastGrowth + kHistoryIterations * 1000;

// A name of its own for each run of a case: "<prefix><n>" with n counting the runs of the
// process from 1, so that a repeated case starts on fresh instances instead of going back
// in the bar numbers of the last run's (which would restart them).
std::string RunName(const std::string& prefix);
// The number n of RunName alone, for cases whose instances are told apart by numbers.
int NextRun(const std::string& prefix);

// Lines in a study library's trace logs so far: every day folder's "<logName>.log" below
// "C:/Database/DO_DER/logs" of the host folders (IsolateHostFolders).
size_t LogLineCount(const char* logName);

// The counter "log_lines_per_bar" of a case that fed `bars` bars while the library's log
// grew from `before` lines to its count now.
template <class State>
void CountLogLines(State& state, const char* logName, size_t before, size_t bars) {
  const size_t after = LogLineCount(logName);
  state.counters["log_lines_per_bar"] =
      bars ? static_cast<double>(after - before) / static_cast<double>(bars) : 0.0;
}

// "BENCH_<prefix>_<i>" for i = 0 .. count - 1.
std::vector<std::string> InstanceIds(const char* prefix, int count);

// A study library of the build loaded by file name, as the platform loads it, with the
// host folders kept apart below out/bench/<folder> first (IsolateHostFolders). A program's
// fixture derives from it, binds its exports and calls Report once.
struct BenchLibrary {
  BenchLibrary(const char* folder, const char* libraryName);
  // Binds the export `name`; a missing one clears ok (the first error is kept).
  template <class F>
  void Bind(const char* name, F* out) {
    ok = ok && BindExport(lib, name, out, &error);
  }
  // A set-up that failed is written to stderr under the program's name.
  void Report(const char* program) const;

  Library lib;
  bool ok = false;
  std::string error;
};

// Items of a case whose every iteration feeds `perPass` bars, so that bars per second show.
template <class State>
void CountBars(State& state, size_t perPass) {
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(perPass));
}

// In a benchmark body: skip it with a message when the fixture f could not load its library
// or data (f.ok false).
#define NEED_LIBRARY(f) \
  if (!(f).ok) return state.SkipWithError("library or data missing")
