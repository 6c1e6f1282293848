// Every allocation of a short scenario made to fail in turn, export by export: no crash, no
// leak (asan), each call gives its clean result or its failure value, and a clean run
// afterwards gives the clean results again. The count of failures each scenario survived
// is printed for the record.
#include <gtest/gtest.h>

#include <cstdio>
#include <new>
#include <string>

#include "common/text/txt.h"
#include "common/testing/alloc_fault.h"
#include "common/testing/injection_run.h"
#include "common/testing/log_capture.h"
#include "common/testing/test_data.h"
#include "common/testing/test_dirs.h"
#include "pattern/pattern_registry.h"
#include "pattern/testing/pattern_test_env.h"
#include "pattern/xmt_pattern.h"
#include "studycore/barmgr/testing/data_drive.h"

namespace {

// Closes of a few swings: pivots with windows of 2 on either side.
constexpr int kCloses[] = {1000, 1200, 1400, 1200, 1000, 1200, 1500, 1300, 1100, 1300, 1600};
constexpr int kBars = static_cast<int>(sizeof kCloses / sizeof kCloses[0]);
constexpr int kDay = 1150415;

class PatternAllocFailure : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { PresetDataDrive(); }
  void SetUp() override { log_.Start("pattern_alloc_failure_test"); }
  LogCapture log_;
};

// The bars, then the host starting over from the first bar (the last two fed again).
template <class Call>
void FeedBars(Call call) {
  for (int i = 0; i < kBars; ++i) call(i + 1, kCloses[i]);
  for (int i = 0; i < 2; ++i) call(i + 1, kCloses[i]);
}

TEST_F(PatternAllocFailure, ZigZag) {
  ExpectSoundRuns("XMT_ZZ_AddBar/XMT_ZZ_CalcPiv",
                  RunWithAllocationFailures("ZZ", [](const char* id, InjectionOutcomes& out) {
                    FeedBars([&](int bar, int close) {
                      int o = close, h = close + 50, l = close - 50, c = close;
                      const int index =
                          XMT_ZZ_AddBar(0, id, kDay + bar, 930, bar, 100, &o, &h, &l, &c, 100);
                      out.Note(index, -2);
                      XmtSlot slots[12] = {};
                      out.Note(XMT_ZZ_CalcPiv(0, id, index + 1, 2, 2, slots), -2);
                    });
                  }));
}

TEST_F(PatternAllocFailure, Pattern) {
  std::string rules;
  ASSERT_TRUE(ReadWholeFile(TestDataPath("patterns/PR_Swing3.txt"), &rules));
  ASSERT_TRUE(WritePatternFile("alloc_Swing3", rules));
  ExpectSoundRuns(
      "XMT_PATTERN_AddBar/XMT_PATTERN_CalcPat",
      RunWithAllocationFailures("PAT", [](const char* id, InjectionOutcomes& out) {
        FeedBars([&](int bar, int close) {
          int o = close, h = close + 50, l = close - 50, c = close;
          const int index =
              XMT_PATTERN_AddBar(0, id, kDay + bar, 930, -bar, 100, &o, &h, &l, &c, 100);
          out.Note(index, -2);
          XmtSlot slots[8] = {};
          char err[XMT_PATTERN_ERR_BUF_SIZE] = {};
          const int r = XMT_PATTERN_CalcPat(0, id, index + 1, 2, 2, slots, "alloc_Swing3", err);
          out.Note(r == -5 ? -2 : r, -2);  // -5: the file could not be loaded (no memory)
        });
      }));
}

// A pattern file loaded while an allocation fails is either listed under its name and ID,
// found by every later call, or not listed at all: each ID ends with exactly one record.
TEST_F(PatternAllocFailure, APatternIsListedWholeOrNotAtAll) {
  std::string rules;
  ASSERT_TRUE(ReadWholeFile(TestDataPath("patterns/PR_Swing3.txt"), &rules));
  ASSERT_TRUE(WritePatternFile("alloc_Listed", rules));
  AllocFaultPlatform platform;
  ScopedPlatform scope(platform);
  for (long n = 1; n < 2000; ++n) {
    const std::string id = "LISTED" + std::to_string(n);
    const int before = PatternCount();
    CTxt err;
    alloc_fault::Arm(n);
    CPivPatRec* first = nullptr;
    try {
      first = FindPattern("alloc_Listed", id.c_str(), err);
    } catch (const std::bad_alloc&) {  // the export's guard turns it into its failure value
    }
    const bool failed = alloc_fault::Disarm();
    CPivPatRec* again = FindPattern("alloc_Listed", id.c_str(), err);
    ASSERT_NE(again, nullptr) << "allocation " << n;
    if (first) {
      EXPECT_EQ(first, again) << "allocation " << n;
    }
    EXPECT_EQ(PatternCount(), before + 1) << "allocation " << n;
    if (!failed) break;
  }
}

TEST_F(PatternAllocFailure, SupportResistance) {
  ExpectSoundRuns("XMT_RS_ChkPiv",
                  RunWithAllocationFailures("RS", [](const char* id, InjectionOutcomes& out) {
                    FeedBars([&](int bar, int close) {
                      XmtSlot slots[20] = {};
                      out.Note(XMT_RS_ChkPiv(id, kDay + bar, 930, bar, 100, nullptr, nullptr,
                                             nullptr, &close, 100, 2, 2, slots),
                               -2);
                    });
                  }));
}

}  // namespace
