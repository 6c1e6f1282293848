// What a bar costs in the XMT_PATTERN exports: heap allocations, settings and registry
// reads, file opens and log writes while bars of the sample data go through the export
// functions, after a warm-up that creates the instance, loads the pattern and opens the log.
//
// A bar may cost its own record (a new bar) and a confirmed pivot its pivot record, with
// the occasional growth of the lists; everything else (texts, settings, lookups, log lines)
// must stay off the per-bar path. The counting is the test kit's (common/testing/cost_meter.h).

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "common/settings/trace_log.h"
#include "common/testing/cost_meter.h"
#include "common/testing/log_capture.h"
#include "common/testing/platform_wrapper.h"
#include "common/testing/test_data.h"
#include "common/testing/test_dirs.h"
#include "common/text/txt.h"
#include "hostbridge/entry_frame.h"
#include "pattern/calc_pat.h"
#include "pattern/pattern_file.h"
#include "pattern/pattern_registry.h"
#include "pattern/testing/pattern_test_env.h"
#include "pattern/xmt_pattern.h"
#include "studycore/barmgr/bar_mgr.h"
#include "studycore/barmgr/bar_mgr_registry.h"
#include "studycore/barmgr/testing/data_drive.h"

namespace {

// One sample bar in the host's form, prices x100.
struct HostBar {
  int date = 0, time = 0, open = 0, high = 0, low = 0, close = 0, volume = 0;
};

std::vector<HostBar> LoadBars() {
  std::vector<HostBar> bars;
  for (const CsvBar& s : ReadTestBars("ttrc_daily.csv")) {
    if (s.date < 19900101) continue;  // the host's data starts in 1990
    HostBar b;
    b.date = FullDateToHost(s.date);
    b.time = 1600;
    b.open = static_cast<int>(s.open * 100 + 0.5);
    b.high = static_cast<int>(s.high * 100 + 0.5);
    b.low = static_cast<int>(s.low * 100 + 0.5);
    b.close = static_cast<int>(s.close * 100 + 0.5);
    b.volume = static_cast<int>(s.volume);
    bars.push_back(b);
  }
  return bars;
}

// Evaluations so far of the pattern (name, id); read outside the measured calls.
int EvalCount(const char* name, const char* id) {
  CTxt err;
  const CPivPatRec* p = FindPattern(name, id, err);
  return p ? p->m_nEvalCount : -1;
}

// The pivot list's size and newest pivot: a bar that confirms a pivot changes one of them
// (a consolidation keeps the size but replaces the newest).
struct PivotState {
  int count = 0;
  int newestBar = -1;
  bool operator!=(const PivotState& o) const {
    return count != o.count || newestBar != o.newestBar;
  }
};
PivotState NewestPivot(const char* id) {
  const CBarMgr* mgr = FindBarMgr(id);
  PivotState s;
  s.count = mgr->GetPivotCount();
  if (const CBarMgrPivot* p = mgr->GetPivot(s.count - 1)) s.newestBar = p->bar;
  return s;
}

// Longer than any short-string buffer, so that a text built from them per call would show.
const char* const kZigZagId = "HotPath ZigZag instance of a study on TTRC daily";
const char* const kPatternId = "HotPath Pattern instance of a study on TTRC daily";
const char* const kRsId = "HotPath RS check instance of a study on TTRC daily";
const char* const kPatternName = "hot_path_swing_three_points";

constexpr int kWarmUp = 300;  // bars fed before counting starts
constexpr int kLeft = 5, kRight = 5;

// A bar that confirms a pivot may add its pivot record and grow the pivot list once.
constexpr long kPivotExtra = 2;

class HotPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PresetDataDrive();
    ReleaseAllBarMgrs();
    ClearPatterns();
    log_.Start("hot_path_test");
    bars_ = LoadBars();
    ASSERT_GT(bars_.size(), 2000u);
  }
  void TearDown() override {
    ReleaseAllBarMgrs();
    ClearPatterns();
  }

  int AddZZ(const char* id, int number, const HostBar& b) {
    return XMT_ZZ_AddBar(1, id, b.date, b.time, number, 100, &b.open, &b.high, &b.low,
                         &b.close, b.volume);
  }
  int RsCheck(const char* id, int number, const HostBar& b, XmtSlot* block) {
    return XMT_RS_ChkPiv(id, b.date, b.time, number, 100, nullptr, nullptr, nullptr, &b.close,
                         b.volume, 10, 10, block);
  }

  CountingPlatform platform_;
  ScopedPlatform scoped_{platform_};
  LogCapture log_;
  std::vector<HostBar> bars_;
};

// The counters see both kinds of allocation (else every test below would pass vacuously).
TEST_F(HotPathTest, CountersSeeHeapAndTextAllocations) {
  Meter meter(platform_);
  auto* number = new int(7);
  CTxt text;
  text.Format("Bar=%d", *number);
  const Cost c = meter.Stop();
  delete number;
  EXPECT_GE(c.heap, 1) << Describe(c);
  EXPECT_EQ(1, c.task) << Describe(c);
}

// The lines written on events take no memory of their own either.
TEST_F(HotPathTest, LogLineTakesNoMemory) {
  Meter meter(platform_);
  LogTrace("RSCalc", 1, "NewPiv, Date=%d+%06d, %s, (%d)", 20150415, 93000,
           "Bar=  812, Prc=   1.2345, Dir=-1, Type=2, Exp=0, Show=0", 0);
  const Cost c = meter.Stop();
  EXPECT_EQ(1, c.logs) << Describe(c);
  EXPECT_EQ(0, c.heap) << Describe(c);
  EXPECT_EQ(0, c.task) << Describe(c);
  EXPECT_NE(std::string::npos, log_.NewLogText().find("|NewPiv, Date=20150415+093000, Bar=  812"));
}

// New bars and bars fed again after the host starts over, through the zig-zag pair.
TEST_F(HotPathTest, ZigZagBarCostsItsRecordAndReFedBarsNothing) {
  const char* id = kZigZagId;
  XmtSlot block[12];
  const int n = static_cast<int>(bars_.size());
  for (int pass = 0; pass < 2; ++pass) {
    // Pass 0 appends every bar; pass 1 starts over at bar 1 and finds every bar again.
    int pivots = 0;
    for (int i = 0; i < n; ++i) {
      if (i < kWarmUp) {
        int index = AddZZ(id, i + 1, bars_[i]);
        XMT_ZZ_CalcPiv(0, id, index + 1, kLeft, kRight, block);
        continue;
      }
      Meter meter(platform_);
      const int index = AddZZ(id, i + 1, bars_[i]);
      const int r = XMT_ZZ_CalcPiv(0, id, index + 1, kLeft, kRight, block);
      const Cost c = meter.Stop();
      ASSERT_EQ(i, index);
      const long record = pass == 0 ? 1 : 0;
      if (r == 0) {
        ASSERT_EQ(record, c.heap) << "bar " << i << " pass " << pass << ": " << Describe(c);
      } else {
        ++pivots;
        ASSERT_LE(c.heap, record + kPivotExtra) << "pivot bar " << i << ": " << Describe(c);
      }
      ASSERT_EQ(0, c.task) << "bar " << i << ": " << Describe(c);
      ASSERT_EQ(0, c.other) << "bar " << i << ": " << Describe(c);
      ASSERT_EQ(0, c.logs) << "bar " << i << ": " << Describe(c);
    }
    EXPECT_GT(pivots, 100) << "pass " << pass;
  }
}

// The pattern evaluation on bars without a new pivot only reports the last verdict.
TEST_F(HotPathTest, CalcPatWithoutNewPivotAllocatesNothing) {
  std::string rules;
  ASSERT_TRUE(ReadWholeFile(TestDataPath("patterns/PR_Swing3.txt"), &rules));
  // Diagnostics from the start: the consolidation and verdict lines are written too, and
  // they must still come only with pivots.
  ASSERT_TRUE(WritePatternFile(kPatternName, rules + "\nDiagStart:\n19850101\n"));
  const char* id = kPatternId;
  XmtSlot block[100];
  char err[kPatternErrBufSize] = {};
  int evaluated = 0;
  long logged = 0;
  for (int i = 0; i < static_cast<int>(bars_.size()); ++i) {
    const HostBar& b = bars_[i];
    const int index = XMT_PATTERN_AddBar(1, id, b.date, b.time, 0, 100, &b.open, &b.high,
                                         &b.low, &b.close, b.volume);
    ASSERT_EQ(i, index);
    if (i < kWarmUp) {
      XMT_PATTERN_CalcPat(0, id, index + 1, kLeft, kRight, block, kPatternName, err);
      continue;
    }
    const PivotState pivotsBefore = NewestPivot(id);
    const int evalBefore = EvalCount(kPatternName, id);
    Meter meter(platform_);
    const int r = XMT_PATTERN_CalcPat(0, id, index + 1, kLeft, kRight, block, kPatternName, err);
    const Cost c = meter.Stop();
    ASSERT_GE(r, 0) << err;
    const bool event = NewestPivot(id) != pivotsBefore ||
                       EvalCount(kPatternName, id) != evalBefore;
    if (EvalCount(kPatternName, id) != evalBefore) ++evaluated;
    logged += c.logs;
    if (!event) {
      ASSERT_EQ(0, c.heap) << "bar " << i << ": " << Describe(c);
      ASSERT_EQ(0, c.task) << "bar " << i << ": " << Describe(c);
      ASSERT_EQ(0, c.logs) << "bar " << i << ": " << Describe(c);
    }
    ASSERT_EQ(0, c.other) << "bar " << i << ": " << Describe(c);
  }
  EXPECT_GT(evaluated, 50);
  EXPECT_GT(logged, evaluated);  // the log is open: a quiet bar really writes nothing
}

// The support/resistance check feeds and tests in one call: a new bar costs its record, a
// bar fed again nothing, unless a pivot is confirmed.
TEST_F(HotPathTest, RsCheckBarCostsItsRecordAndReFedBarsNothing) {
  const char* id = kRsId;
  XmtSlot block[20];
  const int n = static_cast<int>(bars_.size());
  for (int pass = 0; pass < 2; ++pass) {
    int quiet = 0;
    long logged = 0;
    for (int i = 0; i < n; ++i) {
      if (i < kWarmUp) {
        RsCheck(id, i + 1, bars_[i], block);
        continue;
      }
      const PivotState pivotsBefore = NewestPivot(id);
      block[2].value = -1.0f;
      Meter meter(platform_);
      RsCheck(id, i + 1, bars_[i], block);
      const Cost c = meter.Stop();
      ASSERT_EQ(0, c.other) << "bar " << i << ": " << Describe(c);
      logged += c.logs;
      // No pivot confirmed: slots 0 to 19 are zeroed (a pivot has a direction in slot 2).
      if (block[2].value != 0.0f || NewestPivot(id) != pivotsBefore) continue;
      ++quiet;
      ASSERT_EQ(pass == 0 ? 1 : 0, c.heap) << "bar " << i << " pass " << pass << ": "
                                           << Describe(c);
      ASSERT_EQ(0, c.task) << "bar " << i << ": " << Describe(c);
      ASSERT_EQ(0, c.logs) << "bar " << i << ": " << Describe(c);
    }
    EXPECT_GT(quiet, 1000) << "pass " << pass;
    EXPECT_GT(logged, 100) << "pass " << pass;  // pivots are logged, quiet bars are not
  }
}

}  // namespace
