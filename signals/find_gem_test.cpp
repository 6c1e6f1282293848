// The excursion store: mode decoding, adding in and out of order, the scan with its limits,
// the trace lines.

#include <gtest/gtest.h>

#include <vector>

#include "common/testing/log_capture.h"
#include "signals/find_gem.h"

namespace {

// Adds a bar with high and low in cents (open and close equal the low, V5 the day).
int Add(const char* sym, int date, int time, int high, int low, int mode = 20, int div = 100) {
  const int v5 = date % 100;
  FindGemValues values{{&low, &high, &low, &low, &v5}};
  return FindGemAdd(sym, date, time, div, values, mode);
}

TEST(FindGem, ModeDecodingOnSymbolChange) {
  struct Case {
    int mode, sameDay, basisPts, scope;
  } cases[] = {{20, 1, 0, 20},  {-1050, 0, 1, 50}, {1000, 1, 0, 2},
               {1001, 1, 1, 2}, {0, 1, 0, 2},      {1, 1, 0, 2}, {-2147483647 - 1, 0, 1, 648}};
  int n = 0;
  for (const Case& c : cases) {
    const std::string sym = "MODE" + std::to_string(n++);
    ASSERT_EQ(1, Add(sym.c_str(), 1150326, 930, 100, 90, c.mode)) << c.mode;
    const CFindGemDB& db = FindGemStore();
    EXPECT_EQ(c.sameDay, db.bSameDay) << c.mode;
    EXPECT_EQ(c.basisPts, db.bBasisPts) << c.mode;
    EXPECT_EQ(c.scope, db.nScope) << c.mode;
    // The same symbol in other letters keeps the store and ignores a new mode.
    std::string lower = sym;
    for (char& ch : lower) ch = static_cast<char>(tolower(ch));
    EXPECT_EQ(2, Add(lower.c_str(), 1150326, 1000, 100, 90, 7)) << c.mode;
    EXPECT_EQ(c.scope, db.nScope);
  }
}

TEST(FindGem, ArgumentChecksInOrderAndStoredValues) {
  const int v = 12345;
  FindGemValues values{{&v, &v, &v, &v, &v}};
  EXPECT_EQ(-1, FindGemAdd(nullptr, 899999, 930, 0, values, 20));
  EXPECT_EQ(-2, FindGemAdd(nullptr, 900000, 930, 0, values, 20));
  EXPECT_EQ(-3, FindGemAdd("CHK", 900000, 930, 0, values, 20));
  ASSERT_EQ(1, FindGemAdd("CHK", 1150326, 930, 100, values, 20));
  const CFindGemPoint* p = FindGemStore().arrPoints[0];
  EXPECT_FLOAT_EQ(123.45f, p->arrVal.GetAt(0));
  EXPECT_EQ(12345.0f / 100.0f, p->arrVal.GetAt(3));
  EXPECT_EQ(12345.0f, p->arrVal.GetAt(4));  // V5 is not divided
  // Null value pointers read as 0; the same bar again changes nothing.
  EXPECT_EQ(2, FindGemAdd("CHK", 1150326, 1000, 100, FindGemValues{}, 20));
  EXPECT_EQ(2, FindGemAdd("CHK", 1150326, 930, 1, FindGemValues{}, 20));
  EXPECT_FLOAT_EQ(123.45f, FindGemStore().arrPoints[0]->arrVal.GetAt(0));

  FindGemResult out;
  out.longPlus = 5;
  EXPECT_EQ(-1, FindGemCalc("CHK", 899999, 930, out));
  EXPECT_EQ(0.0f, out.longPlus);
  EXPECT_EQ(-2, FindGemCalc(nullptr, 1150326, 930, out));
}

TEST(FindGem, ScanNeedsScopeBarsBeforeAndAKnownBar) {
  for (int i = 0; i < 25; ++i) ASSERT_EQ(i + 1, Add("SCOPE", 1150326, 900 + i, 100, 90, -20));
  FindGemResult out;
  EXPECT_EQ(-1, FindGemCalc("SCOPE", 1150326, 904, out));  // the 5th bar
  EXPECT_EQ(-1, FindGemCalc("SCOPE", 1150326, 919, out));  // the 20th: 19 before it
  EXPECT_EQ(20, FindGemCalc("SCOPE", 1150326, 920, out));  // the 21st
  EXPECT_EQ(-1, FindGemCalc("SCOPE", 1150326, 959, out));  // never added
  // The symbol is not compared: the scan runs on what the store holds.
  EXPECT_EQ(20, FindGemCalc("OTHER", 1150326, 924, out));
}

TEST(FindGem, BarsOutOfOrderGoToTheirPlaceAndAreFoundOnce) {
  // A second chart (or a late bar) sends 09:30 after 10:00; it is stored between them.
  ASSERT_EQ(1, Add("LATE", 1150326, 900, 10000, 9000, -2));
  ASSERT_EQ(2, Add("LATE", 1150326, 915, 10100, 9100, -2));
  ASSERT_EQ(3, Add("LATE", 1150326, 1000, 10200, 9200, -2));
  ASSERT_EQ(4, Add("LATE", 1150326, 930, 10500, 8500, -2));
  EXPECT_EQ(4, Add("LATE", 1150326, 930, 10500, 8500, -2));  // found: nothing added
  EXPECT_EQ(4, Add("LATE", 1150326, 900, 1, 1, -2));
  EXPECT_EQ(4, Add("LATE", 1150326, 1000, 1, 1, -2));
  const CFindGemDB& db = FindGemStore();
  for (int i = 1; i < db.arrPoints.GetSize(); ++i)
    EXPECT_LT(db.arrPoints[i - 1]->dtBar.Compare(&db.arrPoints[i]->dtBar, 6), 0) << i;

  FindGemResult out;
  // 09:30 is the third bar: the scan starts at 09:00 and takes 09:15 and 09:30.
  ASSERT_EQ(2, FindGemCalc("LATE", 1150326, 930, out));
  EXPECT_FLOAT_EQ(5.0f, out.longPlus);    // low 85 below the start low 90
  EXPECT_FLOAT_EQ(15.0f, out.longMinus);  // high 105 above the start low
  EXPECT_FLOAT_EQ(5.0f, out.shortPlus);
  EXPECT_FLOAT_EQ(15.0f, out.shortMinus);
  // 10:00 now starts from 09:15 (high 101, low 91).
  ASSERT_EQ(2, FindGemCalc("LATE", 1150326, 1000, out));
  EXPECT_FLOAT_EQ(6.0f, out.longPlus);
  EXPECT_FLOAT_EQ(14.0f, out.longMinus);
  // A bar before all others goes first.
  EXPECT_EQ(5, Add("LATE", 1150326, 800, 10000, 9000, -2));
  ASSERT_EQ(2, FindGemCalc("LATE", 1150326, 915, out));
  EXPECT_EQ(-1, FindGemCalc("LATE", 1150326, 800, out));
}

TEST(FindGem, TraceLines) {
  LogCapture log;
  log.Start("find_gem_test");
  Add("TRACE", 1150326, 900, 10000, 9000, -1001);
  Add("TRACE", 1150326, 901, 10400, 8800, -1001);
  Add("TRACE", 1150326, 901, 10400, 8800, -1001);
  Add("TRACE", 1150326, 902, 9500, 8900, -1001);
  FindGemResult out;
  FindGemCalc("TRACE", 1150326, 902, out);
  FindGemCalc("TRACE", 1150326, 901, out);  // fails: no line
  const std::vector<TraceLine> expected = {
      {"GEMDB_FUNC", 'a',
       "LoadDB done, Sym=TRACE, Date=20150326 (Mode=1, I=0, MaxPt=0. Scope=2, Version Apr 15 "
       "2015 10:49:04)"},
      {"FindGem", ' ', "Add Max=   1 Idx=   0"},
      {"FindGem", ' ', "Add Max=   2 Idx=   1"},
      {"FindGem", ' ', "Add Max=   2 Idx=   1"},
      {"FindGem", ' ', "Add Max=   3 Idx=   2"},
      {"FindGem", ' ', "ret=   2, Long=  222.2222+  1555.5555-, Short=  400.0000+  1200.0000-"},
  };
  EXPECT_EQ(expected, ParseTraceLines(log.NewLogText()));
}

TEST(FindGem, LargestMovesAgainstTheStartBar) {
  // Scope 2, no day limit. Start bar high 100, low 90; then lows 88 and 89, highs 104, 95.
  Add("MOVES", 1150326, 900, 10000, 9000, -2);
  Add("MOVES", 1150326, 901, 10400, 8800, -2);
  Add("MOVES", 1150326, 902, 9500, 8900, -2);
  FindGemResult out;
  ASSERT_EQ(2, FindGemCalc("MOVES", 1150326, 902, out));
  EXPECT_FLOAT_EQ(2.0f, out.longPlus);     // low 2 below the start low
  EXPECT_FLOAT_EQ(14.0f, out.longMinus);   // high 104 above the start low 90
  EXPECT_FLOAT_EQ(4.0f, out.shortPlus);    // high 104 above the start high 100
  EXPECT_FLOAT_EQ(12.0f, out.shortMinus);  // low 88 below the start high

  // The same in ten-thousandths of the reference price: 10000 * move / reference.
  Add("BASIS", 1150326, 900, 10000, 9000, -1002);
  Add("BASIS", 1150326, 901, 10400, 8800, -1002);
  Add("BASIS", 1150326, 902, 9500, 8900, -1002);
  ASSERT_EQ(2, FindGemCalc("BASIS", 1150326, 902, out));
  const float low0 = 9000 / 100.0f, high0 = 10000 / 100.0f;
  EXPECT_EQ((low0 - 8800 / 100.0f) * 10000.0f / low0, out.longPlus);
  EXPECT_EQ((10400 / 100.0f - high0) * 10000.0f / high0, out.shortPlus);
}

TEST(FindGem, NonPositiveReferenceLowLeavesTheLongSideAtZero) {
  Add("ZEROLOW", 1150326, 900, 10000, 0, -2);
  Add("ZEROLOW", 1150326, 901, 10400, 8800, -2);
  Add("ZEROLOW", 1150326, 902, 9500, 8900, -2);
  FindGemResult out;
  ASSERT_EQ(2, FindGemCalc("ZEROLOW", 1150326, 902, out));
  EXPECT_EQ(0.0f, out.longPlus);
  EXPECT_EQ(0.0f, out.longMinus);
  EXPECT_FLOAT_EQ(4.0f, out.shortPlus);
  EXPECT_FLOAT_EQ(12.0f, out.shortMinus);
}

TEST(FindGem, SameDayLimitStopsAtTheNextDate) {
  // The start bar is the last of 26 March; every later bar moves a lot.
  for (int mode : {3, -3}) {
    const char* sym = mode > 0 ? "DAYLIM" : "NOLIM";
    Add(sym, 1150326, 1600, 10000, 9000, mode);
    Add(sym, 1150327, 900, 12000, 8000, mode);
    Add(sym, 1150327, 930, 12000, 8000, mode);
    Add(sym, 1150327, 1000, 12000, 8000, mode);
    FindGemResult out;
    ASSERT_EQ(3, FindGemCalc(sym, 1150327, 1000, out));
    if (mode > 0) {
      EXPECT_EQ(0.0f, out.longPlus);
      EXPECT_EQ(0.0f, out.longMinus);
      EXPECT_EQ(0.0f, out.shortPlus);
      EXPECT_EQ(0.0f, out.shortMinus);
    } else {
      EXPECT_FLOAT_EQ(10.0f, out.longPlus);
      EXPECT_FLOAT_EQ(20.0f, out.shortPlus);
    }
  }
}

}  // namespace
