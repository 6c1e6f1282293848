// The robust regression slope export of XMT_MOMENTUM: hands its arguments to the series
// histories (momentum/rrs.h). Declared in xmt_momentum.h, listed in XMT_MOMENTUM.def.
// An internal failure gives fVal, as when no history can be had.

#include "hostbridge/export_guard.h"
#include "momentum/rrs.h"
#include "momentum/xmt_momentum.h"

extern "C" XMT_EXPORT float XMT_RRS(int nScopeRegr, int nResMode, float fVal, int nDate,
                                    int nTime, int nRespFac, int nAux, int nBarType,
                                    int nExtra) {
  RrsArgs a;
  a.scope = nScopeRegr;
  a.resMode = nResMode;
  a.value = fVal;
  a.date = nDate;
  a.time = nTime;
  a.respFac = nRespFac;
  a.aux = nAux;
  a.barType = nBarType;
  a.extra = nExtra;
  return GuardExport("XMT_RRS", fVal, [&] { return CalcRrs(a); });
}
