// The XMT_SIGNALS exports for pressure, excursions, the adaptive average and the trend
// band. Each one hands its arguments to the feature code; the declarations (and what the
// results mean) are in xmt_signals.h, the exported names in XMT_SIGNALS.def. Every body
// runs through GuardExport, which keeps anything thrown (an allocation failure) inside the
// library; the result pointers then get zeros (GuardExportFilling).

#include "signals/xmt_signals.h"

#include "hostbridge/export_guard.h"
#include "signals/bsp.h"
#include "signals/find_gem.h"
#include "signals/rare_avg.h"
#include "signals/trend_reversal.h"

namespace {
constexpr int kInternalError = -1;
}  // namespace

extern "C" {

XMT_EXPORT int XMT_BSP(const char* szName, int nKey1, int nKey2, char* szSymErr, void* pStudy,
                       int /*nAux*/) {
  return GuardExport("XMT_BSP", kBspHostFailure, [&] {
    return BSP(szName, nKey1, nKey2, szSymErr, static_cast<IHostStudy*>(pStudy));
  });
}

XMT_EXPORT int XMT_BSPCalc(void* pBSP, float fUp, float fDown, int nStyle, float* pfBSP) {
  return GuardExport("XMT_BSPCalc", 0, [&] {
    return BSPCalc(static_cast<CBSPSet*>(pBSP), fUp, fDown, nStyle, pfBSP);
  });
}

XMT_EXPORT int XMT_FindGemAdd(int /*nAux*/, const char* szSym, int nDate, int nTime, int nDiv,
                              const int* pnV1, const int* pnV2, const int* pnV3,
                              const int* pnV4, const int* pnV5, int nMode) {
  return GuardExport("XMT_FindGemAdd", kInternalError, [&] {
    return FindGemAdd(szSym, nDate, nTime, nDiv, FindGemValues{{pnV1, pnV2, pnV3, pnV4, pnV5}},
                      nMode);
  });
}

XMT_EXPORT int XMT_FindGemCalc(int /*nAux*/, const char* szSym, int nDate, int nTime,
                               float* pfLongPlus, float* pfLongMinus, float* pfShortPlus,
                               float* pfShortMinus) {
  FindGemResult out;
  const int result = GuardExportFilling("XMT_FindGemCalc", kInternalError, out,
                                        [&] { return FindGemCalc(szSym, nDate, nTime, out); });
  out.StoreTo(pfLongPlus, pfLongMinus, pfShortPlus, pfShortMinus);
  return result;
}

XMT_EXPORT float XMT_RareAvg(const char* szSym, int nScopeRegr, int nScopeWgt, float fVal,
                             int nDate, int nTime, int nRespFac, int nAux, int nBarType,
                             int nExtra, int nBarId) {
  return GuardExport("XMT_RareAvg", kRareAvgNoValue, [&] {
    return RareAvg(szSym, nScopeRegr, nScopeWgt, fVal, nDate, nTime, nRespFac, nAux, nBarType,
                   nExtra, nBarId);
  });
}

XMT_EXPORT int XMT_TrendReversal(int /*nAux*/, const char* szSym, int nDate, int nTime,
                                 int nBarType, int nBarInt, float fVal, float fScale,
                                 int nFast, int nSlow, float* pfPos, float* pfWidth) {
  TrendReversalOut out;
  const int result = GuardExportFilling("XMT_TrendReversal", kInternalError, out, [&] {
    return TrendReversal(szSym, nDate, nTime, nBarType, nBarInt, fVal, fScale, nFast, nSlow,
                         out);
  });
  out.StoreTo(pfPos, pfWidth);
  return result;
}

}  // extern "C"
