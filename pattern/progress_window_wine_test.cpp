// Progress display against a real window (win64 under Wine): a peer program plays the
// BarGaugeView window and records the text it is sent.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "common/platform/platform.h"
#include "common/testing/test_dirs.h"
#include "pattern/progress_window.h"

namespace {

std::string PeerPath() {
  std::string self = Platform::Default().ModulePath();
  size_t slash = self.find_last_of("/\\");
  return (slash == std::string::npos ? std::string() : self.substr(0, slash + 1)) +
         "progress_peer.exe";
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
    std::string command = "\"" + PeerPath() + "\" \"" + out + "\"";
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
