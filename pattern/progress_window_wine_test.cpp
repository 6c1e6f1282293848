// Progress display against a real window (win64 under Wine): a peer program plays the
// BarGaugeView window and records the text it is sent.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "common/platform/platform.h"
#include "common/testing/test_dirs.h"
#include "pattern/progress_window.h"

namespace {

// The peer sits beside this test program. (Built with append: g++ 12 at -O3 gives a false
// -Wrestrict warning on some std::string operator+ chains.)
std::string PeerPath() {
  std::string path = Platform::Default().ModulePath();
  size_t slash = path.find_last_of("/\\");
  path.resize(slash == std::string::npos ? 0 : slash + 1);
  path.append("progress_peer.exe");
  return path;
}

TEST(ProgressWindowWine, PeerWindowReceivesTheLineThenMissingWindowGivesMinusOne) {
  Platform& platform = Platform::Default();
  ScopedTempDir dir("progress");
  const std::string out = dir.File("peer.out");
  SetProgressDisplay(1);

  long started = -1;
  unsigned long exitCode = 99;
  std::thread runner([&] {
    PlatformStart opts;
    opts.wait = true;
    std::string command = "\"";
    command.append(PeerPath()).append("\" \"").append(out).append("\"");
    started = platform.StartProcess(command.c_str(), opts, &exitCode);
  });
  void* window = nullptr;
  for (int i = 0; i < 200 && !window; ++i) {
    window = platform.FindTopWindow("#32770", "BARGAUGEVIEW");
    if (!window) platform.SleepMs(50);
  }
  EXPECT_NE(window, nullptr) << "peer window did not appear";
  if (window) {
    EXPECT_EQ(UpdateProgressWindow("Processing Data (Date=20150415 Time=0930)", -1, 100000), 0);
  }
  runner.join();  // the peer exits once it has the command (or after its own time-out)
  EXPECT_EQ(started, 0);
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(ReadWholeFile(out), "0.0\t0 of 100000 - Processing Data (Date=20150415 Time=0930)");

  // With the peer gone the program is started by name; no such program here, so the
  // search runs out.
  EXPECT_EQ(UpdateProgressWindow("x", 99, 100000), -1);
  SetProgressDisplay(0);
  EXPECT_EQ(UpdateProgressWindow("x", 99, 100000), 99);
  SetProgressDisplay(1);
}

}  // namespace
