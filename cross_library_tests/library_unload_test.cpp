// A study library unloaded from a running process gives its trace log back: the file is
// committed and closed, and the library's lines are all in it. (A program of its own, in a
// folder of its own on Windows, where XMT_MOMENTUM writes its log: the other tests keep their
// libraries loaded for the life of the process, as the platform does, and would hold a
// shared log open.)
#include <gtest/gtest.h>

#include <string>

#include "common/platform/modules.h"
#include "common/testing/loaded_library.h"
#include "common/testing/log_capture.h"
#include "common/testing/open_files.h"
#include "common/testing/test_dirs.h"
#include "momentum/testing/utc_block.h"
#include "momentum/xmt_momentum.h"

#ifndef XMT_MOMENTUM_PATH
#define XMT_MOMENTUM_PATH ""
#endif

namespace {

TEST(LibraryUnload, TheTraceLogIsClosedAndKeepsEveryLine) {
  const std::string path = *XMT_MOMENTUM_PATH ? std::string(XMT_MOMENTUM_PATH)
                                              : TestProgramFolder() + XMT_MOMENTUM_FILE_NAME;
  const std::string log = TodaysLibraryLogPath("XMT_F2", HostProgramFolder().c_str());
  for (int round = 0; round < 2; ++round) {
    void* library = LoadModule(path.c_str());
    ASSERT_NE(library, nullptr) << path;
    auto utc = reinterpret_cast<XMT_UTC_fn>(ModuleSymbol(library, "XMT_UTC"));
    ASSERT_NE(utc, nullptr);
    const std::string symbol = "UNLOAD" + std::to_string(round);
    UtcBlock block;
    block.Setup(1, 5, 2, 0).Flat(1, 100);
    EXPECT_EQ(utc(symbol.c_str(), block.slots), 0.0f);
    EXPECT_TRUE(FileOpenInThisProcess(log)) << "round " << round;  // the log is in use
    UnloadModule(library);
    EXPECT_FALSE(FileOpenInThisProcess(log)) << "round " << round;
    EXPECT_NE(ReadWholeFile(log).find("ID=XMTMom_" + symbol + "_Intra0005 Last=0, New=1"),
              std::string::npos)
        << "round " << round;
  }
}

}  // namespace
