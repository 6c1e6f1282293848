// XMT_PATTERN from the outside: loaded by file name, exports called by name.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "common/testing/log_capture.h"
#include "common/testing/test_dirs.h"
#include "pattern/testing/library_under_test.h"
#include "studycore/barmgr/testing/data_drive.h"

namespace {

std::string LibraryPath() { return TestProgramFolder() + XMT_PATTERN_FILE_NAME; }

class ExportsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { PresetDataDrive(); }
  void SetUp() override { ASSERT_TRUE(lib.Complete()) << lib.Error(); }

  // One daily bar on day `day` of April 2015; prices in cents.
  int AddZZ(const char* id, int barNumber, int day, int high, int low, int progress = 1) {
    const int open = low, close = high;
    return lib.zzAddBar(progress, id, 1150400 + day, 1600, barNumber, 100, &open, &high, &low,
                        &close, 1000);
  }

  static PatternLibrary lib;
};

PatternLibrary ExportsTest::lib(LibraryPath());

TEST_F(ExportsTest, EntryChecksAndBarIndexes) {
  const int p = 100;
  EXPECT_EQ(-1, lib.zzAddBar(1, "E", 899999, 930, 1, 100, &p, &p, &p, &p, 0));
  EXPECT_EQ(-2, lib.zzAddBar(1, nullptr, 1150415, 930, 1, 100, &p, &p, &p, &p, 0));
  EXPECT_EQ(-2, lib.patternAddBar(1, nullptr, 1150415, 930, 1, 100, &p, &p, &p, &p, 0));
  EXPECT_EQ(-2, lib.zzCalcPiv(0, nullptr, 1, 2, 2, nullptr));

  EXPECT_EQ(0, AddZZ("Exp_A", 1, 1, 500, 400));
  EXPECT_EQ(1, AddZZ("EXP_a", 2, 2, 600, 500));
  EXPECT_EQ(1, AddZZ("exp_a", 2, 2, 600, 500));  // same bar again
  EXPECT_EQ(2, AddZZ("Exp_A", 3, 3, 700, 600));

  EXPECT_EQ(0, lib.patternAddBar(1, "Exp_P", 1150415, 930, 10, 100, &p, &p, &p, &p, 0));
  EXPECT_EQ(1, lib.patternAddBar(1, "Exp_P", 1150416, 930, 20, 100, &p, &p, &p, &p, 0));
  EXPECT_EQ(2, lib.patternAddBar(1, "Exp_P", 1150416, 930, 2, 100, &p, &p, &p, &p, 0));

  // Scale 0: prices are not read (null pointers are fine).
  EXPECT_EQ(0, lib.zzAddBar(1, "Exp_Null", 1150415, 930, 1, 0, nullptr, nullptr, nullptr,
                            nullptr, 0));
  // Garbage date and time are stored as cleared fields without harm.
  EXPECT_EQ(1, lib.zzAddBar(1, "Exp_Null", 2147483647, -2147483647 - 1, 2, 1, &p, &p, &p, &p,
                            -1));
}

TEST_F(ExportsTest, CalcPivFillsOnlyTheFirstFourBytesOfEachSlot) {
  const int highs[] = {500, 600, 900, 700, 800};
  int pos = 0;
  for (int i = 0; i < 5; ++i) pos = AddZZ("Exp_Piv", i + 1, i + 1, highs[i], highs[i] - 100) + 1;
  EXPECT_EQ(5, pos);

  XmtSlot block[12];
  std::memset(block, 0x77, sizeof block);
  EXPECT_EQ(1, lib.zzCalcPiv(0, "exp_piv", pos, 2, 2, block));
  EXPECT_EQ(2.0f, block[0].value);
  EXPECT_EQ(9.0f, block[1].value);
  EXPECT_EQ(1.0f, block[2].value);
  EXPECT_EQ(2.0f, block[3].value);
  EXPECT_EQ(0.0f, block[8].value);  // no pivot low yet
  for (const XmtSlot& s : block) EXPECT_EQ(0x77777777, s.unused);
  uint32_t bits;
  std::memcpy(&bits, &block[4].value, 4);
  EXPECT_EQ(0x77777777u, bits);

  // Called again for the same bar: the same pivot, nothing new.
  EXPECT_EQ(1, lib.zzCalcPiv(0, "Exp_Piv", pos, 2, 2, nullptr));
  // Window lengths out of range are replaced, not refused.
  EXPECT_EQ(0, lib.zzCalcPiv(0, "Exp_Piv", pos, 0, 150, block));
}

TEST_F(ExportsTest, BannerGoesToTheLibrarysOwnLog) {
  AddZZ("Exp_Log", 1, 1, 500, 400);
  const std::string path = TodaysLibraryLogPath("XMT_PATTERN");
  std::string log = ReadWholeFile(path);
  EXPECT_NE(std::string::npos,
            log.find("Starting Pivot Pattern Recognition Engine (VUZU) (Ver 1.1d, 1.2e Apr 15 "
                     "2015 10:49:04), ID=Exp_Log, Bar=-1 -> 1"))
      << path;
}

// Two copies of the library in one process keep separate registries.
TEST_F(ExportsTest, TwoLoadedCopiesDoNotShareInstances) {
  namespace fs = std::filesystem;
  const fs::path original(LibraryPath());
  const fs::path copy = fs::current_path() / ("copy_" + original.filename().string());
  std::error_code ec;
  fs::remove(copy, ec);  // MinGW's copy_file does not overwrite, whatever the options say
  fs::copy_file(original, copy, fs::copy_options::overwrite_existing, ec);
  ASSERT_FALSE(ec) << ec.message();
  {
    PatternLibrary second(copy.string());
    ASSERT_TRUE(second.Complete()) << second.Error();
    ASSERT_NE(lib.Handle(), second.Handle());
    const int p = 100;
    for (int n = 1; n <= 3; ++n) AddZZ("Shared_Id", n, n, 500, 400);
    EXPECT_EQ(0, second.zzAddBar(1, "Shared_Id", 1150401, 1600, 1, 100, &p, &p, &p, &p, 0));
    EXPECT_EQ(3, AddZZ("Shared_Id", 4, 4, 500, 400));
  }
  fs::remove(copy, ec);
}

}  // namespace
