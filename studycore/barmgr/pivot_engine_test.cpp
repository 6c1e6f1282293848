// Pivot engine: the window test, recording with the filter bit, consolidation.

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>

#include "common/settings/deliverable.h"
#include "common/settings/trace_log.h"
#include "common/text/txt.h"
#include "studycore/barmgr/bar_mgr.h"
#include "studycore/barmgr/testing/data_drive.h"

namespace {

class PivotEngineTest : public ::testing::Test {
 protected:
  void SetUp() override { PresetDataDrive(); }

  // One bar per high, each low one below its high.
  static void Feed(CBarMgr& m, std::initializer_list<float> highs) {
    for (float h : highs) {
      int n = m.GetBarCount();
      m.AddBar(CXMTDateTime(20150401 + n, 0), h - 0.5f, h, h - 1.0f, h - 0.5f, 0, n + 1, 1);
    }
  }
  // One bar per low, each high one above its low.
  static void FeedLows(CBarMgr& m, std::initializer_list<float> lows) {
    for (float l : lows) {
      int n = m.GetBarCount();
      m.AddBar(CXMTDateTime(20150401 + n, 0), l + 0.5f, l + 1.0f, l, l + 0.5f, 0, n + 1, 1);
    }
  }
};

TEST_F(PivotEngineTest, HighNeedsStrictLeftAndAllowsTieOnRight) {
  CBarMgr m;
  Feed(m, {5, 6, 9, 7, 8});
  float v = 0;
  EXPECT_EQ(1, m.IsPivot(2, 1, 2, 2, &v));
  EXPECT_EQ(9.0f, v);
  const CBarMgrPivot* p = m.CalcPivot(4, 2, 2);
  ASSERT_NE(nullptr, p);
  EXPECT_EQ(2, p->bar);
  EXPECT_EQ(1, p->direction);
  EXPECT_EQ(9.0f, p->price);
  EXPECT_EQ(2, p->type);

  CBarMgr tieRight;
  Feed(tieRight, {5, 6, 9, 9, 8});
  EXPECT_EQ(1, tieRight.IsPivot(2, 1, 2, 2, nullptr));

  CBarMgr tieLeft;
  Feed(tieLeft, {5, 9, 9, 7, 8});
  EXPECT_EQ(0, tieLeft.IsPivot(2, 1, 2, 2, nullptr));
  EXPECT_EQ(nullptr, tieLeft.CalcPivot(4, 2, 2));
}

TEST_F(PivotEngineTest, LowsMirrorHighs) {
  CBarMgr m;
  FeedLows(m, {9, 8, 5, 5, 6});
  float v = 0;
  EXPECT_EQ(1, m.IsPivot(2, -1, 2, 2, &v));
  EXPECT_EQ(5.0f, v);
  EXPECT_EQ(1, m.IsPivot(2, 0, 2, 2, nullptr));  // below 1 means low
  CBarMgr tieLeft;
  FeedLows(tieLeft, {9, 5, 5, 6, 7});
  EXPECT_EQ(0, tieLeft.IsPivot(2, -1, 2, 2, nullptr));
}

// The window's farthest bars on each side count, the bars beyond it do not; highs and lows
// alike (the lows mirror the highs around 20).
TEST_F(PivotEngineTest, WindowEndsCountAndBarsBeyondDoNot) {
  const struct {
    std::initializer_list<float> highs;
    int pivot;
  } cases[] = {
      {{10, 5, 6, 9, 7, 8, 10}, 1},    // higher bars just outside the window
      {{10, 9, 6, 9, 7, 8, 10}, 0},    // farthest left bar ties: the left must be strictly lower
      {{10, 9.5, 6, 9, 7, 8, 10}, 0},  // farthest left bar higher
      {{10, 5, 6, 9, 7, 9, 10}, 1},    // farthest right bar ties: allowed
      {{10, 5, 6, 9, 7, 9.5, 10}, 0},  // farthest right bar higher
  };
  for (const auto& c : cases) {
    CBarMgr highs, lows;
    for (float h : c.highs) {
      Feed(highs, {h});
      FeedLows(lows, {20 - h});
    }
    SCOPED_TRACE(*(c.highs.begin() + 1));
    EXPECT_EQ(c.pivot, highs.IsPivot(3, 1, 2, 2, nullptr));
    EXPECT_EQ(c.pivot, lows.IsPivot(3, -1, 2, 2, nullptr));
  }
}

TEST_F(PivotEngineTest, MissingBars) {
  CBarMgr m;
  Feed(m, {5, 9, 6, 7});
  EXPECT_EQ(-1, m.IsPivot(4, 1, 2, 2, nullptr));
  EXPECT_EQ(-1, m.IsPivot(-1, 1, 2, 2, nullptr));
  EXPECT_EQ(-2, m.IsPivot(1, 1, 2, 2, nullptr));  // only one bar on the left
  EXPECT_EQ(nullptr, m.CalcPivot(3, 2, 2));
  // The right window may run past the newest bar.
  EXPECT_EQ(1, m.IsPivot(1, 1, 1, 5, nullptr));
  EXPECT_EQ(nullptr, m.CalcPivot(-5, 2, 2));
  EXPECT_EQ(nullptr, m.CalcPivot(-2147483647 - 1, 2, 100));
  // Window lengths at the ends of the int range neither overflow nor walk the whole range.
  EXPECT_EQ(1, m.IsPivot(1, 1, 1, 2147483647, nullptr));
  EXPECT_EQ(-2, m.IsPivot(1, 1, 2147483647, 2147483647, nullptr));
  m.IsPivot(3, 1, -2147483647 - 1, 1, nullptr);
}

TEST_F(PivotEngineTest, OutsideBarRecordsTheLowOnly) {
  CBarMgr m;
  Feed(m, {5, 6});
  m.AddBar(CXMTDateTime(20150410, 0), 5, 20, 1, 5, 0, 3, 1);  // highest high, lowest low
  Feed(m, {6, 5});
  const CBarMgrPivot* p = m.CalcPivot(4, 2, 2);
  ASSERT_NE(nullptr, p);
  EXPECT_EQ(-1, p->direction);
  EXPECT_EQ(1.0f, p->price);
  EXPECT_EQ(1, m.GetPivotCount());
}

TEST_F(PivotEngineTest, FilterSkipsWeakerSameDirectionCandidate) {
  CBarMgr m;
  m.SetFlag(kBarMgrFilterBit, 1);
  Feed(m, {5, 6, 10, 7, 6, 7, 9, 8, 7});
  ASSERT_NE(nullptr, m.CalcPivot(4, 2, 2));  // high 10 at bar 2
  EXPECT_EQ(nullptr, m.CalcPivot(8, 2, 2));  // high 9 at bar 6: weaker, skipped
  EXPECT_EQ(1, m.GetPivotCount());

  CBarMgr s;
  s.SetFlag(kBarMgrFilterBit, 1);
  Feed(s, {5, 6, 10, 7, 6, 7, 11, 8, 7});
  s.CalcPivot(4, 2, 2);
  const CBarMgrPivot* p = s.CalcPivot(8, 2, 2);
  ASSERT_NE(nullptr, p);
  EXPECT_EQ(11.0f, p->price);
  char block[12 * 8];
  std::memset(block, 0x5A, sizeof block);
  EXPECT_EQ(1, s.ConsolidatePivots(8, SlotBlock(block)));
  ASSERT_EQ(1, s.GetPivotCount());
  EXPECT_EQ(6, s.GetPivot(0)->bar);
  SlotBlock out(block);
  EXPECT_EQ(6.0f, out.Get(0));  // bars since: 8 - 2
  EXPECT_EQ(10.0f, out.Get(1));
  EXPECT_EQ(1.0f, out.Get(2));
  EXPECT_EQ(2.0f, out.Get(3));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(0x5A, block[i * 8 + 4] & 0xFF) << i;  // untouched
}

TEST_F(PivotEngineTest, EqualPriceIsNotSkippedByTheFilter) {
  CBarMgr m;
  m.SetFlag(kBarMgrFilterBit, 1);
  Feed(m, {5, 6, 10, 7, 6, 7, 10, 8, 7});
  m.CalcPivot(4, 2, 2);
  EXPECT_NE(nullptr, m.CalcPivot(8, 2, 2));
  EXPECT_EQ(2, m.GetPivotCount());
}

TEST_F(PivotEngineTest, WithoutFilterALowerHighReplacesTheHigherOne) {
  CBarMgr m;
  Feed(m, {5, 6, 10, 7, 6, 7, 9, 8, 7});
  m.CalcPivot(4, 2, 2);
  ASSERT_NE(nullptr, m.CalcPivot(8, 2, 2));
  EXPECT_EQ(1, m.ConsolidatePivots(8, SlotBlock()));
  ASSERT_EQ(1, m.GetPivotCount());
  EXPECT_EQ(9.0f, m.GetPivot(0)->price);
}

TEST_F(PivotEngineTest, ConsolidationResults) {
  CBarMgr m;
  EXPECT_EQ(-1, m.ConsolidatePivots(0, SlotBlock()));
  m.SetPivot(1, 5, -1, 2);
  EXPECT_EQ(-2, m.ConsolidatePivots(0, SlotBlock()));
  m.SetPivot(3, 9, 1, 2);
  EXPECT_EQ(0, m.ConsolidatePivots(0, SlotBlock()));
  EXPECT_EQ(2, m.GetPivotCount());
}

TEST_F(PivotEngineTest, PivotsStaySortedByBar) {
  CBarMgr m;
  m.SetPivot(7, 1, 1, 2);
  m.SetPivot(3, 1, -1, 2);
  m.SetPivot(5, 1, 1, 2);
  m.SortPivots();
  EXPECT_EQ(3, m.GetPivot(0)->bar);
  EXPECT_EQ(5, m.GetPivot(1)->bar);
  EXPECT_EQ(7, m.GetPivot(2)->bar);

  // Any order comes out sorted, a reversed one included, and a sorted list stays as it is.
  // A bar keeps its one record whether the list is in order or not.
  CBarMgr r;
  for (int bar = 40; bar > 0; bar -= 2) r.SetPivot(bar, 1, bar % 4 ? 1 : -1, 2);
  CBarMgrPivot* at40 = r.GetPivot(0);
  EXPECT_EQ(at40, r.SetPivot(40, 2, 1, 2));
  r.SetPivot(21, 1, 1, 2);
  r.SortPivots();
  r.SortPivots();
  ASSERT_EQ(21, r.GetPivotCount());
  for (int i = 1; i < r.GetPivotCount(); ++i)
    EXPECT_LT(r.GetPivot(i - 1)->bar, r.GetPivot(i)->bar) << i;
  EXPECT_EQ(21, r.GetPivot(10)->bar);
  EXPECT_EQ(r.GetPivot(1), r.SetPivot(4, 2, 1, 2));  // found in the ordered list
  EXPECT_EQ(at40, r.SetPivot(40, 2, 1, 2));
  r.SetPivot(23, 1, -1, 2);  // before the newest: goes to its place at the next sort
  r.SetPivot(41, 1, -1, 2);
  EXPECT_EQ(r.GetPivot(21), r.SetPivot(23, 5, 1, 2));
  r.SortPivots();
  ASSERT_EQ(23, r.GetPivotCount());
  EXPECT_EQ(23, r.GetPivot(12)->bar);
  EXPECT_EQ(41, r.GetPivot(22)->bar);
}

TEST_F(PivotEngineTest, TraceBitLogsTheDroppedPivot) {
  DeliverableConfig config;
  config.logName = "pivot_engine_test";
  SetDeliverableConfig(config);
  TraceLogResetForTest();

  CBarMgr m;
  m.SetFlag(kBarMgrTraceBit, 1);
  Feed(m, {5, 6, 10, 7, 6, 7, 11, 8, 7});
  m.CalcPivot(4, 2, 2);
  m.CalcPivot(8, 2, 2);
  EXPECT_EQ(1, m.ConsolidatePivots(8, SlotBlock()));

  char path[1024] = "";
  ASSERT_GT(GetLogFilePath(path, sizeof path), 0);
  CTxt log;
  log.LoadFromFile(path);
  const std::string text = static_cast<const char*>(log);
  // The last bar stored is 9 April 2015 (bar 9 of the feed).
  EXPECT_NE(std::string::npos,
            text.find("Consolidating Pivot: Date=20150409+000000, Bar=    2, Prc=  10.0000, "
                      "Dir=+1, Type=2, Exp=0, Show=0"))
      << text;
  EXPECT_NE(std::string::npos, text.find("Pivot           |")) << text;
}

}  // namespace
