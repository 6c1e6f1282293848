// XMT_MOMENTUM from the outside: loaded by file name, exports called by name.

#include <gtest/gtest.h>

#include <string>

#include "common/testing/loaded_library.h"
#include "common/testing/log_capture.h"
#include "common/testing/test_dirs.h"
#include "momentum/testing/utc_block.h"
#include "momentum/xmt_momentum.h"
#include "studycore/barmgr/testing/data_drive.h"

namespace {

class MomentumExportsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { PresetDataDrive(); }
  void SetUp() override {
    ASSERT_TRUE(lib.Loaded()) << lib.Error();
    ASSERT_NE(utc, nullptr);
    ASSERT_NE(patDetect, nullptr);
  }
  // Flat bars on intraday 5-minute bars; look-back and smoothing as given.
  float Flat(const char* symbol, int barNumber, float price, int lookBack = 2,
             int smooth = 0) {
    block.Setup(1, 5, lookBack, smooth).Flat(barNumber, price);
    return utc(symbol, block.slots);
  }

  static LoadedLibrary lib;
  static XMT_UTC_fn utc;
  static XMT_PatDetect_fn patDetect;
  UtcBlock block;
};

LoadedLibrary MomentumExportsTest::lib(XMT_MOMENTUM_FILE_NAME);
XMT_UTC_fn MomentumExportsTest::utc = lib.Get<XMT_UTC_fn>("XMT_UTC");
XMT_PatDetect_fn MomentumExportsTest::patDetect = lib.Get<XMT_PatDetect_fn>("XMT_PatDetect");

TEST_F(MomentumExportsTest, UtcThroughTheExport) {
  EXPECT_EQ(Flat("ExpES", 1, 100), 0.0f);
  EXPECT_EQ(Flat("ExpES", 2, 101), static_cast<float>((101.0 / 100.0 - 1) * 1000));
  EXPECT_NEAR(Flat("expes", 3, 102), 24.043f, 0.001f);  // the symbol's case does not matter
  EXPECT_EQ(block.UpdateFlag(), 0.0f);
  EXPECT_EQ(block.Result(), Flat("ExpES", 3, 102));
  EXPECT_EQ(block.UpdateFlag(), 1.0f);
  EXPECT_TRUE(block.UnusedHalvesIntact());

  // Failures: bar type without a name, no block, no symbol.
  block.Setup(6, 5, 2, 0);
  EXPECT_EQ(utc("ExpES", block.slots), -1.0f);
  EXPECT_EQ(utc("ExpES", nullptr), -1.0f);
  block.Setup(1, 5, 2, 0);
  EXPECT_EQ(utc(nullptr, block.slots), -2.0f);

  const std::string log = ReadWholeFile(TodaysLibraryLogPath("XMT_F2", HostProgramFolder().c_str()));
  EXPECT_NE(log.find("ID=XMTMom_ExpES_Intra0005 Last=0, New=1"), std::string::npos)
      << TodaysLibraryLogPath("XMT_F2", HostProgramFolder().c_str());
  EXPECT_NE(log.find("Missing Bar Details Sym=ExpES, Invalid BarType 6 (Int 5)"),
            std::string::npos);
}

TEST_F(MomentumExportsTest, PatDetect) {
  ScopedTempDir dir("momentum_exports");
  const std::string file = dir.File("pattern.txt");
  ASSERT_TRUE(WriteWholeFile(file, "one\ntwo\n"));
  EXPECT_EQ(patDetect(0, file.c_str()), 0);
  EXPECT_EQ(patDetect(1, file.c_str()), 0);
  EXPECT_EQ(patDetect(0, nullptr), -9);
}

}  // namespace
