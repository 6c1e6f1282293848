// A study library unloaded from a running process gives its trace log back: the file is
// committed and closed, and the library's lines are all in it. (A program of its own: the
// other tests keep their libraries loaded for the life of the process, as the platform does.)
#include <gtest/gtest.h>

#include <string>

#include "common/platform/modules.h"
#include "common/testing/loaded_library.h"
#include "common/testing/log_capture.h"
#include "common/testing/open_files.h"
#include "common/testing/test_dirs.h"
#include "pattern/xmt_pattern.h"

namespace {

TEST(LibraryUnload, TheTraceLogIsClosedAndKeepsEveryLine) {
  const std::string log = TodaysLibraryLogPath("XMT_PATTERN");
  for (int round = 0; round < 2; ++round) {
    void* library = LoadModule((TestProgramFolder() + XMT_PATTERN_FILE_NAME).c_str());
    ASSERT_NE(library, nullptr);
    auto addBar = reinterpret_cast<XMT_ZZ_AddBar_fn>(ModuleSymbol(library, "XMT_ZZ_AddBar"));
    ASSERT_NE(addBar, nullptr);
    const std::string id = "UNLOAD" + std::to_string(round);
    int price = 5000;
    ASSERT_EQ(addBar(1, id.c_str(), 1150218, 930, 1, 100, &price, &price, &price, &price, 0), 0);
    EXPECT_TRUE(FileOpenInThisProcess(log)) << "round " << round;  // the log is in use
    UnloadModule(library);
    EXPECT_FALSE(FileOpenInThisProcess(log)) << "round " << round;
    EXPECT_NE(ReadWholeFile(log).find("ID=" + id + ", Bar=-1 -> 1"), std::string::npos)
        << "round " << round;
  }
}

}  // namespace
