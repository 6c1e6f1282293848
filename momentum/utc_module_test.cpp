// The UTC momentum module below the export: the momentum sum, new bars against updates of
// the newest bar, the smoothing that replaces an updated bar's value, start and reset with
// their log lines, the failures with theirs, and the stacks freed with the managers.

#include "momentum/utc_module.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <regex>
#include <string>

#include "common/testing/alloc_fault.h"
#include "common/testing/log_capture.h"
#include "momentum/testing/utc_block.h"
#include "studycore/barmgr/bar_mgr.h"
#include "studycore/barmgr/bar_mgr_registry.h"
#include "studycore/barmgr/testing/data_drive.h"
#include "studycore/calc_stack.h"

namespace {

constexpr int kIntraday = 1;

class UtcModuleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { PresetDataDrive(); }
  void SetUp() override {
    SetBarMgrOwnerRelease(UtcFreeStack);
    ReleaseAllBarMgrs();
    log_.Start("utc_module_test");
  }
  void TearDown() override { ReleaseAllBarMgrs(); }

  // Feeds flat bars (all four prices equal) with the given numbers and prices.
  float Flat(const char* sym, int barNumber, float price, int lookBack = 2, int smooth = 0) {
    block_.Setup(kIntraday, 5, lookBack, smooth).Flat(barNumber, price);
    return UtcCalc(sym, block_.slots);
  }
  static CCalcStack* Stack(const char* id) {
    return FindBarMgr(id)->GetObjectSlot<CCalcStack>(0);
  }

  UtcBlock block_;
  LogCapture log_;
};

TEST_F(UtcModuleTest, FirstBarStartsTheModuleAndReturnsZero) {
  EXPECT_EQ(Flat("ES", 1, 100), 0.0f);
  EXPECT_EQ(block_.Result(), 0.0f);
  EXPECT_EQ(block_.UpdateFlag(), 0.0f);
  EXPECT_TRUE(block_.UnusedHalvesIntact());
  const std::string log = log_.NewLogText();
  EXPECT_TRUE(std::regex_search(
      log, std::regex("UTC             \\|.*Starting UTC Module \\(Version 1\\.1a, BM=\\S+ 1\\.2e "
                      "Feb 18 2015 10:36:49\\), ID=XMTMom_ES_Intra0005 Last=0, New=1\r\n")))
      << log;
  EXPECT_EQ(BarMgrCount(), 1);
  EXPECT_EQ(FindBarMgr("xmtmom_es_INTRA0005")->GetBarCount(), 1);
}

TEST_F(UtcModuleTest, MomentumSumWeighsEachEarlierBarByOneOverRootOfDistance) {
  Flat("ES", 1, 100);
  Flat("ES", 2, 101);
  const float s = Flat("ES", 3, 102);
  EXPECT_NEAR(s, 24.043f, 0.001f);
  EXPECT_EQ(s, static_cast<float>((102.0 / 101.0 - 1) * 1000 + (102.0 / 100.0 - 1) * 1000 /
                                                                  std::sqrt(2.0)));
  // A look-back beyond the bars held sums over the bars there are; N <= 0 sums nothing.
  EXPECT_EQ(Flat("ES", 3, 102, 500), s);
  EXPECT_EQ(Flat("ES", 3, 102, 0), 0.0f);
  EXPECT_EQ(Flat("ES", 3, 102, -3), 0.0f);
  EXPECT_EQ(Flat("ES", 3, 102, 1), static_cast<float>((102.0 / 101.0 - 1) * 1000));
}

TEST_F(UtcModuleTest, TypicalPriceCountsTheCloseTwiceAndSkipsBarsWithoutPrice) {
  // P = (low + high + 2 close) / 4: 100 then (96 + 108 + 2 * 102) / 4 = 102.
  block_.Setup(kIntraday, 5, 5, 0).Bar(1150218, 930, 100, 100, 100, 100, 1, 1);
  UtcCalc("TP", block_.slots);
  block_.Bar(1150218, 1000, 0, 0, 0, 0, 1, 2);  // a bar with P = 0 adds nothing
  UtcCalc("TP", block_.slots);
  block_.Bar(1150218, 1030, 99, 108, 96, 102, 1, 3);
  EXPECT_EQ(UtcCalc("TP", block_.slots), static_cast<float>(20.0 / std::sqrt(2.0)));
}

TEST_F(UtcModuleTest, SameBarNumberUpdatesTheNewestBar) {
  Flat("UP", 1, 100, 1);
  EXPECT_NEAR(Flat("UP", 2, 101, 1), 10.0f, 1e-4f);
  EXPECT_EQ(block_.UpdateFlag(), 0.0f);
  EXPECT_NEAR(Flat("UP", 2, 103, 1), 30.0f, 1e-4f);  // the second close alone
  EXPECT_EQ(block_.UpdateFlag(), 1.0f);
  EXPECT_EQ(FindBarMgr("XMTMom_UP_Intra0005")->GetBarCount(), 2);

  // Bar numbers 1 1 2 2 3: three bars added, two updates; the update keeps the bar's
  // date-time and number, and takes the prices without corrections.
  const int numbers[] = {1, 1, 2, 2, 3};
  const float flags[] = {0, 1, 0, 1, 0};
  for (int i = 0; i < 5; ++i) {
    block_.Setup(kIntraday, 5, 1, 0).Bar(1150218, 900 + i, 10, 12, 11, i == 3 ? 0 : 12, 5,
                                         numbers[i]);
    UtcCalc("SEQ", block_.slots);
    EXPECT_EQ(block_.UpdateFlag(), flags[i]) << i;
  }
  const CBarMgr* mgr = FindBarMgr("XMTMom_SEQ_Intra0005");
  ASSERT_EQ(mgr->GetBarCount(), 3);
  EXPECT_EQ(mgr->m_nLastBarNumber, 3);
  const CBarMgrData* second = mgr->GetBar(1);
  EXPECT_EQ(second->dateTime.GetMinute(), 2);  // from the first call with number 2
  EXPECT_EQ(second->open, 10.0f);              // not raised to the low on an update
  EXPECT_EQ(second->close, 0.0f);              // not replaced by the high on an update
  EXPECT_EQ(mgr->GetBar(2)->open, 11.0f);      // a new bar is corrected
}

TEST_F(UtcModuleTest, SmoothingReplacesAnUpdatedBarsContribution) {
  // Sums 0, 10, 20 with L = 3 give 0, 5, 12.5; the third bar updated to a sum of 30 gives
  // 17.5 (from 5, not from 12.5).
  const float p2 = 101.0f, p3 = 101.0f * 1.02f, p3b = 101.0f * 1.03f;
  EXPECT_EQ(Flat("SM", 1, 100, 1, 3), 0.0f);
  EXPECT_NEAR(Flat("SM", 2, p2, 1, 3), 5.0f, 1e-4f);
  EXPECT_NEAR(Flat("SM", 3, p3, 1, 3), 12.5f, 1e-4f);
  EXPECT_NEAR(Flat("SM", 3, p3b, 1, 3), 17.5f, 1e-4f);
  EXPECT_NEAR(Flat("SM", 3, p3b, 1, 3), 17.5f, 1e-4f);  // the same update again
  EXPECT_EQ(block_.Result(), Flat("SM", 3, p3b, 1, 3));
  const CBarMgr* mgr = FindBarMgr("XMTMom_SM_Intra0005");
  EXPECT_NEAR(mgr->m_fValues[0], 17.5f, 1e-4f);
  EXPECT_NEAR(mgr->m_fValues[1], 5.0f, 1e-4f);
  EXPECT_EQ(Stack("XMTMom_SM_Intra0005")->nLength, 3u);
}

TEST_F(UtcModuleTest, SmoothingLengthIsFixedAtTheStart) {
  struct Case {
    int length;
    unsigned stackLength;
  } cases[] = {{-4, 0}, {0, 0}, {1, 0}, {2, 2}, {1000001, 0}};
  for (const Case& c : cases) {
    ReleaseAllBarMgrs();
    Flat("LEN", 1, 100, 1, c.length);
    EXPECT_EQ(Stack("XMTMom_LEN_Intra0005")->nLength, c.stackLength) << c.length;
    // Unsmoothed: the raw sum, whatever length later calls pass.
    if (c.stackLength == 0) {
      EXPECT_NEAR(Flat("LEN", 2, 101, 1, 5), 10.0f, 1e-4f) << c.length;
    }
  }
}

TEST_F(UtcModuleTest, LowerBarNumberResetsAndStartsAfresh) {
  for (int n = 1; n <= 50; ++n) Flat("RS", n, 100.0f + static_cast<float>(n), 3, 4);
  CCalcStack* before = Stack("XMTMom_RS_Intra0005");
  ASSERT_NE(before, nullptr);
  log_.NewLogText();
  EXPECT_EQ(Flat("RS", 1, 100, 3, 4), 0.0f);
  const std::string log = log_.NewLogText();
  const size_t reset = log.find("|Reset Run Last=50, New=1 (XMTMom_RS_Intra0005)\r\n");
  const size_t start = log.find("ID=XMTMom_RS_Intra0005 Last=0, New=1\r\n");
  EXPECT_NE(reset, std::string::npos) << log;
  EXPECT_NE(start, std::string::npos) << log;
  EXPECT_LT(reset, start);
  const CBarMgr* mgr = FindBarMgr("XMTMom_RS_Intra0005");
  EXPECT_EQ(mgr->GetBarCount(), 1);
  EXPECT_EQ(mgr->m_nLastBarNumber, 1);
  EXPECT_EQ(Stack("XMTMom_RS_Intra0005")->nCount, 1u);

  // Bars numbered from 0: the second call finds one bar added (Last 1 > 0) and starts over.
  Flat("ZERO", 0, 100);
  log_.NewLogText();
  Flat("ZERO", 0, 100);
  EXPECT_NE(log_.NewLogText().find("Reset Run Last=1, New=0"), std::string::npos);
  EXPECT_EQ(block_.UpdateFlag(), 0.0f);
}

TEST_F(UtcModuleTest, FailuresLeaveTheResultSlotsAndSayWhy) {
  struct Case {
    const char* symbol;
    bool nullBlock;
    int type;
    float result;
    const char* logged;
  } cases[] = {
      {"ES", false, 6, -1.0f, "|Missing Bar Details Sym=ES, Invalid BarType 6 (Int 5)\r\n"},
      {"ES", false, 99, -1.0f, "|Missing Bar Details Sym=ES, Invalid BarType 99 (Int 5)\r\n"},
      {"ES", true, 1, -1.0f, "|Missing Bar Details Sym=ES, No argument block\r\n"},
      {nullptr, false, 1, -2.0f, "|Missing Bar Mgr ID=XMTMom_(null)_Intra0005\r\n"},
  };
  for (const Case& c : cases) {
    UtcBlock block;
    block.Setup(c.type, 5, 2, 0).Flat(1, 100);
    EXPECT_EQ(UtcCalc(c.symbol, c.nullBlock ? nullptr : block.slots), c.result) << c.logged;
    EXPECT_EQ(std::memcmp(&block.slots[90], "\x5A\x5A\x5A\x5A\x5A\x5A\x5A\x5A", 8), 0);
    EXPECT_EQ(std::memcmp(&block.slots[91], "\x5A\x5A\x5A\x5A\x5A\x5A\x5A\x5A", 8), 0);
    const std::string log = log_.NewLogText();
    EXPECT_NE(log.find(c.logged), std::string::npos) << log;
    EXPECT_NE(log.find("UTC             |"), std::string::npos);
  }
  EXPECT_EQ(BarMgrCount(), 0);

  // Slots out of the int range or NaN read as the range's ends or 0, without harm.
  UtcBlock wild;
  wild.Setup(kIntraday, 5, 2, 0).Flat(1, 100);
  wild[7] = 3.0e9f;
  wild[11] = std::nanf("");
  wild[0] = -1.0e30f;
  EXPECT_EQ(UtcCalc("WILD", wild.slots), 0.0f);
}

TEST_F(UtcModuleTest, FailureInsideTheComputationReturnsMinus99) {
  block_.Setup(kIntraday, 5, 2, 0).Flat(1, 100);
  alloc_fault::Arm(1);  // the first allocation of the call fails
  EXPECT_EQ(UtcCalc("CRASH", block_.slots), -99.0f);
  EXPECT_TRUE(alloc_fault::Disarm());
  EXPECT_EQ(block_.Result(), -99.0f);
  EXPECT_EQ(block_.UpdateFlag(), 0.0f);
  const std::string log = log_.NewLogText();
  EXPECT_NE(log.find("|CRASH ERROR1 BGMState=0\r\n"), std::string::npos) << log;
  // Nothing half made is left behind: the next call starts normally.
  EXPECT_EQ(UtcCalc("CRASH", block_.slots), 0.0f);
}

TEST_F(UtcModuleTest, ReleasingTheManagersFreesTheStacks) {
  Flat("FREE1", 1, 100, 2, 5);
  Flat("FREE2", 1, 100, 2, 5);
  ASSERT_EQ(BarMgrCount(), 2);
  // The owner release empties the slot; the sanitizer build reports a stack left behind.
  CBarMgr* mgr = FindBarMgr("XMTMom_FREE1_Intra0005");
  UtcFreeStack(mgr);
  EXPECT_EQ(mgr->GetObjectSlot<CCalcStack>(0), nullptr);
  UtcFreeStack(nullptr);
  ReleaseAllBarMgrs();
  EXPECT_EQ(BarMgrCount(), 0);
}

}  // namespace
