// Every allocation of a short scenario made to fail in turn, export by export: no crash, no
// leak (asan), each call gives its clean result or its failure value, and a clean run
// afterwards gives the clean results again. The count of failures each scenario survived
// is printed for the record.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/platform/platform.h"
#include "common/testing/alloc_fault.h"
#include "common/testing/fake_platform.h"
#include "common/settings/files.h"
#include "common/testing/injection_run.h"
#include "common/testing/log_capture.h"
#include "common/testing/test_dirs.h"
#include "hostbridge/slot_block.h"
#include "signals/midi_out_device.h"
#include "signals/xmt_signals.h"

namespace {

constexpr int kDay = 1150415;
constexpr int kBars = 4;

class SignalsAllocFailure : public ::testing::Test {
 protected:
  void SetUp() override { log_.Start("signals_alloc_failure_test"); }
  LogCapture log_;
};

TEST_F(SignalsAllocFailure, ExcursionStore) {
  ExpectSoundRuns("XMT_FindGemAdd/XMT_FindGemCalc",
                  RunWithAllocationFailures("FG", [](const char* id, InjectionOutcomes& out) {
                    for (int i = 0; i < kBars; ++i) {
                      int hi = 10100 + i * 50, lo = 9900 - i * 30, v = 10000 + i * 10, vol = 5;
                      out.Note(XMT_FindGemAdd(0, id, kDay, 930 + i, 100, &v, &hi, &lo, &v, &vol, 2),
                               -1);
                    }
                    float f[4] = {};
                    out.Note(XMT_FindGemCalc(0, id, kDay, 930, &f[0], &f[1], &f[2], &f[3]), -1);
                    for (float x : f) out.Note(x, 0);
                  }));
}

TEST_F(SignalsAllocFailure, AdaptiveAverageAndTrendBand) {
  ExpectSoundRuns("XMT_RareAvg",
                  RunWithAllocationFailures("RA", [](const char* id, InjectionOutcomes& out) {
                    for (int i = 0; i < kBars; ++i)
                      out.Note(XMT_RareAvg(id, 3, 2, 10.0f + static_cast<float>(i * i), kDay,
                                           930 + i, 60, 0, 1, 0, i),
                               1.0e9);
                  }));
  ExpectSoundRuns(
      "XMT_TrendReversal",
      RunWithAllocationFailures("TR", [](const char* id, InjectionOutcomes& out) {
        for (int i = 0; i < kBars; ++i) {
          float pos = 0, width = 0;
          out.Note(XMT_TrendReversal(0, id, kDay, 930 + i, 1, 5, 10.0f + static_cast<float>(i),
                                     1.0f, 2, 3, &pos, &width),
                   -1);
          out.Note(pos, 0);
          out.Note(width, 0);
        }
      }));
}

TEST_F(SignalsAllocFailure, BarExport) {
  ExpectSoundRuns("XMT_SaveDataToCsv",
                  RunWithAllocationFailures("CSV", [](const char* id, InjectionOutcomes& out) {
                    for (int i = 0; i < kBars; ++i) {
                      int v = 12345 + i;
                      out.Note(XMT_SaveDataToCsv(0, id, kDay, 930 + i, 100, &v, &v, &v, &v, &v, 0),
                               -10);
                    }
                  }));
  ExpectSoundRuns("XMT_SaveDataToTxt",
                  RunWithAllocationFailures("TXT", [](const char* id, InjectionOutcomes& out) {
                    for (int i = 0; i < kBars; ++i) {
                      int v = 12345 + i;
                      out.Note(XMT_SaveDataToTxt(0, id, kDay, 930 + i, 100, &v, &v, &v, &v, &v, 0),
                               -10);
                    }
                  }));
  ExpectSoundRuns("XMT_SaveDataToCsv2",
                  RunWithAllocationFailures("CSVB", [](const char* id, InjectionOutcomes& out) {
                    for (int i = 0; i < kBars; ++i) {
                      float slots[32] = {};
                      const SlotBlock block(slots);
                      block.Set(0, static_cast<float>(kDay));
                      block.Set(1, static_cast<float>(930 + i));
                      for (int k = 2; k < 7; ++k) block.Set(k, 100.0f + static_cast<float>(i));
                      char err[XMT_SIGNALS_ERR_BUF_SIZE] = {};
                      out.Note(XMT_SaveDataToCsv2(id, reinterpret_cast<XmtSlot*>(slots), err), -10);
                    }
                  }));
}

TEST_F(SignalsAllocFailure, ColumnLoading) {
  const std::string folder = Platform::Default().NativePath("C:/Database/LoadCol");
  MakeDirPath("C:/Database/LoadCol", 0);
  ASSERT_TRUE(WriteWholeFile(folder + "/alloc_failure.csv",
                             "20150415,0930,1,2\r\n20150415,0931,3,4\r\n20150415,0932,5,6\r\n"
                             "20150415,0933,7,8\r\n"));
  ExpectSoundRuns(
      "XMT_LoadCol", RunWithAllocationFailures("LC", [](const char*, InjectionOutcomes& out) {
        for (int i = 0; i < 3; ++i) {
          float slots[32] = {};
          const SlotBlock block(slots);
          block.Set(0, static_cast<float>(kDay));
          block.Set(1, 930.0f);
          block.Set(7, static_cast<float>(i + 1));
          block.Set(11, 4.0f);
          char err[XMT_SIGNALS_ERR_BUF_SIZE] = {};
          const int next = XMT_LoadCol("alloc_failure.csv", reinterpret_cast<XmtSlot*>(slots), err);
          // A failure shows in the error text (the internal one with the next-line index).
          out.Note(err[0] ? -1 : next, -1);
          out.Note(block.Get(12), 0);
        }
      }));
}

TEST_F(SignalsAllocFailure, CuesAndSmallFunctions) {
  ExpectSoundRuns("XMT_TickSound/XMT_Speak/XMT_F_PrcNorm/XMT_IfRealtime/XMT_OnCreate/XMT_OnDestroy",
                  RunWithAllocationFailures("SM", [](const char*, InjectionOutcomes& out) {
                    out.Note(XMT_TickSound(0, 40, 60, 1), 0);
                    out.Note(XMT_Speak("Stop", "", 0), -1);
                    out.Note(XMT_Speak("Speak", "", 0), -1);
                    int p = 3;
                    out.Note(XMT_F_PrcNorm(2.0f, &p, nullptr, nullptr, nullptr, nullptr), 0);
                    out.Note(p, 3);
                    out.Note(XMT_IfRealtime(5, 1000000), -1);
                    out.Note(XMT_OnCreate(), 0);
                    out.Note(XMT_OnDestroy(), 0);
                  }));
}

// A long message goes to the driver only once its header is listed, so every buffer the
// driver holds is given back by the worker or by Close; one that cannot be listed or sent
// fails the call and leaves nothing behind.
TEST(MidiAllocFailure, LongMessageIsSentOnlyWithItsHeaderListed) {
  FakePlatform fake;
  fake.midiDevices = 1;
  ScopedPlatform scope(fake);
  CMIDIOutDevice device;
  ASSERT_EQ(0, device.Open(0));
  const unsigned char sysex[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
  int sent = 0;
  for (long n = 1; n < 100; ++n) {
    alloc_fault::Arm(n);
    const int r = device.SendLongMsg(sysex, sizeof sysex);
    const bool failed = alloc_fault::Disarm();
    EXPECT_EQ(r, failed ? -1 : 0) << "allocation " << n;
    sent += r == 0;
    EXPECT_EQ(device.GetHeaderCount(), sent) << "allocation " << n;
    EXPECT_EQ(fake.MidiBuffersOutstanding(), sent) << "allocation " << n;
    if (!failed) break;
  }
  EXPECT_EQ(sent, 1);
  device.Close();
  EXPECT_EQ(fake.MidiBuffersOutstanding(), 0);
}

}  // namespace
