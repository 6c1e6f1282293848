// XMT_PATTERN and XMT_MOMENTUM loaded into one process: the same ID names a different bar
// manager in each (each library links its own copy of the bar manager and its registry),
// and each library writes its own log.

#include <gtest/gtest.h>

#include <string>

#include "common/testing/loaded_library.h"
#include "common/testing/log_capture.h"
#include "common/testing/test_dirs.h"
#include "cross_library_tests/library_rows.h"
#include "momentum/testing/utc_block.h"
#include "momentum/xmt_momentum.h"
#include "pattern/xmt_pattern.h"

namespace {

TEST(TwoLibraries, PatternAndMomentumEachKeepTheirOwnBarManagers) {
  const LoadedLibrary& momentum = XMT_LOADED(XMT_MOMENTUM);
  const LoadedLibrary& pattern = XMT_LOADED(XMT_PATTERN);
  ASSERT_TRUE(momentum.Loaded()) << momentum.Error();
  ASSERT_TRUE(pattern.Loaded()) << pattern.Error();
  auto utc = momentum.Get<XMT_UTC_fn>("XMT_UTC");
  auto zzAddBar = pattern.Get<XMT_ZZ_AddBar_fn>("XMT_ZZ_AddBar");
  ASSERT_NE(utc, nullptr);
  ASSERT_NE(zzAddBar, nullptr);
  UtcBlock block;
  // Flat intraday 5-minute bars, look-back 2, no smoothing.
  auto momentumBar = [&](int barNumber, float price) {
    block.Setup(1, 5, 2, 0).Flat(barNumber, price);
    return utc("Both", block.slots);
  };
  const char* id = "XMTMom_Both_Intra0005";  // the manager XMT_UTC uses for "Both"
  auto patternBar = [&](int barNumber, int price) {
    return zzAddBar(1, id, 1150218, 930, barNumber, 100, &price, &price, &price, &price, 0);
  };

  EXPECT_EQ(momentumBar(1, 100), 0.0f);
  EXPECT_EQ(patternBar(1, 5000), 0);  // the first bar of XMT_PATTERN's manager
  EXPECT_EQ(patternBar(2, 7000), 1);
  EXPECT_EQ(momentumBar(2, 101), static_cast<float>((101.0 / 100.0 - 1) * 1000));
  EXPECT_EQ(patternBar(3, 9000), 2);
  EXPECT_NEAR(momentumBar(3, 102), 24.043f, 0.001f);  // only its own three bars

  const std::string momentumLog = ReadWholeFile(TodaysLibraryLogPath("XMT_F2", HostProgramFolder().c_str()));
  const std::string patternLog = ReadWholeFile(TodaysLibraryLogPath("XMT_PATTERN"));
  EXPECT_NE(momentumLog.find("ID=XMTMom_Both_Intra0005 Last=0, New=1"), std::string::npos);
  EXPECT_EQ(momentumLog.find("ID=XMTMom_Both_Intra0005, Bar="), std::string::npos);
  EXPECT_NE(patternLog.find("ID=XMTMom_Both_Intra0005, Bar=-1 -> 1"), std::string::npos);
  EXPECT_EQ(patternLog.find("Starting UTC Module"), std::string::npos);
}

}  // namespace
