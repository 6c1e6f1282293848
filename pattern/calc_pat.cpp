// The work of the export XMT_PATTERN_CalcPat: on each bar, test for a newly confirmed pivot
// and, when one is found, match the instance's pattern against the newest pivots. The
// result block always shows the last evaluation, so a study can read it on every bar.

#include "pattern/calc_pat.h"

#include <cstring>

#include "common/settings/trace_log.h"
#include "hostbridge/caller_text.h"
#include "pattern/pattern_eval.h"
#include "pattern/pattern_file.h"
#include "pattern/pattern_registry.h"
#include "pattern/zigzag.h"
#include "studycore/barmgr/bar_mgr.h"
#include "studycore/barmgr/bar_mgr_registry.h"

int PatternCalcPat(int /*unused*/, const char* id, int barPos, int left, int right,
                   SlotBlock block, const char* name, char* err, int maxSlots) {
  if (!id) return -2;
  CBarMgr* mgr = FindBarMgr(id);
  AdjustPivotLengths(&left, &right);

  // The first bar of a calculation: read every instance's pattern files again, so that a
  // study recalculated after an edit sees the edited rules.
  if (barPos == 1) ClearPatterns();

  CTxt msg;
  CPivPatRec* pat = FindPattern(name, id, msg);
  if (!pat) {
    CopyToCaller(err, kPatternErrBufSize, msg);
    LogTrace("PatRec", 1, "%s", static_cast<const char*>(msg));
    return -5;
  }
  if (pat->m_nDiagStart > 0) mgr->SetFlag(kBarMgrTraceBit, 1);

  // No bar lies before position 1, so a position below it cannot confirm a pivot (and
  // must not wrap around when the host passes garbage).
  const int current = barPos >= 1 ? barPos - 1 : -1;
  CBarMgrPivot* piv = barPos >= 1 ? mgr->CalcPivot(current, left, right) : nullptr;
  if (piv) {
    const bool diag = pat->m_nDiagStart > 0 && mgr->m_LastBarDT.GetDate(0) >= pat->m_nDiagStart;
    CTxt text;
    // The category "ParRec" (not "PatRec") is kept as the system writes it: log readers
    // filter by it.
    if (diag) {
      piv->Describe(text);
      LogTrace("ParRec", 1, "NewPivot#%d: %s - Bar#%d(%lld)", mgr->GetPivotCount(),
               static_cast<const char*>(text), barPos, mgr->m_LastBarDT.GetDT());
    }
    const int direction = piv->direction;  // piv may not outlive the consolidation
    // A dropped older pivot of the same direction, or the very first pivot: nothing to match.
    if (mgr->ConsolidatePivots(current, SlotBlock()) != 0) return 1;
    if (pat->m_nDirFilter == 0 || pat->m_nDirFilter == direction) {
      CalcPattern(pat, mgr, msg);  // a formula error ends this evaluation silently
    } else if (diag) {
      LogTrace("ParRec", 1, "NewPivot#%d filtered out: Direction mismatch Piv=%d Want=%d",
               mgr->GetPivotCount(), direction, pat->m_nDirFilter);
    }
  }
  return WriteOutputs(pat, block, maxSlots);
}
