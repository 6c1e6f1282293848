// The MIDI device of a library at the library's end, under Wine with the in-process driver
// inside a probe library: a library with an open device stays loaded when a running process
// unloads it (no wait in the loader, no worker left without its code); when the process ends
// with the device open, nothing waits.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "common/platform/modules.h"
#include "common/platform/platform.h"
#include "common/testing/loaded_library.h"

namespace {

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

TEST(MidiUnloadWine, ALibraryWithAnOpenDeviceStaysLoadedUntilTheProcessEnds) {
  // Unloaded right after opening, again and again: the library stays loaded with its device
  // open and its worker running (no unload waits for the worker, none leaves it without its
  // code), and loading it again gives the same library, whose device opens anew.
  void* first = nullptr;
  int report[2] = {-1, -1};
  for (int round = 0; round < 5; ++round) {
    void* probe = LoadModule((TestProgramFolder() + PROBE_FILE_NAME).c_str());
    ASSERT_NE(nullptr, probe);
    if (round == 0) first = probe;
    EXPECT_EQ(first, probe) << "round " << round;
    auto open = reinterpret_cast<int (*)(int*)>(ModuleSymbol(probe, "ProbeOpen"));
    ASSERT_NE(nullptr, open);
    ASSERT_EQ(0, open(report)) << "round " << round;
    UnloadModule(probe);
    EXPECT_EQ(-1, report[0]) << "round " << round;  // not unloaded: nothing was reported
  }
}

TEST(MidiUnloadWine, EndingTheProcessWithTheDeviceOpenDoesNotWait) {
  const std::string stampFile = TestProgramFolder() + "midi_exit_stamp.txt";
  std::remove(stampFile.c_str());
  const std::string command = "\"" + TestProgramFolder() + CHILD_FILE_NAME + "\" \"" +
                              TestProgramFolder() + PROBE_FILE_NAME + "\" \"" + stampFile + "\"";
  PlatformStart opts;
  opts.wait = true;
  unsigned long exitCode = 99;
  ASSERT_EQ(0, Platform::Default().StartProcess(command.c_str(), opts, &exitCode));
  const long long ended = NowMs();
  ASSERT_EQ(0ul, exitCode);
  FILE* f = std::fopen(stampFile.c_str(), "r");
  ASSERT_NE(nullptr, f);
  long long stamped = 0;
  ASSERT_EQ(1, std::fscanf(f, "%lld", &stamped));
  std::fclose(f);
  // From the last line of main to the end seen here (the end is polled every 100 ms).
  EXPECT_LT(ended - stamped, 400) << "the process took that long to end";
}

}  // namespace
