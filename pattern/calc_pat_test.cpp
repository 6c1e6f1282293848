// The pattern step of a study bar by bar: first pivot, evaluation on later pivots, reload at
// bar position 1, load failures into the caller's bounded buffer, diagnostics from their
// start date, and whole runs over the sample data against checked-in results.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/testing/log_capture.h"
#include "common/testing/test_data.h"
#include "common/testing/test_dirs.h"
#include "common/text/txt.h"
#include "hostbridge/entry_frame.h"
#include "hostbridge/testing/host_bars.h"
#include "hostbridge/xmt_slot.h"
#include "pattern/calc_pat.h"
#include "pattern/feed_bar.h"
#include "pattern/pattern_eval.h"
#include "pattern/pattern_file.h"
#include "pattern/pattern_registry.h"
#include "pattern/testing/golden_slots.h"
#include "pattern/testing/pattern_test_env.h"
#include "studycore/barmgr/bar_mgr.h"
#include "studycore/barmgr/bar_mgr_registry.h"
#include "studycore/barmgr/testing/data_drive.h"

namespace {

// Appends one bar the way XMT_PATTERN_AddBar does (prices scaled by 100); result the bar
// position (index + 1).
int FeedSample(const char* id, const CsvBar& b) {
  const HostBar h = ToHostBar(b, 100);
  FeedBarArgs a;
  a.id = id;
  a.date = h.date;
  a.time = 0;
  a.priceScale = 100;
  a.open = &h.open;
  a.high = &h.high;
  a.low = &h.low;
  a.close = &h.close;
  a.volume = h.volume;
  return FeedBar(a, FeedStyle::Pattern) + 1;
}

int Feed(const char* id, int yyyymmdd, double high, double low) {
  CsvBar b;
  b.date = yyyymmdd;
  b.open = low;
  b.high = high;
  b.low = low;
  b.close = high;
  b.volume = 1000;
  return FeedSample(id, b);
}

class CalcPatTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { log_.Start("pft_calc_pat"); }
  void SetUp() override {
    PresetDataDrive();
    ClearPatterns();
    log_.NewLogText();
  }
  void TearDown() override {
    ClearPatterns();
    ReleaseAllBarMgrs();
  }

  static LogCapture log_;
};

LogCapture CalcPatTest::log_;

// Mid prices of a zig-zag: peak 13 at index 3, trough 9 at index 7, peak 14 at index 12.
const double kWave[] = {10, 11, 12, 13, 12, 11, 10, 9, 10, 11, 12, 13, 14, 13, 12, 11};

TEST_F(CalcPatTest, FirstPivotThenEvaluationEveryBar) {
  ASSERT_TRUE(WritePatternFile("pfc_two", "Symbols:\nAB\nCalc:\nV=A/B\nCond:\nC=V|0,1000\n"
                                          "Result:\nAND=C\nOutput:\nV\n"));
  std::vector<int> results;
  XmtSlot block[3];
  for (auto& s : block) s = {-1.0f, 77};
  for (int i = 0; i < 16; ++i) {
    int pos = Feed("pfc_first", 20150401 + i, kWave[i] + 0.5, kWave[i] - 0.5);
    char err[kPatternErrBufSize] = {};
    results.push_back(PatternCalcPat(0, "pfc_first", pos, 2, 2, SlotBlock(block), "pfc_two", err));
    if (i == 5) {
      EXPECT_EQ(-1.0f, block[0].value);  // the first pivot writes nothing
    }
  }
  // Peak confirmed at index 5 (first pivot: 1), trough at 9 (evaluated: 2 slots), later bars
  // repeat the evaluation (2), the peak at 12 is confirmed at 14.
  const std::vector<int> want = {0, 0, 0, 0, 0, 1, 0, 0, 0, 2, 2, 2, 2, 2, 2, 2};
  EXPECT_EQ(want, results);
  EXPECT_EQ(100.0f, block[0].value);
  EXPECT_EQ(8.5f * 100.0f / 14.5f, block[1].value);  // trough low 8.5 against the new peak 14.5
  EXPECT_EQ(77, block[1].unused);
  EXPECT_EQ(-1.0f, block[2].value);
  CTxt err;
  EXPECT_EQ(2, FindPattern("pfc_two", "pfc_first", err)->m_nEvalCount);
}

// The direction filter lets through the pivots of its own direction only: on the wave the
// trough is confirmed on bar index 9, the next peak on 14.
TEST_F(CalcPatTest, DirectionFilterEvaluatesItsOwnPivotsOnly) {
  const struct {
    const char* word;
    int evaluatedBy9, evaluatedBy15;
  } filters[] = {
      {"", 1, 2}, {"Low\n", 1, 1}, {"Min\n", 1, 1}, {"High\n", 0, 1}, {"max\n", 0, 1}};
  for (const auto& f : filters) {
    SCOPED_TRACE(f.word);
    ClearPatterns();
    ReleaseAllBarMgrs();
    ASSERT_TRUE(WritePatternFile("pfc_dir", std::string("Symbols:\nAB\n") + f.word +
                                                "Calc:\nV=A/B\nCond:\nC=V|0,1000\n"));
    CTxt err;
    for (int i = 0; i < 16; ++i) {
      const int pos = Feed("pfc_dir", 20150401 + i, kWave[i] + 0.5, kWave[i] - 0.5);
      PatternCalcPat(0, "pfc_dir", pos, 2, 2, SlotBlock(), "pfc_dir", nullptr);
      if (i == 9) {
        EXPECT_EQ(f.evaluatedBy9, FindPattern("pfc_dir", "pfc_dir", err)->m_nEvalCount);
      }
    }
    EXPECT_EQ(f.evaluatedBy15, FindPattern("pfc_dir", "pfc_dir", err)->m_nEvalCount);
  }
}

TEST_F(CalcPatTest, MoreOutputsThanTheBlockHoldsStopAtItsEnd) {
  // A rule file may list any number of outputs; a caller with a fixed block of 100 slots
  // gets the verdict and the first 99 of them, and nothing past its block is touched.
  std::string rules =
      "Symbols:\nAB\nCalc:\nV=A/B\nCond:\nC=V|0,1000\nResult:\nAND=C\nOutput:\n";
  for (int i = 0; i < 150; ++i) rules += "V\n";
  ASSERT_TRUE(WritePatternFile("pfc_many", rules));
  XmtSlot block[160];
  for (auto& s : block) s = {-1.0f, 77};
  std::vector<int> results;
  for (int i = 0; i < 10; ++i) {
    int pos = Feed("pfc_many", 20150401 + i, kWave[i] + 0.5, kWave[i] - 0.5);
    results.push_back(
        PatternCalcPat(0, "pfc_many", pos, 2, 2, SlotBlock(block), "pfc_many", nullptr, 100));
  }
  EXPECT_EQ(100, results.back());  // the trough at index 7 was evaluated on bar 9
  EXPECT_EQ(100.0f, block[0].value);
  EXPECT_EQ(block[1].value, block[99].value);
  EXPECT_GT(block[99].value, 0.0f);
  for (int i = 100; i < 160; ++i) ASSERT_EQ(-1.0f, block[i].value) << i;

  // Without a bound every output is written; a bound below 1 writes nothing.
  EXPECT_EQ(151, PatternCalcPat(0, "pfc_many", 10, 2, 2, SlotBlock(block), "pfc_many", nullptr));
  EXPECT_EQ(block[1].value, block[150].value);
  block[0].value = -1.0f;
  EXPECT_EQ(0, PatternCalcPat(0, "pfc_many", 10, 2, 2, SlotBlock(block), "pfc_many", nullptr, 0));
  EXPECT_EQ(-1.0f, block[0].value);
}

TEST_F(CalcPatTest, BarPositionOneReloadsEveryInstance) {
  ASSERT_TRUE(WritePatternFile("pfc_reload", "Symbols:\nAB\nCalc:\nV=A/B\nOutput:\nV\n"));
  char err[kPatternErrBufSize] = {};
  EXPECT_EQ(0, PatternCalcPat(0, "pfc_ra", 5, 2, 2, SlotBlock(), "pfc_reload", err));
  EXPECT_EQ(0, PatternCalcPat(0, "pfc_rb", 5, 2, 2, SlotBlock(), "pfc_reload", err));
  EXPECT_EQ(2, PatternCount());

  ASSERT_TRUE(WritePatternFile("pfc_reload", "Symbols:\nAB\nCalc:\nV=A/B\nOutput:\nV\nV\n"));
  CTxt msg;
  EXPECT_EQ(1, FindPattern("pfc_reload", "pfc_rb", msg)->m_Outputs.GetSize());  // still old
  EXPECT_EQ(0, PatternCalcPat(0, "pfc_ra", 1, 2, 2, SlotBlock(), "pfc_reload", err));
  EXPECT_EQ(1, PatternCount());  // every instance's pattern went; this one is read again
  EXPECT_EQ(2, FindPattern("pfc_reload", "pfc_ra", msg)->m_Outputs.GetSize());
  EXPECT_EQ(2, FindPattern("pfc_reload", "pfc_rb", msg)->m_Outputs.GetSize());
}

// One pattern per (name, ID), found again in any letter case; the pair is not confused with
// another whose name and ID join to the same letters.
TEST_F(CalcPatTest, PatternsAreKeptPerNameAndIdInAnyCase) {
  for (const char* name : {"pfc_k", "pfc_kx"})
    ASSERT_TRUE(WritePatternFile(name, "Symbols:\nAB\nCalc:\nV=A/B\nOutput:\nV\n"));
  CTxt msg;
  CPivPatRec* kx = FindPattern("pfc_kx", "id", msg);
  CPivPatRec* k = FindPattern("pfc_k", "xid", msg);
  ASSERT_NE(nullptr, kx);
  ASSERT_NE(nullptr, k);
  EXPECT_NE(kx, k);
  EXPECT_EQ(kx, FindPattern("PFC_KX", "ID", msg));
  EXPECT_EQ(k, FindPattern("Pfc_K", "XiD", msg));
  EXPECT_EQ(2, PatternCount());
}

TEST_F(CalcPatTest, LoadFailureFillsTheBoundedErrorBuffer) {
  EXPECT_EQ(-2, PatternCalcPat(0, nullptr, 5, 2, 2, SlotBlock(), "pfc_none", nullptr));

  char err[kPatternErrBufSize + 200];
  std::memset(err, 'Z', sizeof err);
  EXPECT_EQ(-5, PatternCalcPat(0, "pfc_fail", 5, 2, 2, SlotBlock(), "pfc_none", err));
  EXPECT_STREQ("Load Error Name=pfc_none(C:/Database/DO_DER/PR_pfc_none.txt), (Cannot find "
               "Pattern: pfc_none (C:/Database/DO_DER/PR_pfc_none.txt))",
               err);

  // A message longer than the bound is cut to 999 characters and its terminator.
  std::memset(err, 'Z', sizeof err);
  const std::string longName(1500, 'n');
  EXPECT_EQ(-5, PatternCalcPat(0, "pfc_fail", 5, 2, 2, SlotBlock(), longName.c_str(), err));
  EXPECT_EQ(static_cast<size_t>(kPatternErrBufSize - 1), std::strlen(err));
  EXPECT_EQ(0, std::strncmp(err, "Load Error Name=nnn", 19));
  for (size_t i = kPatternErrBufSize; i < sizeof err; ++i) ASSERT_EQ('Z', err[i]) << i;

  EXPECT_EQ(-5, PatternCalcPat(0, "pfc_fail", 5, 2, 2, SlotBlock(), "pfc_none", nullptr));
  EXPECT_EQ(0, PatternCount());
}

// Bars of the sample file from 1990 on (the host's dates start there), at most n of them.
std::vector<CsvBar> SampleFrom1990(size_t n) {
  std::vector<CsvBar> out;
  for (const CsvBar& b : ReadTestBars("ttrc_daily.csv"))
    if (b.date >= 19900101 && out.size() < n) out.push_back(b);
  return out;
}

TEST_F(CalcPatTest, DiagnosticsOnlyFromTheirStartDate) {
  std::vector<CsvBar> bars = SampleFrom1990(300);
  ASSERT_EQ(300u, bars.size());
  const int diagStart = bars[150].date;
  ASSERT_TRUE(WritePatternFile("pfc_diag", "Symbols:\nXAB\nCalc:\nXA_AB=XA/AB\nCond:\n"
                                           "C=XA_AB|0,1000\nResult:\nAND=C\nDiagStart:\n" +
                                               std::to_string(diagStart) + "\n"));
  for (const CsvBar& b : bars) {
    int pos = Feed("pfc_diag", b.date, b.high, b.low);
    PatternCalcPat(0, "pfc_diag", pos, 3, 3, SlotBlock(), "pfc_diag", nullptr);
  }
  const std::string log = log_.NewLogText();
  int newPivots = 0, verdicts = 0, consolidationsBefore = 0;
  size_t at = 0;
  while ((at = log.find("NewPivot#", at)) != std::string::npos) {
    size_t open = log.find('(', log.find(" - Bar#", at));
    long long dt = std::atoll(log.c_str() + open + 1);
    EXPECT_GE(dt, diagStart * 1000000LL) << log.substr(at, 120);
    ++newPivots;
    ++at;
  }
  for (at = 0; (at = log.find("CalcPattern: Result=", at)) != std::string::npos; ++at) ++verdicts;
  for (at = 0; (at = log.find("Consolidating Pivot: Date=", at)) != std::string::npos; ++at) {
    if (std::atoi(log.c_str() + at + 26) < diagStart) ++consolidationsBefore;
  }
  EXPECT_GT(newPivots, 3);
  EXPECT_GT(verdicts, 1);
  EXPECT_LE(verdicts, newPivots);
  EXPECT_GT(consolidationsBefore, 0);  // the trace bit is on from the first use
}

// Runs a pattern over the sample data and lists every bar on which something happened:
// date, result, evaluation count and the written slots.
std::string RunSample(const char* pattern, const char* id, int left, int right) {
  std::string out = "date,result,evaluations,slots\n";
  XmtSlot block[16] = {};
  int lastCount = 0;
  CTxt msg;
  for (const CsvBar& b : SampleFrom1990(100000)) {
    int pos = FeedSample(id, b);
    int r = PatternCalcPat(0, id, pos, left, right, SlotBlock(block), pattern, nullptr);
    CPivPatRec* p = FindPattern(pattern, id, msg);
    int count = p ? p->m_nEvalCount : -1;
    if (r == 1 || count != lastCount || r < 0) {
      char line[64];
      std::snprintf(line, sizeof line, "%d,%d,%d", b.date, r, count);
      out += line;
      if (r > 1) out += GoldenSlots(block, r);
      out += "\n";
    }
    lastCount = count;
  }
  return out;
}

std::string PatternSource(const char* name) {
  std::string text;
  ReadWholeFile(TestDataPath(std::string("patterns/PR_") + name + ".txt"), &text);
  return text;
}

TEST_F(CalcPatTest, SampleRunsMatchCheckedInResults) {
  ASSERT_TRUE(WritePatternFile("XABCD_Bull", PatternSource("XABCD_Bull")));
  ASSERT_TRUE(WritePatternFile("Swing3", PatternSource("Swing3")));
  // The first line of an expected file tells where it came from.
  ExpectMatchesGolden(RunSample("XABCD_Bull", "pfc_gold5", 5, 5),
                      "patterns/expected_XABCD_Bull.csv", 1);
  ExpectMatchesGolden(RunSample("Swing3", "pfc_gold3", 5, 5), "patterns/expected_Swing3.csv", 1);
}

}  // namespace
