// The bar-feeding frame (banners, restarts, bar numbers, progress) and the zig-zag report,
// below the exports.

#include "pattern/zigzag.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/settings/deliverable.h"
#include "common/settings/trace_log.h"
#include "common/testing/fake_platform.h"
#include "common/testing/test_dirs.h"
#include "hostbridge/xmt_slot.h"
#include "pattern/feed_bar.h"
#include "studycore/barmgr/bar_mgr.h"
#include "studycore/barmgr/bar_mgr_registry.h"
#include "studycore/barmgr/testing/data_drive.h"

namespace {

class ZigZagTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PresetDataDrive();
    ReleaseAllBarMgrs();
    DeliverableConfig config;
    config.logName = "zigzag_test";
    SetDeliverableConfig(config);
    TraceLogResetForTest();
    logStart_ = LogFile().size();
  }
  void TearDown() override { ReleaseAllBarMgrs(); }

  // Feeds one bar with prices in cents; date is the host form.
  static int Feed(FeedStyle style, const char* id, int barNumber, int high, int low,
                  int date = 1150415, int time = 930, int progress = 1) {
    const int open = (high + low) / 2, close = open;
    FeedBarArgs a;
    a.progress = progress < 0;
    a.id = id;
    a.date = date;
    a.time = time;
    a.barNumber = barNumber;
    a.priceScale = 100;
    a.open = &open;
    a.high = &high;
    a.low = &low;
    a.close = &close;
    a.volume = 1000;
    return FeedBar(a, style);
  }

  // The whole log file (it is shared by all tests of this program).
  static std::string LogFile() {
    LogTrace("Test", 0, "----");  // opens the log when no line was written yet
    char path[1024] = "";
    if (GetLogFilePath(path, sizeof path) <= 0) return "";
    return ReadWholeFile(Platform::Default().NativePath(path));
  }
  // What this test logged so far (without the marker lines).
  std::string Log() const {
    std::string all = LogFile();
    all = all.size() > logStart_ ? all.substr(logStart_) : "";
    std::string out;
    for (size_t at = 0; at < all.size();) {
      size_t end = all.find('\n', at);
      if (end == std::string::npos) end = all.size() - 1;
      std::string line = all.substr(at, end + 1 - at);
      if (line.rfind("Test ", 0) != 0 && line.rfind("INIT ", 0) != 0) out += line;
      at = end + 1;
    }
    return out;
  }
  size_t logStart_ = 0;
  static int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }
};

TEST_F(ZigZagTest, FirstCallLogsBannerAndEmptyFullRelease) {
  EXPECT_EQ(0, Feed(FeedStyle::ZigZag, "ZZ1", 1, 1000, 900));
  const std::string log = Log();
  EXPECT_NE(std::string::npos,
            log.find("Starting Pivot Pattern Recognition Engine (VUZU) (Ver 1.1d, 1.2e Apr 15 "
                     "2015 10:49:04), ID=ZZ1, Bar=-1 -> 1"))
      << log;
  EXPECT_NE(std::string::npos, log.find("Full Release 0 Bars, ID=ZZ1")) << log;
  EXPECT_NE(std::string::npos, log.find("PatRec          |")) << log;

  EXPECT_EQ(0, Feed(FeedStyle::Pattern, "PR1", 5, 1000, 900));
  EXPECT_NE(std::string::npos,
            Log().find("Starting Pattern Recognition Manager (XMT_PATTERN) (Ver 1.2a Apr 15 "
                       "2015 10:49:04), ID=PR1, Bar=-1 -> 1"));
}

TEST_F(ZigZagTest, ArgumentChecksComeFirst) {
  EXPECT_EQ(-1, Feed(FeedStyle::ZigZag, nullptr, 1, 1000, 900, 899999));
  EXPECT_EQ(-2, Feed(FeedStyle::ZigZag, nullptr, 1, 1000, 900));
  EXPECT_EQ(0, BarMgrCount());
  EXPECT_EQ("", Log());
  EXPECT_EQ(-2, ZZCalcPiv(nullptr, 5, 2, 2, SlotBlock()));
}

TEST_F(ZigZagTest, PatternAddBarNumbersBarsItself) {
  EXPECT_EQ(0, Feed(FeedStyle::Pattern, "P", 10, 1000, 900));
  EXPECT_EQ(1, Feed(FeedStyle::Pattern, "P", 20, 1000, 900));
  EXPECT_EQ(2, Feed(FeedStyle::Pattern, "P", 30, 1000, 900));
  CBarMgr* m = FindBarMgr("P");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(i + 1, m->GetBar(i)->barNumber);
  EXPECT_TRUE(m->HasFlag(kBarMgrFilterBit));
  // A negative number is its magnitude, with the filter off; going back restarts.
  EXPECT_EQ(3, Feed(FeedStyle::Pattern, "P", -2, 1000, 900));
  EXPECT_EQ(2, m->GetBar(3)->barNumber);
  EXPECT_FALSE(m->HasFlag(kBarMgrFilterBit));
}

TEST_F(ZigZagTest, RefedHistoryLandsOnOldRecords) {
  for (int n = 1; n <= 500; ++n)
    ASSERT_EQ(n - 1, Feed(FeedStyle::ZigZag, "Refeed", n, 1000 + n, 900, 1000000 + n % 28 + 101));
  CBarMgr* m = FindBarMgr("refeed");
  m->SetPivot(10, 1.0f, 1, 2);
  m->SetFlag(kBarMgrFilterBit, 0);
  const std::string before = Log();

  // Again from bar 1; bar 3 comes with another time and other prices.
  for (int n = 1; n <= 500; ++n) {
    int time = n == 3 ? 1000 : 930;
    ASSERT_EQ(n - 1, Feed(FeedStyle::ZigZag, "REFEED", n, 2000, 1900, 1000000 + n % 28 + 101, time));
  }
  EXPECT_EQ(500, m->GetBarCount());
  EXPECT_EQ(0, m->GetPivotCount());
  EXPECT_TRUE(m->HasFlag(kBarMgrFilterBit));
  EXPECT_EQ(before, Log());  // no banner, no full release
  EXPECT_EQ(20.0f, m->GetBar(2)->high);        // changed time: overwritten
  EXPECT_EQ(10.04f, m->GetBar(3)->high);       // unchanged: kept
  EXPECT_EQ(1, BarMgrCount());
}

TEST_F(ZigZagTest, SameBarNumberTwiceIsNoRestart) {
  Feed(FeedStyle::ZigZag, "Twice", 1, 1000, 900);
  Feed(FeedStyle::ZigZag, "Twice", 2, 1000, 900);
  CBarMgr* m = FindBarMgr("Twice");
  m->SetPivot(1, 10.0f, 1, 2);
  EXPECT_EQ(1, Feed(FeedStyle::ZigZag, "Twice", 2, 1100, 900));
  EXPECT_EQ(1, m->GetPivotCount());
  EXPECT_EQ(2, m->GetBarCount());
}

TEST_F(ZigZagTest, NegativeBarNumbersTurnTheFilterOff) {
  Feed(FeedStyle::ZigZag, "Neg", -1, 1000, 900);
  CBarMgr* m = FindBarMgr("Neg");
  EXPECT_FALSE(m->HasFlag(kBarMgrFilterBit));
  EXPECT_EQ(1, m->GetBar(0)->barNumber);
  EXPECT_EQ(1, Feed(FeedStyle::ZigZag, "Neg", -2, 1000, 900));
}

TEST_F(ZigZagTest, ScaledPricesAndNullPointers) {
  const int open = 12345;
  FeedBarArgs a;
  a.id = "Scale";
  a.date = 1150415;
  a.time = 930;
  a.barNumber = 1;
  a.priceScale = 100;
  a.open = &open;  // high, low, close null: read as 0
  EXPECT_EQ(0, FeedBar(a, FeedStyle::ZigZag));
  const CBarMgrData* b = FindBarMgr("scale")->GetBar(0);
  EXPECT_EQ(123.45f, b->open);
  EXPECT_EQ(0.0f, b->high);
}

TEST_F(ZigZagTest, SameIdInAnyCaseSharesOneManager) {
  Feed(FeedStyle::ZigZag, "Chart_A", 1, 1000, 900);
  Feed(FeedStyle::ZigZag, "CHART_a", 2, 1000, 900);
  EXPECT_EQ(1, BarMgrCount());
  EXPECT_EQ(2, FindBarMgr("chart_A")->GetBarCount());
  EXPECT_STREQ("Chart_A", FindBarMgr("chart_A")->m_Name);
  // The last letter folds too; '@' and '`', 32 apart like the letters, are two IDs.
  Feed(FeedStyle::ZigZag, "Chart_Z", 1, 1000, 900);
  Feed(FeedStyle::ZigZag, "chart_z", 2, 1000, 900);
  Feed(FeedStyle::ZigZag, "Chart_@", 1, 1000, 900);
  Feed(FeedStyle::ZigZag, "Chart_`", 1, 1000, 900);
  EXPECT_EQ(4, BarMgrCount());
  EXPECT_EQ(2, FindBarMgr("CHART_Z")->GetBarCount());
  // Empty IDs share one manager too.
  Feed(FeedStyle::ZigZag, "", 1, 1000, 900);
  Feed(FeedStyle::ZigZag, "", 2, 1000, 900);
  EXPECT_EQ(5, BarMgrCount());
}

// Records what the progress display would show instead of looking for a real window.
class ProgressRecorder : public FakePlatform {
 public:
  std::vector<std::string> texts;
  void* FindTopWindow(const char*, const char*) override { return this; }
  bool SetChildText(void*, int, const char* text) override {
    texts.push_back(text);
    return true;
  }
  bool SendCommand(void*, int) override { return true; }
};

TEST_F(ZigZagTest, ProgressEveryHundredthBarWhenAsked) {
  ProgressRecorder rec;
  ScopedPlatform scope(rec);
  for (int n = 1; n <= 250; ++n) Feed(FeedStyle::ZigZag, "Prog", n, 1000, 900, 1150415, 930, -1);
  ASSERT_EQ(3u, rec.texts.size());
  EXPECT_EQ("0.0\t0 of 100000 - Processing Data (Date=20150415 Time=0930)", rec.texts[0]);
  EXPECT_NE(std::string::npos, rec.texts[1].find("\t100 of 100000 - "));
  EXPECT_NE(std::string::npos, rec.texts[2].find("\t200 of 100000 - "));
  rec.texts.clear();
  for (int n = 251; n <= 301; ++n) Feed(FeedStyle::ZigZag, "Prog", n, 1000, 900);
  EXPECT_TRUE(rec.texts.empty());
}

// Both sides of both limits, on the left and on the right alike: 1 and 100 are kept, 0 and
// below become 2, above 100 becomes 10; each change is logged.
TEST_F(ZigZagTest, WindowLengthsAreAdjustedAndLogged) {
  const struct {
    int left, right, wantLeft, wantRight;
  } cases[] = {{1, 100, 1, 100}, {100, 1, 100, 1}, {0, 101, 2, 10},
               {101, 0, 10, 2},  {-4, 150, 2, 10}, {150, -4, 10, 2}};
  int changes = 0;
  for (const auto& c : cases) {
    int left = c.left, right = c.right;
    AdjustPivotLengths(&left, &right);
    EXPECT_EQ(c.wantLeft, left) << c.left;
    EXPECT_EQ(c.wantRight, right) << c.right;
    const std::string log = Log();
    const auto logged = [&](const char* side, int from, int to) {
      return log.find("Adjusting PivotLength " + std::string(side) + " " + std::to_string(from) +
                      " -> " + std::to_string(to)) != std::string::npos;
    };
    EXPECT_TRUE(c.left == c.wantLeft || logged("Left", c.left, c.wantLeft));
    EXPECT_TRUE(c.right == c.wantRight || logged("Right", c.right, c.wantRight));
    changes += (c.left != c.wantLeft) + (c.right != c.wantRight);
  }
  EXPECT_EQ(changes, Count(Log(), "Adjusting PivotLength"));
}

TEST_F(ZigZagTest, CalcPivReportsPivotsInTheBlock) {
  // Highs in cents, lows 100 below; filter on (positive bar numbers).
  const int highs[] = {500, 600, 1000, 700, 600, 700, 1100, 800, 700};
  XmtSlot block[12];
  int results[9];
  for (int i = 0; i < 9; ++i) {
    std::memset(block, 0x5A, sizeof block);
    int pos = Feed(FeedStyle::ZigZag, "Calc", i + 1, highs[i], highs[i] - 100) + 1;
    results[i] = ZZCalcPiv("calc", pos, 2, 2, SlotBlock(block));
    if (i == 4) {  // high 10 at bar 2 confirmed, no low yet
      EXPECT_EQ(2.0f, block[0].value);
      EXPECT_EQ(10.0f, block[1].value);
      EXPECT_EQ(1.0f, block[2].value);
      EXPECT_EQ(2.0f, block[3].value);
      EXPECT_EQ(0.0f, block[8].value);
      uint32_t untouched;
      std::memcpy(&untouched, &block[4].value, 4);
      EXPECT_EQ(0x5A5A5A5Au, untouched);  // nothing dropped: slots 4-7 not written
      for (const XmtSlot& s : block) EXPECT_EQ(0x5A5A5A5Au, static_cast<uint32_t>(s.unused));
    }
    if (i == 6) {  // low 5 at bar 4; the other direction is the high at bar 2
      EXPECT_EQ(2.0f, block[0].value);
      EXPECT_EQ(5.0f, block[1].value);
      EXPECT_EQ(-1.0f, block[2].value);
      EXPECT_EQ(4.0f, block[8].value);
      EXPECT_EQ(10.0f, block[9].value);
      EXPECT_EQ(1.0f, block[10].value);
      EXPECT_EQ(2.0f, block[11].value);
    }
  }
  const int expected[] = {0, 0, 0, 0, 1, 0, -1, 0, 1};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(expected[i], results[i]) << "bar " << i;
}

TEST_F(ZigZagTest, CalcPivDropsTheWeakerHighAndReportsIt) {
  // No pivot low between the highs 10 and 11.
  const int highs[] = {500, 600, 1000, 700, 800, 900, 1100, 800, 700};
  XmtSlot block[12];
  int result = 0;
  for (int i = 0; i < 9; ++i) {
    std::memset(block, 0, sizeof block);
    int pos = Feed(FeedStyle::ZigZag, "Drop", i + 1, highs[i], highs[i] - 100) + 1;
    result = ZZCalcPiv("Drop", pos, 2, 2, SlotBlock(block));
  }
  EXPECT_EQ(2, result);
  EXPECT_EQ(11.0f, block[1].value);
  EXPECT_EQ(6.0f, block[4].value);  // bars since the dropped high: 8 - 2
  EXPECT_EQ(10.0f, block[5].value);
  EXPECT_EQ(1.0f, block[6].value);
  EXPECT_EQ(2.0f, block[7].value);
  EXPECT_EQ(0.0f, block[8].value);
  EXPECT_EQ(1, FindBarMgr("Drop")->GetPivotCount());
  // A null block is accepted.
  EXPECT_EQ(1, ZZCalcPiv("Drop", 9, 2, 2, SlotBlock()));
}

TEST_F(ZigZagTest, CalcPivSurvivesChangingWindowsAndGarbagePositions) {
  for (int i = 0; i < 30; ++i) Feed(FeedStyle::ZigZag, "Odd", -(i + 1), 1000 + (i % 7) * 37, 900 - (i % 5) * 11);
  XmtSlot block[12];
  for (int right = 1; right <= 12; ++right)
    for (int pos = -3; pos <= 32; ++pos) ZZCalcPiv("Odd", pos, 3, right, SlotBlock(block));
  EXPECT_EQ(0, ZZCalcPiv("Odd", -2147483647 - 1, 1, 1, SlotBlock(block)));
  EXPECT_EQ(0, ZZCalcPiv("Odd", 2147483647, 100, 100, SlotBlock(block)));
}

}  // namespace
