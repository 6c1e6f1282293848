// The zig-zag pivot report of XMT_PATTERN and the window-length rule of the pivot exports.

#include "pattern/zigzag.h"

#include "common/settings/trace_log.h"
#include "studycore/barmgr/bar_mgr.h"
#include "studycore/barmgr/bar_mgr_registry.h"

namespace {

void AdjustOne(const char* side, int* length, PivotLengthLimits limits) {
  const int adjusted =
      *length < 1 ? limits.belowOne : (*length > 100 ? limits.aboveHundred : *length);
  if (adjusted == *length) return;
  LogTrace("PatRec", 1, "Adjusting PivotLength %s %d -> %d", side, *length, adjusted);
  *length = adjusted;
}

}  // namespace

void AdjustPivotLengths(int* left, int* right, PivotLengthLimits limits) {
  AdjustOne("Left", left, limits);
  AdjustOne("Right", right, limits);
}

int ZZCalcPiv(const char* id, int barPos, int left, int right, SlotBlock block) {
  if (!id) return -2;
  CBarMgr* mgr = FindBarMgr(id);
  AdjustPivotLengths(&left, &right);
  if (barPos < 1) return 0;  // no bar yet (and no overflow for garbage positions)
  const int n = barPos - 1;

  const CBarMgrPivot* pivot = mgr->CalcPivot(n, left, right);
  if (!pivot) return 0;
  CBarMgr::WritePivotSlots(*pivot, n, block);
  // Keep the direction: consolidation may delete the record found here when it is not the
  // newest pivot (the window lengths changed between calls).
  const int direction = pivot->direction;
  int result = direction;
  if (mgr->ConsolidatePivots(n, block.From(4)) > 0) result = 2 * direction;

  if (const CBarMgrPivot* other = mgr->FindOppositePivot(direction))
    CBarMgr::WritePivotSlots(*other, n, block.From(8));
  else
    block.Set(8, 0.0f);
  return result;
}
