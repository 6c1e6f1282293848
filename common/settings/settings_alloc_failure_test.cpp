// The settings file and the trace log with every allocation failing in turn: a failure while
// the settings file is locked must leave it unlocked and closed (a lock left behind makes the
// next write, and every log line after it, wait for ever), and the trace log's first line
// may need memory it cannot have.
#include <gtest/gtest.h>

#include <chrono>
#include <new>
#include <string>

#include "common/settings/settings.h"
#include "common/settings/trace_log.h"
#include "common/testing/injection_run.h"

namespace {

// A section of this program run's own: the settings file outlives the run.
const std::string& Section() {
  static const std::string section =
      "AllocFailure" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
  return section;
}

// A settings read, -1 when memory ran out (the exports' guard catches what it throws).
int Read(const char* key, int def) {
  try {
    return ReadIniInt(Section().c_str(), key, def);
  } catch (const std::bad_alloc&) {
    return -1;
  }
}

TEST(SettingsAllocFailure, AFailedReadOrWriteLeavesNoLockBehind) {
  Section();
  ExpectSoundRuns("settings", RunWithAllocationFailures("Key", [](const char* id,
                                                                  InjectionOutcomes& out) {
    // A missing key is read (shared lock) and written back (exclusive lock), then read
    // again (a write-back that found no memory leaves the default in force).
    out.Note(Read(id, 7), -1);
    out.Note(Read(id, 7), -1);
  }));
}

TEST(SettingsAllocFailure, TheTraceLogOpensOrStaysQuiet) {
  ExpectSoundRuns("trace log", RunWithAllocationFailures("Log", [](const char*,
                                                                   InjectionOutcomes& out) {
    TraceLogResetForTest();
    out.Note(LogTrace("Alloc", 1, "line %d", 1), 0);
    out.Note(LogTrace("Alloc", 1, "line %d", 2), 0);
  }));
}

}  // namespace
