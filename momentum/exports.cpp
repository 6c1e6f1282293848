// The functions XMT_MOMENTUM exports. Each one only hands its arguments to the feature code;
// the declarations (and what the results mean) are in xmt_momentum.h, the list of exported
// names in XMT_MOMENTUM.def. Every body runs through GuardExport: XMT_UTC answers an
// internal failure with -99.0, XMT_PatDetect with -9.

#include "momentum/xmt_momentum.h"

#include "hostbridge/export_guard.h"
#include "momentum/pat_detect.h"
#include "momentum/utc_module.h"

extern "C" {

XMT_EXPORT float XMT_UTC(const char* symbol, XmtSlot* args) {
  return GuardExport("XMT_UTC", kUtcFailed, [&] { return UtcCalc(symbol, args); });
}

XMT_EXPORT int XMT_PatDetect(int aux, const char* file) {
  return GuardExport("XMT_PatDetect", kPatDetectNullFile, [&] { return PatDetect(aux, file); });
}

}  // extern "C"
