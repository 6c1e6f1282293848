// Bar manager: storing and matching bars, release, names, settings and the pivot list.

#include "studycore/barmgr/bar_mgr.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "common/settings/files.h"
#include "common/settings/settings.h"
#include "studycore/barmgr/testing/data_drive.h"

#pragma GCC diagnostic ignored "-Winvalid-offsetof"  // the records are not standard-layout
static_assert(alignof(CBarMgr) == 64 && offsetof(CBarMgr, m_Bars) + sizeof(SPtrArray) <= 64,
              "the fields of every bar call share the record's first cache line");

namespace {

class BarMgrTest : public ::testing::Test {
 protected:
  void SetUp() override { PresetDataDrive(); }

  static CXMTDateTime Day(int yyyymmdd, int hhmmss = 0) { return CXMTDateTime(yyyymmdd, hhmmss); }

  // Appends bars numbered 1..n on consecutive days (prices from `high`, lows one below).
  static void AddDays(CBarMgr& m, int n) {
    for (int i = 0; i < n; ++i)
      m.AddBar(Day(20150401 + i), 10.0f + i, 12.0f + i, 9.0f + i, 11.0f + i, 100.0f, i + 1, 1);
  }
};

TEST_F(BarMgrTest, NewBarCorrectsOpenBelowLowAndMissingClose) {
  CBarMgr m;
  EXPECT_EQ(0, m.AddBar(Day(20150415), 10.0f, 12.0f, 11.0f, 0.0f, 5.0f, 1, 1));
  const CBarMgrData* b = m.GetBar(0);
  ASSERT_NE(nullptr, b);
  EXPECT_EQ(11.0f, b->open);
  EXPECT_EQ(12.0f, b->high);
  EXPECT_EQ(11.0f, b->low);
  EXPECT_EQ(12.0f, b->close);
  EXPECT_EQ(1, b->barNumber);
  EXPECT_EQ(0, m.m_LastBarDT.Compare(&b->dateTime));
}

TEST_F(BarMgrTest, FindBarIndexLooksOnlyOneAndTwoBack) {
  CBarMgr m;
  EXPECT_EQ(-2, m.FindBarIndex(7));
  // Numbers 1..7 at indexes 0..6: number 7 is at n - 1.
  AddDays(m, 7);
  EXPECT_EQ(6, m.FindBarIndex(7));
  EXPECT_EQ(0, m.FindBarIndex(1));
  EXPECT_EQ(-3, m.FindBarIndex(9));
  EXPECT_EQ(-3, m.FindBarIndex(0));
  EXPECT_EQ(-3, m.FindBarIndex(-2147483647 - 1));
  EXPECT_EQ(-3, m.FindBarIndex(2147483647));

  // Numbers 2..8 at indexes 0..6: number 7 is at n - 2.
  CBarMgr skipped;
  for (int i = 0; i < 7; ++i) skipped.AddBar(Day(20150401 + i), 1, 2, 1, 2, 0, i + 2, 0);
  EXPECT_EQ(5, skipped.FindBarIndex(7));

  // Number 7 further back than n - 2 is not found: matching then appends a new record.
  CBarMgr far;
  for (int i = 0; i < 7; ++i) far.AddBar(Day(20150401 + i), 1, 2, 1, 2, 0, i + 4, 0);
  EXPECT_EQ(-3, far.FindBarIndex(7));
  EXPECT_EQ(7, far.AddBar(Day(20150501), 1, 2, 1, 2, 0, 7, 1));
  EXPECT_EQ(8, far.GetBarCount());
}

TEST_F(BarMgrTest, MatchedBarIsOverwrittenOnlyWhenItsTimeChanged) {
  CBarMgr m;
  AddDays(m, 3);
  // Same date-time, other prices: the record stays as it was.
  EXPECT_EQ(1, m.AddBar(Day(20150402), 50, 60, 40, 55, 9, 2, 1));
  EXPECT_EQ(11.0f, m.GetBar(1)->open);
  EXPECT_EQ(3, m.GetBarCount());

  // Other time: the new values as given, without the corrections of a new bar.
  EXPECT_EQ(1, m.AddBar(Day(20150402, 93000), 10, 60, 40, 0, 9, 2, 1));
  const CBarMgrData* b = m.GetBar(1);
  EXPECT_EQ(10.0f, b->open);
  EXPECT_EQ(40.0f, b->low);
  EXPECT_EQ(0.0f, b->close);
  EXPECT_EQ(9.0f, b->volume);
  EXPECT_EQ(2, b->barNumber);
  EXPECT_EQ(93000, m.m_LastBarDT.GetTime());
  EXPECT_EQ(3, m.GetBarCount());

  // Without the match flag the same number is appended.
  EXPECT_EQ(3, m.AddBar(Day(20150402), 1, 2, 1, 2, 0, 2, 0));
}

TEST_F(BarMgrTest, GetBarIsBoundsChecked) {
  CBarMgr m;
  AddDays(m, 2);
  EXPECT_EQ(nullptr, m.GetBar(-1));
  EXPECT_EQ(nullptr, m.GetBar(2));
  EXPECT_NE(nullptr, m.GetBar(1));
  EXPECT_EQ(nullptr, m.GetPivot(0));
  EXPECT_EQ(nullptr, m.GetPivot(-1));
}

TEST_F(BarMgrTest, ReleaseKeepsBarsUnlessFull) {
  CBarMgr m;
  AddDays(m, 5);
  m.SetPivot(2, 14.0f, 1, 2);
  m.m_nCounter1 = 3;
  m.m_fValues[4] = 1.5f;
  m.m_pObjects[9] = &m;
  m.Release(0);
  EXPECT_EQ(5, m.GetBarCount());
  EXPECT_EQ(0, m.GetPivotCount());
  EXPECT_EQ(0, m.m_nCounter1);
  EXPECT_EQ(0.0f, m.m_fValues[4]);
  EXPECT_EQ(nullptr, m.m_pObjects[9]);
  m.Release(1);
  EXPECT_EQ(0, m.GetBarCount());
  EXPECT_EQ(-2, m.FindBarIndex(1));
}

TEST_F(BarMgrTest, BarTypeNames) {
  CTxt t;
  EXPECT_EQ(9, GetBarTypeName(1, 5, t));
  EXPECT_STREQ("Intra0005", t);
  EXPECT_EQ(5, GetBarTypeName(2, 0, t));
  EXPECT_STREQ("Daily", t);
  EXPECT_EQ(9, GetBarTypeName(12, 30, t));
  EXPECT_STREQ("Range0030", t);
  for (int type : {6, 7, 8, 13, 99, -1}) {
    EXPECT_EQ(-1, GetBarTypeName(type, 1, t)) << type;
  }
  GetBarTypeName(7, 1, t);
  EXPECT_STREQ("Invalid BarType 7 (Int 1)", t);

  // The buffer form: the longest texts fit the documented size; a small buffer cuts.
  char name[kBarTypeNameSize];
  EXPECT_EQ(17, FormatBarTypeName(10, -2147483647 - 1, name, sizeof name));
  EXPECT_STREQ("LinBrk-2147483648", name);
  EXPECT_EQ(-1, FormatBarTypeName(-2147483647 - 1, -2147483647 - 1, name, sizeof name));
  EXPECT_STREQ("Invalid BarType -2147483648 (Int -2147483648)", name);
  EXPECT_EQ(3, FormatBarTypeName(2, 0, name, 4));
  EXPECT_STREQ("Dai", name);
  EXPECT_EQ(-1, FormatBarTypeName(2, 0, nullptr, 4));
  EXPECT_EQ(-1, FormatBarTypeName(2, 0, name, 0));
}

TEST_F(BarMgrTest, NamesFromIdOrGenerated) {
  CBarMgr m;
  m.SetName("ZZ_Chart1");
  EXPECT_STREQ("ZZ_Chart1", m.m_Name);
  CBarMgr unnamed;
  unnamed.SetName("");
  EXPECT_STREQ("BM__Invalid BarType 99 (Int 0)", unnamed.m_Name);
  unnamed.m_Symbol = "ES";
  unnamed.m_nBarType = 1;
  unnamed.m_nBarInterval = 5;
  unnamed.SetName(nullptr);
  EXPECT_STREQ("BM_ES_Intra0005", unnamed.m_Name);
}

TEST_F(BarMgrTest, SettingsAreReadAndWrittenBack) {
  WriteIniString("BarMgr", "PivotLeft", "7");
  WriteIniString("BarMgr", "ShowBars", " 250x");
  CBarMgr m;
  EXPECT_EQ(7, m.m_nPivotLeft);
  EXPECT_EQ(20, m.m_nPivotRight);
  EXPECT_EQ(50, m.m_nMaxTLAge);
  EXPECT_EQ(300, m.m_nMaxPivAge1);
  EXPECT_EQ(60, m.m_nMaxPivAge2);
  char buf[64];
  ReadIniString("BarMgr", "PivotRight", "", buf, sizeof buf);
  EXPECT_STREQ("20", buf);
  ReadIniString("BarMgr", "SmoothLen", "", buf, sizeof buf);
  EXPECT_STREQ("0", buf);
  ReadIniString("BarMgr", "ShowBars", "", buf, sizeof buf);
  EXPECT_EQ(std::to_string(m.m_nShowBars), buf);  // irregular text normalised
}

TEST_F(BarMgrTest, DataFolderFromRegistryDrive) {
  CBarMgr m;
  EXPECT_STREQ("C:/KorvaMgr/_DATA_", m.m_DataDir);
  EXPECT_EQ(1, IsDirectory(m.m_DataDir));
}

TEST_F(BarMgrTest, SetFlagSetsAndClearsOneBit) {
  CBarMgr m;
  m.SetFlag(kBarMgrFilterBit, 1);
  m.SetFlag(kBarMgrTraceBit, 5);
  EXPECT_EQ(kBarMgrFilterBit | kBarMgrTraceBit, m.m_nFlags);
  m.SetFlag(kBarMgrFilterBit, 0);
  EXPECT_EQ(kBarMgrTraceBit, m.m_nFlags);
}

TEST_F(BarMgrTest, SetPivotUpgradesOnlyToAHigherType) {
  CBarMgr m;
  CBarMgrPivot* p = m.SetPivot(4, 12.5f, 7, 2);
  ASSERT_NE(nullptr, p);
  EXPECT_EQ(1, p->direction);  // any positive direction is +1
  EXPECT_EQ(p, m.SetPivot(4, 3.0f, -1, 2));
  EXPECT_EQ(12.5f, p->price);
  EXPECT_EQ(1, p->direction);
  EXPECT_EQ(p, m.SetPivot(4, 3.0f, -1, 3));
  EXPECT_EQ(3.0f, p->price);
  EXPECT_EQ(-1, p->direction);
  EXPECT_EQ(3, p->type);
  EXPECT_EQ(1, m.GetPivotCount());
}

TEST_F(BarMgrTest, FindPivotBackAndOpposite) {
  CBarMgr m;
  m.SetPivot(1, 5, -1, 2);
  m.SetPivot(3, 9, 1, 2);
  m.SetPivot(5, 4, -1, 2);
  EXPECT_EQ(5, m.FindPivotBack(-1, 1)->bar);
  EXPECT_EQ(nullptr, m.FindPivotBack(1, 1));  // the newest is a low
  EXPECT_EQ(3, m.FindPivotBack(1, 0)->bar);
  EXPECT_EQ(3, m.FindOppositePivot(-1)->bar);
  EXPECT_EQ(5, m.FindOppositePivot(1)->bar);
  CBarMgr empty;
  EXPECT_EQ(nullptr, empty.FindOppositePivot(1));
}

TEST_F(BarMgrTest, TextForms) {
  CBarMgrPivot p;
  p.bar = 812;
  p.price = 1.2345f;
  p.direction = -1;
  p.type = 2;
  CTxt t;
  p.Describe(t);
  EXPECT_STREQ("Bar=  812, Prc=   1.2345, Dir=-1, Type=2, Exp=0, Show=0", t);

  CBarMgr m;
  m.AddBar(Day(20150415, 93000), 1.5f, 2.25f, 1.0f, 2.0f, 1234.0f, 17, 0);
  EXPECT_EQ(0, DumpBar(nullptr, t, 4));
  EXPECT_EQ(0, t.GetLength());
  int n = DumpBar(m.GetBar(0), t, 4);
  EXPECT_STREQ(
      "Bar#17[04/15/2015 09:30]: O=1.5000, H=2.2500, L=1.0000, C=2.0000, Vol=1234", t);
  EXPECT_EQ(n, t.GetLength());
}

}  // namespace
