// The XMT_SIGNALS exports for bar export, column loading, sound and speech cues and the
// small functions, on the process-wide objects of signals_library.h. Each export only hands
// its arguments on, through GuardExport (an internal failure: -10 for the bar export, -1 for
// column loading, speech and the real-time latch, 0 for the rest); the declarations and what
// the results mean are in xmt_signals.h.

#include "signals/xmt_signals.h"

#include "hostbridge/export_guard.h"
#include "hostbridge/slot_block.h"
#include "signals/price_scaler.h"
#include "signals/signals_library.h"

namespace {

constexpr int kBarExportFailed = -10;
constexpr int kInternalError = -1;

}  // namespace

extern "C" {

XMT_EXPORT int XMT_SaveDataToCsv(int /*nAux*/, const char* szSym, int nDate, int nTime,
                                 int nDiv, const int* pnOpen, const int* pnHigh,
                                 const int* pnLow, const int* pnClose, const int* pnVol,
                                 int bAppend) {
  return GuardExport("XMT_SaveDataToCsv", kBarExportFailed, [&] {
    return SignalsBarExport().SaveCsv(
        szSym, {nDate, nTime, nDiv, pnOpen, pnHigh, pnLow, pnClose, pnVol}, bAppend);
  });
}

XMT_EXPORT int XMT_SaveDataToCsv2(const char* szSym, const XmtSlot* pBlock, char* szErr) {
  return GuardExport("XMT_SaveDataToCsv2", kBarExportFailed, [&] {
    return SignalsBarExport().SaveCsv2(szSym, SlotBlock(const_cast<XmtSlot*>(pBlock)), szErr);
  });
}

XMT_EXPORT int XMT_SaveDataToTxt(int /*nAux*/, const char* szSym, int nDate, int nTime,
                                 int nDiv, const int* pnOpen, const int* pnHigh,
                                 const int* pnLow, const int* pnClose, const int* pnVol,
                                 int bCloseOnly) {
  return GuardExport("XMT_SaveDataToTxt", kBarExportFailed, [&] {
    return SignalsBarExport().SaveTxt(
        szSym, {nDate, nTime, nDiv, pnOpen, pnHigh, pnLow, pnClose, pnVol}, bCloseOnly);
  });
}

XMT_EXPORT int XMT_LoadCol(const char* szFile, XmtSlot* pBlock, char* szErr) {
  return GuardExport("XMT_LoadCol", kInternalError,
                     [&] { return SignalsColumnLoader().Load(szFile, SlotBlock(pBlock), szErr); });
}

XMT_EXPORT int XMT_TickSound(int /*nAux*/, int nNote, int nVelocity, int nProgram) {
  return GuardExport("XMT_TickSound", 0,
                     [&] { return SignalsTickDevice().Tick(nNote, nVelocity, nProgram); });
}

XMT_EXPORT int XMT_Speak(const char* szCmd, const char* szText, int /*nAux*/) {
  return GuardExport("XMT_Speak", kInternalError,
                     [&] { return SignalsSpeech().Speak(szCmd, szText); });
}

XMT_EXPORT int XMT_F_PrcNorm(float fFactor, int* p1, int* p2, int* p3, int* p4, int* p5) {
  return GuardExport("XMT_F_PrcNorm", 0, [&] {
    int* const values[] = {p1, p2, p3, p4, p5};
    PrcNorm(fFactor, values, 5);
    return 0;
  });
}

XMT_EXPORT int XMT_IfRealtime(int nValue, int nSeconds) {
  return GuardExport("XMT_IfRealtime", kInternalError,
                     [&] { return SignalsRealtimeLatch().Check(nValue, nSeconds); });
}

XMT_EXPORT int XMT_OnCreate(void) { return GuardExport("XMT_OnCreate", 0, SignalsStudyHook); }

XMT_EXPORT int XMT_OnDestroy(void) { return GuardExport("XMT_OnDestroy", 0, SignalsStudyHook); }

}  // extern "C"
