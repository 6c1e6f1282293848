// The status text: refreshed only when it differs without regard to case, fed by the trace
// log also while the log is switched off, and shared by an appending worker thread and a
// reading window thread (the asan build sees any unguarded access to its memory).
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "common/settings/deliverable.h"
#include "common/settings/settings.h"
#include "common/settings/trace_log.h"
#include "common/testing/test_dirs.h"
#include "installer/status_text.h"

namespace {

TEST(StatusText, RefreshCopiesOnlyATextThatDiffersBeyondCase) {
  CStatusText status;
  std::string shown;
  EXPECT_FALSE(status.Refresh(&shown));  // both empty
  status.Append("Installed PLA module:\r\n  C:\\a.pla (0)");
  status.Append(nullptr);
  ASSERT_TRUE(status.Refresh(&shown));
  EXPECT_EQ(shown, "Installed PLA module:\r\n  C:\\a.pla (0)\r\n");
  shown = "INSTALLED PLA MODULE:\r\n  c:\\A.PLA (0)\r\n";
  EXPECT_FALSE(status.Refresh(&shown));
  EXPECT_EQ(shown, "INSTALLED PLA MODULE:\r\n  c:\\A.PLA (0)\r\n");
  shown.pop_back();
  EXPECT_TRUE(status.Refresh(&shown));
  EXPECT_EQ(shown, status.Get());
  EXPECT_FALSE(status.Refresh(nullptr));
}

TEST(StatusText, WorkerAppendsThroughTheLogWhileTheWindowThreadReads) {
  ScopedTempDir dir("status");
  const std::string ini = dir.File("Rollout.ini");
  // The log switched off: the status text still gets every message.
  ASSERT_TRUE(WriteWholeFile(ini, "[RELEASE]\r\nWriteLog=NO\r\n"));
  const DeliverableConfig saved = GetDeliverableConfig();
  SettingsResetForTest(ini.c_str());
  TraceLogResetForTest();
  SetDeliverableConfig(RolloutConfig(RolloutStatusSink));
  RolloutStatus().Clear();

  constexpr int kMessages = 3000;
  std::atomic<bool> reading{false};
  std::atomic<bool> done{false};
  std::thread worker([&] {
    while (!reading) std::this_thread::yield();
    for (int i = 0; i < kMessages; ++i) LogTrace("Rollout", 1, "step %d\r\n  of two lines", i);
    done = true;
  });
  std::string shown;
  bool whole = true;
  reading = true;
  while (!done) {
    if (RolloutStatus().Refresh(&shown)) {
      whole = whole && shown.size() >= 2 && shown.compare(shown.size() - 2, 2, "\r\n") == 0;
    }
  }
  worker.join();
  RolloutStatus().Refresh(&shown);

  std::string expected;
  for (int i = 0; i < kMessages; ++i) {
    expected += "step " + std::to_string(i) + "\r\n  of two lines\r\n";
  }
  EXPECT_EQ(shown, expected);
  EXPECT_TRUE(whole) << "a reader saw half a message";

  RolloutStatus().Clear();
  TraceLogResetForTest();
  SettingsResetForTest();
  SetDeliverableConfig(saved);
}

}  // namespace
