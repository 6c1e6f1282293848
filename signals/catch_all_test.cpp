// The catch-alls of XMT_LoadCol and XMT_SaveDataToCsv2: a failure nobody described is
// reported in the caller's text with the state the call had reached, and the call answers as
// it would have (LoadCol: its next-line index; the block writer: the run's counter, with
// the text also in the trace log).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/settings/files.h"
#include "common/testing/log_capture.h"
#include "common/testing/platform_wrapper.h"
#include "common/testing/test_dirs.h"
#include "hostbridge/slot_block.h"
#include "signals/bar_export.h"
#include "signals/load_col.h"
#include "signals/xmt_signals.h"

namespace {

// Throws something that is no std::exception from the clock (every trace line reads it) or
// from making a folder (the load makes its folder first), when asked to.
class ThrowingPlatform : public PlatformWrapper {
 public:
  PlatformTime LocalNow() override {
    if (throwOnClock) throw 1;
    return PlatformWrapper::LocalNow();
  }
  int MakeDir(const char* path) override {
    if (throwOnMakeDir) throw 1;
    return PlatformWrapper::MakeDir(path);
  }
  bool throwOnClock = false;
  bool throwOnMakeDir = false;
};

TEST(LoadColFailure, TheStateTellsHowFarTheCallGot) {
  LogCapture log;
  log.Start("load_col_failure_test");
  const std::string folder = Platform::Default().NativePath("C:/Database/LoadCol");
  MakeDirPath("C:/Database/LoadCol", 0);
  ASSERT_TRUE(WriteWholeFile(folder + "/state.csv", "20150326,0930,1\r\n20150326,0935,2\r\n"));
  ThrowingPlatform platform;
  ScopedPlatform scope(platform);
  CColumnLoader loader;
  float slots[32] = {};
  const SlotBlock block(slots);
  char err[XMT_SIGNALS_ERR_BUF_SIZE];

  // Date 0 is no date: its "Invalid Date" line is the first thing that reads the clock.
  block.Set(0, 0);
  block.Set(1, 930);
  block.Set(7, 1);
  block.Set(11, 3);
  platform.throwOnClock = true;
  EXPECT_EQ(-1, loader.Load("state.csv", block, err));
  EXPECT_STREQ("Internal Error occured (State=2)", err);
  platform.throwOnClock = false;

  block.Set(0, 1150326);
  platform.throwOnMakeDir = true;
  EXPECT_EQ(-1, loader.Load("state.csv", block, err));
  EXPECT_STREQ("Internal Error occured (State=5)", err);
  platform.throwOnMakeDir = false;

  // Loaded, but no line reaches 10:00; the next bar is found, and its line fails.
  block.Set(1, 1000);
  EXPECT_EQ(-3, loader.Load("state.csv", block, err));
  block.Set(1, 930);
  block.Set(7, 2);
  platform.throwOnClock = true;
  EXPECT_EQ(-1, loader.Load("state.csv", block, err));
  EXPECT_STREQ("Internal Error occured (State=8)", err);
  platform.throwOnClock = false;
  EXPECT_EQ(2, loader.Load("state.csv", block, err));  // searched again, all well
}

TEST(BlockWriterFailure, TheStateTellsHowFarTheCallGot) {
  LogCapture log;
  log.Start("csv2_failure_test");
  ThrowingPlatform platform;
  ScopedPlatform scope(platform);
  CBarExport exporter;
  float slots[32] = {1150326, 0, 930};
  const SlotBlock block(slots);
  char err[XMT_SIGNALS_ERR_BUF_SIZE] = "";
  EXPECT_EQ(1, exporter.SaveCsv2("Csv2State", block, err));
  EXPECT_STREQ("", err);
  // Making the export folder fails once the flags are read.
  platform.throwOnMakeDir = true;
  EXPECT_EQ(2, exporter.SaveCsv2("Csv2State", block, err));
  platform.throwOnMakeDir = false;
  EXPECT_STREQ("Internal Error occured (State=3)", err);
  const std::vector<TraceLine> expected = {{"CSV2", 'b', "Internal Error occured (State=3)"}};
  EXPECT_EQ(expected, ParseTraceLines(log.NewLogText()));
}

}  // namespace
