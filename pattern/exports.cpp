// The functions XMT_PATTERN exports. Each one only hands its arguments to the feature code;
// the declarations (and what the results mean) are in xmt_pattern.h, the list of exported
// names in XMT_PATTERN.def. Every body runs through GuardExport: the frame exports answer
// an internal failure with -2 (no instance), XMT_PATTERN64 with its own -104.

#include "pattern/xmt_pattern.h"

#include "hostbridge/export_guard.h"
#include "pattern/calc_pat.h"
#include "pattern/feed_bar.h"
#include "pattern/pattern64.h"
#include "pattern/rs_check.h"
#include "pattern/zigzag.h"

namespace {
constexpr int kFrameInternalError = -2;
}  // namespace

extern "C" {

XMT_EXPORT int XMT_ZZ_AddBar(int progress, const char* id, int date, int time, int barNumber,
                             int priceScale, const int* open, const int* high, const int* low,
                             const int* close, int volume) {
  return GuardExport("XMT_ZZ_AddBar", kFrameInternalError, [&] {
    return FeedBar({progress < 0, id, date, time, barNumber, priceScale, open, high, low, close,
                    volume},
                   FeedStyle::ZigZag);
  });
}

XMT_EXPORT int XMT_PATTERN_AddBar(int progress, const char* id, int date, int time,
                                  int barNumber, int priceScale, const int* open,
                                  const int* high, const int* low, const int* close,
                                  int volume) {
  return GuardExport("XMT_PATTERN_AddBar", kFrameInternalError, [&] {
    return FeedBar({progress < 0, id, date, time, barNumber, priceScale, open, high, low, close,
                    volume},
                   FeedStyle::Pattern);
  });
}

XMT_EXPORT int XMT_ZZ_CalcPiv(int /*unused*/, const char* id, int barPos, int left, int right,
                              XmtSlot* result) {
  return GuardExport("XMT_ZZ_CalcPiv", kFrameInternalError,
                     [&] { return ZZCalcPiv(id, barPos, left, right, SlotBlock(result)); });
}

XMT_EXPORT int XMT_PATTERN_CalcPat(int unused, const char* id, int barPos, int left, int right,
                                   XmtSlot* result, const char* name, char* err) {
  return GuardExport("XMT_PATTERN_CalcPat", kFrameInternalError, [&] {
    return PatternCalcPat(unused, id, barPos, left, right, SlotBlock(result), name, err);
  });
}

XMT_EXPORT int XMT_RS_ChkPiv(const char* id, int date, int time, int barNumber, int priceScale,
                             const int* /*p1*/, const int* /*p2*/, const int* /*p3*/,
                             const int* price, int volume, int left, int right,
                             XmtSlot* result) {
  return GuardExport("XMT_RS_ChkPiv", kFrameInternalError, [&] {
    return RSChkPiv(id, date, time, barNumber, priceScale, price, volume, left, right,
                    SlotBlock(result));
  });
}

XMT_EXPORT int XMT_PATTERN64(const char* id, char* err, IHostStudy* study, const char* name,
                             char* patErr) {
  return GuardExport("XMT_PATTERN64", kP64Internal,
                     [&] { return Pattern64(id, err, study, name, patErr); });
}

}  // extern "C"
