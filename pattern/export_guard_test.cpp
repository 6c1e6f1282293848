// Nothing thrown leaves an XMT_PATTERN export: an exception at the entry of each one (of
// every kind) comes back as that export's failure value, with one "Internal Error" line.
#include <gtest/gtest.h>

#include "common/testing/log_capture.h"
#include "hostbridge/testing/export_fault.h"
#include "pattern/xmt_pattern.h"

namespace {

struct PatternCalls {
  int price = 12345;
  XmtSlot slots[100] = {};
  char err[XMT_PATTERN_ERR_BUF_SIZE] = {};

  int ZZAdd() {
    return XMT_ZZ_AddBar(0, "G", 1150415, 930, 1, 100, &price, &price, &price, &price, 1);
  }
  int PatternAdd() {
    return XMT_PATTERN_AddBar(0, "G", 1150415, 930, 1, 100, &price, &price, &price, &price, 1);
  }
  int CalcPiv() { return XMT_ZZ_CalcPiv(0, "G", 1, 2, 2, slots); }
  int CalcPat() { return XMT_PATTERN_CalcPat(0, "G", 1, 2, 2, slots, "none", err); }
  int ChkPiv() {
    return XMT_RS_ChkPiv("G", 1150415, 930, 1, 100, nullptr, nullptr, nullptr, &price, 1, 2, 2,
                         slots);
  }
  int P64() { return XMT_PATTERN64("G", err, nullptr, "none", err); }
};

TEST(PatternExportGuard, EveryExportAnswersAThrowWithItsFailureValue) {
  LogCapture log;
  log.Start("pattern_export_guard_test");
  for (ExportFaultKind kind : kAllExportFaultKinds) {
    SCOPED_TRACE(static_cast<int>(kind));
    PatternCalls c;
    ScopedExportFault fault(kind);
    EXPECT_EQ(-2, c.ZZAdd());
    EXPECT_EQ(-2, c.PatternAdd());
    EXPECT_EQ(-2, c.CalcPiv());
    EXPECT_EQ(-2, c.CalcPat());
    EXPECT_EQ(-2, c.ChkPiv());
    EXPECT_EQ(-104, c.P64());
  }
  const std::string text = log.NewLogText();
  EXPECT_EQ("ZZ_AddBar|a", LogLineHead(text, "Internal Error"));
  EXPECT_EQ(18u, ParseTraceLines(text).size());
}

TEST(PatternExportGuard, WithoutAThrowTheCallsAnswerAsBefore) {
  PatternCalls c;
  EXPECT_EQ(0, c.ZZAdd());
  EXPECT_EQ(0, c.ChkPiv());
}

}  // namespace
