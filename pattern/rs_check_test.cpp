// The support/resistance check: its worked structures below the export, and a long run
// over real 30-minute bars through the loaded library against a checked-in expected file.

#include "pattern/rs_check.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "common/testing/fake_platform.h"
#include "common/testing/log_capture.h"
#include "common/testing/test_data.h"
#include "common/testing/test_dirs.h"
#include "hostbridge/entry_frame.h"
#include "hostbridge/xmt_slot.h"
#include "pattern/testing/golden_slots.h"
#include "pattern/testing/library_under_test.h"
#include "pattern/testing/pattern_test_env.h"
#include "pattern/zigzag.h"
#include "studycore/barmgr/bar_mgr.h"
#include "studycore/barmgr/bar_mgr_registry.h"
#include "studycore/barmgr/testing/data_drive.h"

namespace {

constexpr float kUntouched = -12345.0f;

class RsCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PresetDataDrive();
    ReleaseAllBarMgrs();
    log.Start("rs_check_test");
    Clear();
  }
  void TearDown() override { ReleaseAllBarMgrs(); }

  void Clear() {
    for (XmtSlot& s : slots) s = {kUntouched, 0x5A5A5A5A};
  }
  // Feeds the next bar of instance id (prices in whole units, scale 100), windows 1/1.
  int Feed(const char* id, double price, int left = 1, int right = 1) {
    const int scaled = static_cast<int>(std::lround(price * 100));
    ++bar;
    Clear();
    return RSChkPiv(id, 1150415, 900 + bar, bar, 100, &scaled, 10, left, right,
                    SlotBlock(slots));
  }
  // Feeds a series and gives the result of its last bar.
  int FeedAll(const char* id, const std::vector<double>& prices) {
    int r = 0;
    for (double p : prices) r = Feed(id, p);
    return r;
  }
  float Slot(int i) const { return slots[i].value; }

  XmtSlot slots[kRsResultSlots + 1];
  int bar = 0;
  LogCapture log;
};

TEST_F(RsCheckTest, FirstPivotIsReportedAsTheOnlyOne) {
  EXPECT_EQ(0, Feed("RsFirst", 15));
  EXPECT_EQ(0, Feed("RsFirst", 10));
  EXPECT_EQ(kRsOnlyPivot, Feed("RsFirst", 15));  // low 10 at index 1 confirmed at index 2
  EXPECT_EQ(1.0f, Slot(0));
  EXPECT_EQ(10.0f, Slot(1));
  EXPECT_EQ(-1.0f, Slot(2));
  EXPECT_EQ(1.0f, Slot(3));
  for (int i = 4; i <= kRsResultSlots; ++i) EXPECT_EQ(kUntouched, Slot(i)) << i;
  EXPECT_NE(std::string::npos, log.NewLogText().find("NewPiv, Date=20150415+090300, "));
}

TEST_F(RsCheckTest, NoPivotZeroesTwentySlotsAndNoMore) {
  Feed("RsZero", 15);
  EXPECT_EQ(0, Feed("RsZero", 16));
  for (int i = 0; i < kRsResultSlots; ++i) EXPECT_EQ(0.0f, Slot(i)) << i;
  EXPECT_EQ(kUntouched, Slot(kRsResultSlots));
  EXPECT_EQ(0x5A5A5A5A, slots[0].unused);  // the second half of a slot is the caller's
}

TEST_F(RsCheckTest, RisingStructure) {
  // Pivots low 10, high 20, low 12, high 25 (oldest first).
  EXPECT_EQ(kRsRising, FeedAll("RsUp", {15, 10, 15, 20, 15, 12, 15, 25, 15}));
  EXPECT_EQ(1.0f, Slot(0));
  EXPECT_EQ(25.0f, Slot(1));
  EXPECT_EQ(1.0f, Slot(2));
  EXPECT_EQ(7.0f, Slot(3));
  EXPECT_EQ(kUntouched, Slot(4));  // nothing dropped
  EXPECT_EQ(3.0f, Slot(8));        // the low 12 at index 5
  EXPECT_EQ(12.0f, Slot(9));
  EXPECT_EQ(-1.0f, Slot(10));
  EXPECT_EQ(5.0f, Slot(11));
  EXPECT_EQ(1.0f, Slot(12));
  const std::string text = log.NewLogText();
  const size_t up0 = text.find("UP[0]   Bar=    7, Prc=  25.0000");
  const size_t up1 = text.find("UP[1]   Bar=    5, Prc=  12.0000");
  const size_t up2 = text.find("UP[2]   Bar=    3, Prc=  20.0000");
  const size_t up3 = text.find("UP[3]   Bar=    1, Prc=  10.0000");
  ASSERT_NE(std::string::npos, up0) << text;
  ASSERT_NE(std::string::npos, up3) << text;
  EXPECT_LT(up0, up1);
  EXPECT_LT(up1, up2);
  EXPECT_LT(up2, up3);
  EXPECT_EQ(std::string::npos, text.find("DN["));
}

TEST_F(RsCheckTest, LowerSecondHighOrEqualLowIsNoStructure) {
  EXPECT_EQ(kRsNone, FeedAll("RsUp19", {15, 10, 15, 20, 15, 12, 15, 19, 15}));
  EXPECT_EQ(19.0f, Slot(1));  // the pivot is still reported
  EXPECT_EQ(kRsNone, FeedAll("RsEqLow", {15, 10, 15, 20, 15, 10, 15, 25, 15}));
  EXPECT_EQ(std::string::npos, log.NewLogText().find("UP["));
}

TEST_F(RsCheckTest, FallingStructure) {
  // Pivots high 30, low 20, high 28, low 15 (oldest first).
  EXPECT_EQ(kRsFalling, FeedAll("RsDown", {25, 30, 25, 20, 25, 28, 25, 15, 25}));
  EXPECT_EQ(-1.0f, Slot(2));
  const std::string text = log.NewLogText();
  EXPECT_NE(std::string::npos, text.find("DN[0]   Bar=    7, Prc=  15.0000")) << text;
  EXPECT_NE(std::string::npos, text.find("DN[3]   Bar=    1, Prc=  30.0000")) << text;
}

// The falling structure needs both a strictly lower high and a strictly lower low, as the
// rising one needs both higher: an equal high or an equal low is no structure.
TEST_F(RsCheckTest, EqualHighOrEqualLowIsNoFallingStructure) {
  EXPECT_EQ(kRsNone, FeedAll("RsDnEqHigh", {25, 30, 25, 20, 25, 30, 25, 15, 25}));
  EXPECT_EQ(kRsNone, FeedAll("RsDnEqLow", {25, 30, 25, 20, 25, 28, 25, 20, 25}));
  EXPECT_EQ(std::string::npos, log.NewLogText().find("DN["));
}

TEST_F(RsCheckTest, HigherHighReplacesTheOlderHigh) {
  // Left window 3: no low can be confirmed in this rising run, so the highs meet directly.
  int r = 0;
  for (double p : {10, 11, 12, 20, 19}) r = Feed("RsDrop", p, 3, 1);
  EXPECT_EQ(kRsOnlyPivot, r);  // high 20 at index 3
  Feed("RsDrop", 25, 3, 1);
  EXPECT_EQ(kRsNone, Feed("RsDrop", 24, 3, 1));  // high 25 at index 5 drops the 20
  EXPECT_EQ(25.0f, Slot(1));
  EXPECT_EQ(3.0f, Slot(4));  // dropped pivot: bars since, price, direction, bar
  EXPECT_EQ(20.0f, Slot(5));
  EXPECT_EQ(1.0f, Slot(6));
  EXPECT_EQ(3.0f, Slot(7));
  EXPECT_EQ(0.0f, Slot(8));  // no low yet
  EXPECT_EQ(kUntouched, Slot(9));
  EXPECT_EQ(2.0f, Slot(12));
  EXPECT_EQ(1, FindBarMgr("RsDrop")->GetPivotCount());
}

TEST_F(RsCheckTest, WindowLengthsAreClampedToOneAndHundred) {
  int left = 0, right = 500;
  AdjustPivotLengths(&left, &right, kRsPivotLengths);
  EXPECT_EQ(1, left);
  EXPECT_EQ(100, right);
  const std::string text = log.NewLogText();
  EXPECT_NE(std::string::npos, text.find("Adjusting PivotLength Left 0 -> 1"));
  EXPECT_NE(std::string::npos, text.find("Adjusting PivotLength Right 500 -> 100"));
  left = 100;
  right = 1;
  AdjustPivotLengths(&left, &right, kRsPivotLengths);
  EXPECT_EQ(100, left);
  EXPECT_EQ(1, right);
  EXPECT_EQ(std::string::npos, log.NewLogText().find("Adjusting"));
  // Through the check: left 0 works as 1, so the pivot is confirmed after two bars.
  Feed("RsClamp", 15, 0, 0);
  Feed("RsClamp", 10, 0, 0);
  EXPECT_EQ(kRsOnlyPivot, Feed("RsClamp", 15, 0, 0));
}

TEST_F(RsCheckTest, NegativeBarNumberShowsProgressAndStoresItsMagnitude) {
  const int price = 1500;
  {
    // No progress window here, so showing progress starts the progress program.
    FakePlatform fake;
    ScopedPlatform scope(fake);
    EXPECT_EQ(0, RSChkPiv("RsProg", 1150415, 930, -57, 100, &price, 0, 2, 2, SlotBlock()));
    ASSERT_EQ(1u, fake.processes.size());
    EXPECT_NE(std::string::npos, fake.processes[0].commandLine.find("BarGaugeView"));
    // The next bar with a positive number: no progress.
    EXPECT_EQ(0, RSChkPiv("RsProg", 1150415, 1000, 58, 100, &price, 0, 2, 2, SlotBlock()));
    EXPECT_EQ(1u, fake.processes.size());
    CBarMgr* mgr = FindBarMgr("RsProg");
    EXPECT_EQ(57, mgr->GetBar(0)->barNumber);
    EXPECT_EQ(58, mgr->m_nLastBarNumber);
    EXPECT_TRUE(mgr->HasFlag(kBarMgrFilterBit));
    // Going back restarts with the filter on, a negative number too (unlike XMT_ZZ_AddBar).
    mgr->SetFlag(kBarMgrFilterBit, 0);
    RSChkPiv("RsProg", 1150415, 930, -57, 100, &price, 0, 2, 2, SlotBlock());
    EXPECT_TRUE(mgr->HasFlag(kBarMgrFilterBit));
    EXPECT_EQ(57, mgr->m_nLastBarNumber);
  }
  EXPECT_EQ(-1, RSChkPiv("RsProg", 899999, 930, 59, 100, &price, 0, 2, 2, SlotBlock()));
  EXPECT_EQ(-2, RSChkPiv(nullptr, 1150415, 930, 59, 100, &price, 0, 2, 2, SlotBlock()));
}

// --- through the loaded library, over 30-minute USD/CHF closes -----------------------------

struct CloseBar {
  int hostDate = 0;
  int time = 0;  // HHMM
  int price = 0;  // close * 10000
};

std::vector<CloseBar> ReadCloses(const std::string& file) {
  std::vector<CloseBar> bars;
  for (const CsvBar& c : ReadTestBars(file))
    bars.push_back(
        {FullDateToHost(c.date), c.time, static_cast<int>(std::lround(c.close * 10000))});
  return bars;
}

// One line per confirmed pivot: left, right, bar index, date, time, result and slots 0-12
// ("-" for a slot left untouched).
std::string RunCloses(XMT_RS_ChkPiv_fn check, const std::vector<CloseBar>& bars, int left,
                      int right) {
  char id[32];
  std::snprintf(id, sizeof id, "RsGolden_%d_%d", left, right);
  std::string out;
  for (size_t i = 0; i < bars.size(); ++i) {
    const CloseBar& b = bars[i];
    XmtSlot block[kRsResultSlots];
    for (XmtSlot& s : block) s.value = kUntouched;
    const int r = check(id, b.hostDate, b.time, static_cast<int>(i) + 1, 10000, nullptr,
                        nullptr, nullptr, &b.price, 1, left, right, block);
    if (block[2].value == 0.0f) continue;  // no pivot confirmed
    char line[128];
    std::snprintf(line, sizeof line, "%d,%d,%zu,%d,%04d,%d", left, right, i,
                  HostDateToFull(b.hostDate), b.time, r);
    out += line + GoldenSlots(block, 13, kUntouched);
    out += "\n";
  }
  return out;
}

TEST(RsCheckGolden, MatchesTheExpectedResults) {
  PresetDataDrive();
  PatternLibrary lib(XMT_PATTERN_FILE_NAME);
  ASSERT_TRUE(lib.Complete()) << lib.Error();
  auto check = lib.Get<XMT_RS_ChkPiv_fn>("XMT_RS_ChkPiv");
  ASSERT_NE(nullptr, check);
  const std::vector<CloseBar> bars = ReadCloses("usdchf_30min.csv");
  ASSERT_GT(bars.size(), 60000u);
  std::string actual = RunCloses(check, bars, 48, 48);
  ExpectMatchesGolden(actual, "rs_check_golden_expected.csv");
}

}  // namespace
