// Every allocation of a short scenario made to fail in turn, export by export: no crash, no
// leak (asan), each call gives its clean result or its failure value, and a clean run
// afterwards gives the clean results again. The count of failures each scenario survived
// is printed for the record.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/testing/injection_run.h"
#include "common/testing/log_capture.h"
#include "common/testing/test_dirs.h"
#include "momentum/testing/utc_block.h"
#include "momentum/xmt_momentum.h"
#include "studycore/barmgr/testing/data_drive.h"

namespace {

class MomentumAllocFailure : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { PresetDataDrive(); }
  void SetUp() override { log_.Start("momentum_alloc_failure_test"); }
  LogCapture log_;
};

TEST_F(MomentumAllocFailure, Momentum) {
  ExpectSoundRuns("XMT_UTC",
                  RunWithAllocationFailures("UTC", [](const char* id, InjectionOutcomes& out) {
                    UtcBlock block;
                    // Four bars, then the host starts over from the first one.
                    for (int bar : {1, 2, 3, 4, 1, 2}) {
                      block.Setup(1, 5, 2, 3)
                          .Bar(1150218, 930 + bar, 10.0f + static_cast<float>(bar),
                               11.0f + static_cast<float>(bar), 9.0f, 10.5f, 1000, bar);
                      out.Note(XMT_UTC(id, block.slots), -99.0);
                    }
                  }));
}

TEST_F(MomentumAllocFailure, PatternFiles) {
  // A file of its own per run, named after the run's ID (made beforehand: the scenario may
  // not allocate outside the library).
  ScopedTempDir dir;
  const std::string folder = dir.path();
  for (int n = 0; n < 400; ++n)
    ASSERT_TRUE(WriteWholeFile(folder + "/PD" + std::to_string(n) + ".txt", "A,1,2\r\nB,3,4\r\n"));
  ASSERT_TRUE(WriteWholeFile(folder + "/PDafter.txt", "A,1,2\r\nB,3,4\r\n"));
  ExpectSoundRuns(
      "XMT_PatDetect",
      RunWithAllocationFailures("PD", [&folder](const char* id, InjectionOutcomes& out) {
        char name[1024];
        std::snprintf(name, sizeof name, "%s/%s.txt", folder.c_str(), id);
        out.Note(XMT_PatDetect(0, name), -9);
        out.Note(XMT_PatDetect(0, name), -9);  // found again
      }));
}

TEST_F(MomentumAllocFailure, RegressionSlope) {
  int run = 0;
  ExpectSoundRuns("XMT_RRS",
                  RunWithAllocationFailures("RRS", [&run](const char*, InjectionOutcomes& out) {
                    // A history of its own per run (nExtra is part of its key; on daily bars it
                    // changes nothing else).
                    ++run;
                    for (int i = 0; i < 6; ++i) {
                      const float v = 10.0f + static_cast<float>(i * i % 7);
                      out.Note(XMT_RRS(4, 1, v, 1150415 + i, 930, 0, 0, 2, run), v);
                    }
                  }));
}

}  // namespace
