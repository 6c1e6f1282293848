// Nothing thrown leaves an XMT_SIGNALS export: an exception at the entry of each one (of
// every kind) comes back as that export's failure value, the result pointers zeroed, with
// one "Internal Error" line.
#include <gtest/gtest.h>

#include "common/testing/log_capture.h"
#include "hostbridge/testing/export_fault.h"
#include "signals/xmt_signals.h"

namespace {

TEST(SignalsExportGuard, EveryExportAnswersAThrowWithItsFailureValue) {
  LogCapture log;
  log.Start("signals_export_guard_test");
  int v = 12345;
  XmtSlot slots[32] = {};
  char err[XMT_SIGNALS_ERR_BUF_SIZE] = {};
  for (ExportFaultKind kind : kAllExportFaultKinds) {
    SCOPED_TRACE(static_cast<int>(kind));
    float out[4] = {7, 7, 7, 7};
    float bsp = 7;
    ScopedExportFault fault(kind);
    EXPECT_EQ(-9, XMT_BSP("G", 1, 2, err, nullptr, 0));
    EXPECT_EQ(0, XMT_BSPCalc(nullptr, 1, 1, 0, &bsp));
    EXPECT_EQ(7.0f, bsp);
    EXPECT_EQ(-1, XMT_FindGemAdd(0, "G", 1150415, 930, 100, &v, &v, &v, &v, &v, 5));
    EXPECT_EQ(-1, XMT_FindGemCalc(0, "G", 1150415, 930, &out[0], &out[1], &out[2], &out[3]));
    for (float f : out) EXPECT_EQ(0.0f, f);
    EXPECT_EQ(1.0e9f, XMT_RareAvg("G", 10, 10, 1.5f, 1150415, 930, 50, 0, 1, 0, 1));
    out[0] = out[1] = 7;
    EXPECT_EQ(-1, XMT_TrendReversal(0, "G", 1150415, 930, 1, 5, 1.5f, 1, 2, 10, &out[0], &out[1]));
    EXPECT_EQ(0.0f, out[0]);
    EXPECT_EQ(0.0f, out[1]);
    EXPECT_EQ(-10, XMT_SaveDataToCsv(0, "G", 1150415, 930, 100, &v, &v, &v, &v, &v, 0));
    EXPECT_EQ(-10, XMT_SaveDataToCsv2("G", slots, err));
    EXPECT_EQ(-10, XMT_SaveDataToTxt(0, "G", 1150415, 930, 100, &v, &v, &v, &v, &v, 0));
    EXPECT_EQ(-1, XMT_LoadCol("g.csv", slots, err));
    EXPECT_EQ(0, XMT_TickSound(0, 40, 60, 1));
    EXPECT_EQ(-1, XMT_Speak("Stop", "", 0));
    int p = 3;
    EXPECT_EQ(0, XMT_F_PrcNorm(2.0f, &p, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(3, p);
    EXPECT_EQ(-1, XMT_IfRealtime(5, 0));
    EXPECT_EQ(0, XMT_OnCreate());
    EXPECT_EQ(0, XMT_OnDestroy());
  }
  const std::string text = log.NewLogText();
  EXPECT_EQ("BSP|a", LogLineHead(text, "Internal Error"));
  EXPECT_EQ(48u, ParseTraceLines(text).size());
}

TEST(SignalsExportGuard, WithoutAThrowTheCallsAnswerAsBefore) {
  int p = 3;
  EXPECT_EQ(0, XMT_F_PrcNorm(2.0f, &p, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(6, p);
  EXPECT_EQ(-2, XMT_Speak(nullptr, "", 0));
}

}  // namespace
