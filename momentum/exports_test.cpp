// XMT_MOMENTUM from the outside: loaded by file name, exports called by name; and loaded
// together with XMT_PATTERN in one process, each with its own registries and log.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/settings/settings.h"
#include "common/testing/loaded_library.h"
#include "common/testing/test_dirs.h"
#include "common/text/txt.h"
#include "momentum/testing/utc_block.h"
#include "momentum/xmt_momentum.h"
#include "pattern/barmgr/testing/data_drive.h"
#include "pattern/xmt_pattern.h"

namespace {

// "<folder>/logs/<today>/<name>.log" as a native path.
std::string TodaysLog(const std::string& folder, const char* name) {
  PlatformTime now = Platform::Default().LocalNow();
  char day[16];
  std::snprintf(day, sizeof day, "%04d%02d%02d", now.year, now.month, now.day);
  return Platform::Default().NativePath((folder + "/logs/" + day + "/" + name + ".log").c_str());
}

// The host program's folder as the libraries see it.
std::string HostFolder() {
  CTxt base;
  GetBaseDir(base);
  return static_cast<const char*>(base);
}

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

  const std::string log = ReadWholeFile(TodaysLog(HostFolder(), "XMT_F2"));
  EXPECT_NE(log.find("ID=XMTMom_ExpES_Intra0005 Last=0, New=1"), std::string::npos)
      << TodaysLog(HostFolder(), "XMT_F2");
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

// XMT_PATTERN beside XMT_MOMENTUM: the same ID names a different bar manager in each, and
// each library writes its own log.
TEST_F(MomentumExportsTest, LoadedBesideXmtPatternEachKeepsItsOwnState) {
  LoadedLibrary pattern(XMT_PATTERN_FILE_NAME);
  ASSERT_TRUE(pattern.Loaded()) << pattern.Error();
  auto zzAddBar = pattern.Get<XMT_ZZ_AddBar_fn>("XMT_ZZ_AddBar");
  ASSERT_NE(zzAddBar, nullptr);
  const char* id = "XMTMom_Both_Intra0005";  // the manager XMT_UTC uses for "Both"
  auto patternBar = [&](int barNumber, int price) {
    return zzAddBar(1, id, 1150218, 930, barNumber, 100, &price, &price, &price, &price, 0);
  };

  EXPECT_EQ(Flat("Both", 1, 100), 0.0f);
  EXPECT_EQ(patternBar(1, 5000), 0);  // the first bar of XMT_PATTERN's manager
  EXPECT_EQ(patternBar(2, 7000), 1);
  EXPECT_EQ(Flat("Both", 2, 101), static_cast<float>((101.0 / 100.0 - 1) * 1000));
  EXPECT_EQ(patternBar(3, 9000), 2);
  EXPECT_NEAR(Flat("Both", 3, 102), 24.043f, 0.001f);  // only its own three bars

  const std::string momentumLog = ReadWholeFile(TodaysLog(HostFolder(), "XMT_F2"));
  const std::string patternLog = ReadWholeFile(TodaysLog("C:/Database/DO_DER", "XMT_PATTERN"));
  EXPECT_NE(momentumLog.find("ID=XMTMom_Both_Intra0005 Last=0, New=1"), std::string::npos);
  EXPECT_EQ(momentumLog.find("ID=XMTMom_Both_Intra0005, Bar="), std::string::npos);
  EXPECT_NE(patternLog.find("ID=XMTMom_Both_Intra0005, Bar=-1 -> 1"), std::string::npos);
  EXPECT_EQ(patternLog.find("Starting UTC Module"), std::string::npos);
}

}  // namespace
