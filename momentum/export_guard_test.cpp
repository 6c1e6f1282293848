// Nothing thrown leaves an XMT_MOMENTUM export: an exception at the entry of each one (of
// every kind) comes back as that export's failure value, with one "Internal Error" line.
#include <gtest/gtest.h>

#include "common/testing/log_capture.h"
#include "hostbridge/testing/export_fault.h"
#include "momentum/xmt_momentum.h"

namespace {

TEST(MomentumExportGuard, EveryExportAnswersAThrowWithItsFailureValue) {
  LogCapture log;
  log.Start("momentum_export_guard_test");
  XmtSlot slots[92] = {};
  for (ExportFaultKind kind : kAllExportFaultKinds) {
    SCOPED_TRACE(static_cast<int>(kind));
    ScopedExportFault fault(kind);
    EXPECT_EQ(-99.0f, XMT_UTC("G", slots));
    EXPECT_EQ(-9, XMT_PatDetect(0, "g.txt"));
    EXPECT_EQ(2.5f, XMT_RRS(10, 0, 2.5f, 1150415, 930, 0, 0, 1, 0));
  }
  const std::string text = log.NewLogText();
  EXPECT_EQ("UTC|a", LogLineHead(text, "Internal Error"));
  EXPECT_EQ(9u, ParseTraceLines(text).size());
}

TEST(MomentumExportGuard, WithoutAThrowTheCallsAnswerAsBefore) {
  EXPECT_EQ(-9, XMT_PatDetect(0, nullptr));
  EXPECT_EQ(0.0f, XMT_RRS(10, 0, 2.5f, 1150415, 930, 0, 0, 1, 0));
}

}  // namespace
