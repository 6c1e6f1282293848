// XMT_PATTERN64 against the in-memory study object: its failures and messages, the output
// array, the price scale, bar-number restarts, and style 1 / 2 giving exactly what the
// separate exports give for the same bars.

#include "pattern/pattern64.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "common/testing/log_capture.h"
#include "common/testing/test_data.h"
#include "common/testing/test_dirs.h"
#include "hostbridge/entry_frame.h"
#include "hostbridge/testing/fake_host.h"
#include "hostbridge/xmt_slot.h"
#include "pattern/calc_pat.h"
#include "pattern/feed_bar.h"
#include "pattern/testing/library_under_test.h"
#include "pattern/testing/pattern_test_env.h"
#include "pattern/zigzag.h"
#include "studycore/barmgr/bar_mgr.h"
#include "studycore/barmgr/bar_mgr_registry.h"
#include "studycore/barmgr/testing/data_drive.h"

namespace {

constexpr double kUnwritten = 7.0;  // what the output array holds before a call

FakeBar BarOf(const CsvBar& s) {
  FakeBar b;
  b.open = s.open;
  b.high = s.high;
  b.low = s.low;
  b.close = s.close;
  b.upTicks = static_cast<double>(static_cast<long long>(s.volume) / 2);
  b.downTicks = s.volume - b.upTicks;
  b.year = s.date / 10000;
  b.month = s.date / 100 % 100;
  b.day = s.date % 100;
  return b;
}

class Pattern64Test : public ::testing::Test {
 protected:
  void SetUp() override {
    PresetDataDrive();
    ReleaseAllBarMgrs();
    log.Start("pattern64_test");
    std::memset(err, 'x', sizeof err);
    std::memset(patErr, 'x', sizeof patErr);
  }
  // Whatever a test did, on every path, each object received was given back exactly once.
  void TearDown() override {
    ReleaseAllBarMgrs();
    EXPECT_EQ(0, host.OutstandingRefs()) << "host objects not released";
    EXPECT_EQ(0, host.OverReleases()) << "host objects released twice";
  }

  // The two study arrays, with the parameters in "arrValIn" and kUnwritten in "arrValOut".
  void AddArrays(int left, int right, int style, int hostNumbers) {
    host.AddArray("arrValIn", {kP64InputCount});
    std::vector<double>& in = *host.MutableArrayValues("arrValIn");
    in[0] = left;
    in[1] = right;
    in[2] = style;
    in[3] = hostNumbers;
    host.AddArray("arrValOut", {kP64OutputCount});
    ResetOutput();
  }
  void ResetOutput() {
    if (std::vector<double>* out = host.MutableArrayValues("arrValOut"))
      for (double& v : *out) v = kUnwritten;
  }
  bool OutputUnwritten() const {
    const std::vector<double>* out = host.ArrayValues("arrValOut");
    if (!out) return true;
    for (double v : *out)
      if (v != kUnwritten) return false;
    return true;
  }
  int Call(const char* id, const char* name = "") {
    return Pattern64(id, err, &host, name, patErr);
  }
  void AddSimpleBar(double high) {
    FakeBar b;
    b.open = b.low = b.close = high * 0.99;
    b.high = high;
    b.upTicks = 10;
    b.downTicks = 5;
    b.year = 2015;
    b.month = 4;
    b.day = 15;
    b.hour = 9;
    b.minute = 30;
    host.AddBar(b);
  }

  FakeHost host;
  char err[kPatternErrBufSize + 16];
  char patErr[kPatternErrBufSize + 16];
  LogCapture log;
};

TEST_F(Pattern64Test, MissingInputsGiveTheirNumbersAndLeaveTheInstanceAlone) {
  AddSimpleBar(50);
  AddArrays(2, 2, 2, 0);
  host.RemoveArray("arrValOut");
  EXPECT_EQ(kP64ArrayMissing, Call("P64Missing"));
  EXPECT_STREQ("XMT_PATTERN64 Error#6 occured - arrValOut missingA", err);
  EXPECT_NE(std::string::npos,
            log.NewLogText().find("sendError: XMT_PATTERN64 Error#6 occured - arrValOut missingA"));
  EXPECT_EQ(0, BarMgrCount());

  host.RemoveArray("arrValIn");
  EXPECT_EQ(kP64ArrayMissing, Call("P64Missing"));
  EXPECT_STREQ("XMT_PATTERN64 Error#6 occured - arrValIn missingA", err);

  AddArrays(2, 2, 2, 0);
  host.SetDownTicksMissing(true);
  EXPECT_EQ(kP64DownTicksMissing, Call("P64Missing"));
  EXPECT_STREQ("XMT_PATTERN64 Error#4 occured - DownTicks missing", err);
  host.SetUpTicksMissing(true);
  EXPECT_EQ(kP64UpTicksMissing, Call("P64Missing"));
  EXPECT_STREQ("XMT_PATTERN64 Error#3 occured - UpTicks missing", err);
  host.SetDateSeriesMissing(true);
  EXPECT_EQ(kP64DateMissing, Call("P64Missing"));
  EXPECT_STREQ("XMT_PATTERN64 Error#2 occured - Date Missing", err);
  // No error buffer: the failure is still returned and logged.
  EXPECT_EQ(kP64DateMissing, Pattern64("P64Missing", nullptr, &host, "", nullptr));
  EXPECT_EQ(0, BarMgrCount());
  EXPECT_TRUE(OutputUnwritten());
}

TEST_F(Pattern64Test, ArrayShapeAndSizeAreChecked) {
  AddSimpleBar(50);
  AddArrays(2, 2, 2, 0);
  host.AddArray("arrValIn", {kP64InputCount - 1});
  EXPECT_EQ(kP64ArraySize, Call("P64Shape"));
  EXPECT_STREQ("XMT_PATTERN64 Error#8 occured - arrValIn Size wrong", err);

  host.RemoveArray("arrValOut");  // the input array is checked in full before the output
  EXPECT_EQ(kP64ArraySize, Call("P64Shape"));
  EXPECT_STREQ("XMT_PATTERN64 Error#8 occured - arrValIn Size wrong", err);

  host.AddArray("arrValIn", {kP64InputCount});
  host.AddArray("arrValOut", {10, 10});
  EXPECT_EQ(kP64ArrayDims, Call("P64Shape"));
  EXPECT_STREQ("XMT_PATTERN64 Error#7 occured - arrValOut dimensions wrong", err);
  host.AddArray("arrValOut", {});
  EXPECT_EQ(kP64ArrayDims, Call("P64Shape"));

  host.AddArray("arrValOut", {kP64OutputCount - 1});
  ResetOutput();
  EXPECT_EQ(kP64ArraySize, Call("P64Shape"));
  EXPECT_STREQ("XMT_PATTERN64 Error#8 occured - arrValOut Size wrong", err);
  EXPECT_TRUE(OutputUnwritten());
  EXPECT_EQ(0, BarMgrCount());
}

// The host is read in a fixed order: failing each call in turn must leave every call before
// it made and none after it (the first time each call occurs).
TEST_F(Pattern64Test, HostIsReadInOrder) {
  struct Call {
    FakeIface iface;
    int slot;
  };
  const Call order[] = {
      {FakeIface::Study, 23},      {FakeIface::Study, 24},      {FakeIface::Study, 25},
      {FakeIface::Study, 9},       {FakeIface::Study, 12},      {FakeIface::Study, 11},
      {FakeIface::Study, 10},      {FakeIface::NumSeries, 16},  {FakeIface::Study, 8},
      {FakeIface::Study, 7},       {FakeIface::DateSeries, 10}, {FakeIface::DateSeries, 11},
      {FakeIface::DateSeries, 12}, {FakeIface::DateSeries, 13}, {FakeIface::DateSeries, 14},
      {FakeIface::Study, 13},      {FakeIface::Variable, 26},   {FakeIface::Variable, 29},
      {FakeIface::Variable, 28},   {FakeIface::Variable, 12},   {FakeIface::Variable, 13}};
  const int count = static_cast<int>(std::size(order));
  for (int k = 0; k < count; ++k) {
    SCOPED_TRACE(k);
    FakeHost h;  // a new study for every step
    FakeBar b;
    b.open = b.high = b.low = b.close = 50;
    h.AddBar(b);
    h.AddArray("arrValIn", {kP64InputCount});
    h.AddArray("arrValOut", {kP64OutputCount});
    (*h.MutableArrayValues("arrValIn"))[2] = 2;
    h.FailSlot(order[k].iface, order[k].slot, E_FAIL);
    EXPECT_EQ(kP64Internal, Pattern64("P64Order", err, &h, "", patErr));
    for (int j = 0; j < count; ++j) {
      const int calls = h.Calls(order[j].iface, order[j].slot);
      if (j <= k)
        EXPECT_GE(calls, 1) << j;
      else
        EXPECT_EQ(0, calls) << j;
    }
    // Only the last call (writing the output) comes after the bar is fed.
    EXPECT_EQ(k == count - 1 ? 1 : 0, BarMgrCount());
  }
}

// The host calls a bar costs, slot by slot: the three series, the bar's four prices and
// ticks, the bar number's two parts, five date fields, each array found and checked once,
// 50 parameters and 100 results each selected once, and nothing else.
TEST_F(Pattern64Test, HostCallsPerBarAreThoseTheBarNeeds) {
  AddSimpleBar(50);
  AddArrays(2, 2, 2, 0);
  ASSERT_EQ(0, Call("P64Calls"));
  const struct {
    FakeIface iface;
    int slot;
    int calls;
  } expected[] = {
      {FakeIface::Study, 7, 1},       {FakeIface::Study, 8, 1},
      {FakeIface::Study, 9, 1},       {FakeIface::Study, 10, 1},
      {FakeIface::Study, 11, 1},      {FakeIface::Study, 12, 1},
      {FakeIface::Study, 13, 2},      {FakeIface::Study, 23, 1},
      {FakeIface::Study, 24, 1},      {FakeIface::Study, 25, 1},
      {FakeIface::NumSeries, 16, 2},  {FakeIface::DateSeries, 10, 1},
      {FakeIface::DateSeries, 11, 1}, {FakeIface::DateSeries, 12, 1},
      {FakeIface::DateSeries, 13, 1}, {FakeIface::DateSeries, 14, 1},
      {FakeIface::Variable, 26, 2},   {FakeIface::Variable, 29, 2},
      {FakeIface::Variable, 28, kP64InputCount + kP64OutputCount},
      {FakeIface::Variable, 12, kP64InputCount},
      {FakeIface::Variable, 13, kP64OutputCount},
  };
  int total = 0;
  for (const auto& e : expected) {
    EXPECT_EQ(e.calls, host.Calls(e.iface, e.slot)) << static_cast<int>(e.iface) << "/" << e.slot;
    total += e.calls;
  }
  EXPECT_EQ(322, total);
  EXPECT_EQ(total, host.TotalCalls());  // no call at a slot the table leaves out
}

TEST_F(Pattern64Test, OtherStyleFeedsTheBarAndWritesHundredZeros) {
  AddSimpleBar(50);
  AddArrays(2, 2, 0, 0);
  host.AddArray("arrValOut", {kP64OutputCount + 5});
  ResetOutput();
  EXPECT_EQ(0, Call("P64Style0"));
  const std::vector<double>& out = *host.ArrayValues("arrValOut");
  for (int i = 0; i < kP64OutputCount; ++i) EXPECT_EQ(0.0, out[i]) << i;
  EXPECT_EQ(kUnwritten, out[kP64OutputCount]);  // only the first 100 are ours
  EXPECT_EQ(kP64OutputCount, host.Calls(FakeIface::Variable, 13));

  CBarMgr* mgr = FindBarMgr("P64Style0");
  ASSERT_EQ(1, mgr->GetBarCount());
  const CBarMgrData* bar = mgr->GetBar(0);
  EXPECT_EQ(20150415, bar->dateTime.GetDate(0));
  EXPECT_EQ(93000, bar->dateTime.GetTime());
  EXPECT_EQ(15.0f, bar->volume);  // up + down ticks
  EXPECT_EQ(1, bar->barNumber);
  const std::string text = log.NewLogText();
  EXPECT_NE(std::string::npos,
            text.find("XMT_PATTERN_AddBar#1: ID=P64Style0 nPivL=2, nPivR=2 Name= iBar=0 Style=0"));
  EXPECT_NE(std::string::npos, text.find("XMT_PATTERN_AddBar: Bar: Bar#1[04/15/2015 09:30]: "));
}

TEST_F(Pattern64Test, PriceScaleFollowsTheHigh) {
  EXPECT_EQ(12346, ScalePriceForFeed(1.23456f, 10000));
  EXPECT_EQ(12346, ScalePriceForFeed(123.456f, 100));
  EXPECT_EQ(-12346, ScalePriceForFeed(-1.23456f, 10000));
  EXPECT_EQ(0, ScalePriceForFeed(0.0f, 100));
  EXPECT_EQ(2147483647, ScalePriceForFeed(1e30f, 100));  // kept in range, no overflow

  AddArrays(2, 2, 0, 0);
  AddSimpleBar(1.23456);
  ASSERT_EQ(0, Call("P64Scale"));
  AddSimpleBar(123.456);
  ASSERT_EQ(0, Call("P64Scale"));
  CBarMgr* mgr = FindBarMgr("P64Scale");
  EXPECT_EQ(12346.0f / 10000.0f, mgr->GetBar(0)->high);
  EXPECT_EQ(12346.0f / 100.0f, mgr->GetBar(1)->high);
}

TEST_F(Pattern64Test, HostBarNumbersGoingBackRestartTheInstance) {
  const std::vector<CsvBar> bars = ReadTestBars("msft_daily.csv");
  ASSERT_GE(bars.size(), 60u);
  AddArrays(2, 2, 2, 1);  // element 3 on: the host's numbers
  for (int i = 0; i < 60; ++i) {
    host.AddBar(BarOf(bars[i]));
    ASSERT_GE(Call("P64Restart"), -2);
  }
  CBarMgr* mgr = FindBarMgr("P64Restart");
  EXPECT_EQ(60, mgr->m_nLastBarNumber);
  ASSERT_GT(mgr->GetPivotCount(), 0);
  host.SetBarNumberParts(1, 0);  // the host starts over
  EXPECT_EQ(0, Call("P64Restart"));
  EXPECT_EQ(1, mgr->m_nLastBarNumber);
  EXPECT_EQ(0, mgr->GetPivotCount());
  EXPECT_EQ(61, mgr->GetBarCount());  // bars are appended, never matched here

  // Element 3 off: the numbers are generated from the bar count and never go back.
  AddArrays(2, 2, 2, 0);
  host.SetBarNumberParts(60, 0);
  for (int i = 0; i < 3; ++i) Call("P64Generated");
  host.SetBarNumberParts(1, 0);
  Call("P64Generated");
  EXPECT_EQ(4, FindBarMgr("P64Generated")->m_nLastBarNumber);
  EXPECT_TRUE(FindBarMgr("P64Generated")->HasFlag(kBarMgrFilterBit));

  // A host number that cannot be negated is fed as the feed reads it, without overflow.
  AddArrays(2, 2, 2, 1);
  host.SetBarNumberParts(-2147483647 - 1, 0);
  EXPECT_EQ(0, Call("P64Extreme"));
  EXPECT_EQ(0, FindBarMgr("P64Extreme")->m_nLastBarNumber);
}

// Style 1 and 2 against the separate calls on a second instance, bar by bar.
TEST_F(Pattern64Test, StylesMatchTheSeparateCalls) {
  std::string rules;
  ASSERT_TRUE(ReadWholeFile(TestDataPath("patterns/PR_Swing3.txt"), &rules));
  ASSERT_TRUE(WritePatternFile("P64Swing3", rules));
  const std::vector<CsvBar> bars = ReadTestBars("msft_daily.csv");
  ASSERT_FALSE(bars.empty());

  for (int style : {1, 2}) {
    SCOPED_TRACE(style);
    FakeHost h;  // a new study
    const std::string viaHost = "P64Style" + std::to_string(style);
    const std::string direct = "P64Direct" + std::to_string(style);
    int reports = 0;
    for (size_t i = 0; i < bars.size(); ++i) {
      if (i == 0) {
        h.AddArray("arrValIn", {kP64InputCount});
        std::vector<double>& in = *h.MutableArrayValues("arrValIn");
        in[0] = 3;
        in[1] = 2;
        in[2] = style;
        h.AddArray("arrValOut", {kP64OutputCount});
      }
      const FakeBar fb = BarOf(bars[i]);
      h.AddBar(fb);
      const int r = Pattern64(viaHost.c_str(), err, &h, "P64Swing3", patErr);

      const int open = ScalePriceForFeed(static_cast<float>(fb.open), 100);
      const int high = ScalePriceForFeed(static_cast<float>(fb.high), 100);
      const int low = ScalePriceForFeed(static_cast<float>(fb.low), 100);
      const int close = ScalePriceForFeed(static_cast<float>(fb.close), 100);
      FeedBarArgs a;
      a.id = direct.c_str();
      a.date = FullDateToHost(bars[i].date);
      a.barNumber = 1;
      a.priceScale = 100;
      a.open = &open;
      a.high = &high;
      a.low = &low;
      a.close = &close;
      a.volume = static_cast<int>(static_cast<float>(fb.upTicks) + static_cast<float>(fb.downTicks));
      const int pos = FeedBar(a, FeedStyle::Pattern) + 1;
      XmtSlot block[kP64OutputCount] = {};
      const int expected = style == 1
          ? PatternCalcPat(1, direct.c_str(), pos, 3, 2, SlotBlock(block), "P64Swing3", patErr)
          : ZZCalcPiv(direct.c_str(), pos, 3, 2, SlotBlock(block));
      ASSERT_EQ(expected, r) << "bar " << i;
      const std::vector<double>& out = *h.ArrayValues("arrValOut");
      for (int s = 0; s < kP64OutputCount; ++s)
        ASSERT_EQ(static_cast<double>(block[s].value), out[s]) << "bar " << i << " slot " << s;
      if (r != 0) ++reports;
    }
    EXPECT_GT(reports, 10);  // the run did reach the pattern / pivot reports
  }
  RemovePatternFile("P64Swing3");
}

TEST_F(Pattern64Test, PatternLoadErrorGoesToTheSecondBufferBounded) {
  AddSimpleBar(50);
  AddArrays(2, 2, 1, 0);
  const std::string longName(kPatternErrBufSize / 2 + 100, 'N');  // named twice in the message
  EXPECT_EQ(-5, Call("P64NoPattern", longName.c_str()));
  EXPECT_EQ(kPatternErrBufSize - 1, static_cast<int>(std::strlen(patErr)));
  EXPECT_EQ('x', patErr[kPatternErrBufSize]);  // nothing beyond the bound
  EXPECT_EQ('x', err[0]);                        // the first buffer is for our own errors
  EXPECT_FALSE(OutputUnwritten());               // a result, so the block went out
}

TEST_F(Pattern64Test, FailingHostCallIsAnInternalError) {
  AddSimpleBar(50);
  AddArrays(2, 2, 2, 0);
  host.FailSlot(FakeIface::Study, 12, E_FAIL);  // the high
  EXPECT_EQ(kP64Internal, Call("P64Fail"));
  EXPECT_STREQ("Internal Error(x64) (101)", err);
  EXPECT_NE(std::string::npos, log.NewLogText().find("Internal Error(x64) (101)"));
  EXPECT_EQ(0, BarMgrCount());
  host.FailSlot(FakeIface::Study, 12, S_OK);

  // Writing the output fails after the bar went in: still caught, nothing escapes.
  host.FailSlot(FakeIface::Variable, 13, E_UNEXPECTED);
  EXPECT_EQ(kP64Internal, Call("P64Fail"));
  EXPECT_EQ(1, FindBarMgr("P64Fail")->GetBarCount());
  host.FailSlot(FakeIface::Variable, 13, S_OK);

  EXPECT_EQ(kP64Internal, Pattern64("P64Fail", err, nullptr, "", patErr));
  EXPECT_EQ(-2, Pattern64(nullptr, err, &host, "", patErr));
}

// The same through the loaded library, called by name with the study object's pointer.
TEST_F(Pattern64Test, ExportTakesTheStudyObject) {
  PatternLibrary lib(XMT_PATTERN_FILE_NAME);
  ASSERT_TRUE(lib.Complete()) << lib.Error();
  auto p64 = lib.Get<XMT_PATTERN64_fn>("XMT_PATTERN64");
  ASSERT_NE(nullptr, p64);
  AddSimpleBar(50);
  AddArrays(2, 2, 0, 0);
  EXPECT_EQ(0, p64("P64Export", err, &host, "", patErr));
  EXPECT_EQ(std::vector<double>(kP64OutputCount, 0.0), *host.ArrayValues("arrValOut"));
  host.RemoveArray("arrValOut");
  EXPECT_EQ(-101, p64("P64Export", err, &host, "", patErr));
  EXPECT_STREQ("XMT_PATTERN64 Error#6 occured - arrValOut missingA", err);
  EXPECT_EQ(0, BarMgrCount());  // the library's instances are its own
}

}  // namespace
