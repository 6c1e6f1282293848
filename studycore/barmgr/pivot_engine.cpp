// The pivot engine: swing highs and lows in a bar manager's history.
//
// A bar is a pivot high when its high is strictly above every high in the `left` bars
// before it and not exceeded by any high in the `right` bars after it (a pivot low
// likewise with the lows). The right window must exist, so a pivot is confirmed `right`
// bars after it occurred. Confirmed pivots are kept in the manager's sorted pivot list;
// ConsolidatePivots keeps that list alternating by dropping the older of two neighbours of
// the same direction.

#include <new>

#include "common/settings/trace_log.h"
#include "studycore/barmgr/bar_mgr.h"

namespace {

float PriceFor(const CBarMgrData& bar, int direction) {
  return direction >= 1 ? bar.high : bar.low;
}

}  // namespace

int CBarMgr::IsPivot(int index, int direction, int left, int right, float* value) const {
  const CBarMgrData* bar = GetBar(index);
  if (!bar) return -1;
  const float v = PriceFor(*bar, direction);
  const bool high = direction >= 1;
  // Window bounds are widened so that no window length can overflow them.
  const long long last = static_cast<long long>(index) + right;
  for (long long j = static_cast<long long>(index) - left; j <= last; ++j) {
    if (j == index) continue;
    const CBarMgrData* other =
        j < 0 || j >= GetBarCount() ? nullptr : GetBar(static_cast<int>(j));
    if (!other) {
      if (j < index) return -2;
      break;  // the right window may still be incomplete; no later bar exists either
    }
    const float w = PriceFor(*other, direction);
    if (j < index) {
      if (high ? w >= v : w <= v) return 0;
    } else {
      if (high ? w > v : w < v) return 0;
    }
  }
  if (value) *value = v;
  return 1;
}

CBarMgrPivot* CBarMgr::CalcPivot(int current, int left, int right) {
  const long long tested = static_cast<long long>(current) - right;
  if (tested < 0 || tested >= GetBarCount()) return nullptr;  // no bar there
  const int p = static_cast<int>(tested);
  CBarMgrPivot* result = nullptr;
  for (int dir : {-1, 1}) {
    float v = 0.0f;
    if (IsPivot(p, dir, left, right, &v) != 1) continue;
    if (HasFlag(kBarMgrFilterBit)) {
      // Keep the zig-zag alternating: a weaker swing in the direction of the newest pivot
      // is not a new pivot.
      const CBarMgrPivot* last = FindPivotBack(dir, 1);
      if (last && (dir > 0 ? last->price > v : last->price < v)) continue;
    }
    CBarMgrPivot* pivot = SetPivot(p, v, dir, 2);
    if (!pivot) throw std::bad_alloc();  // a pivot that could not be kept fails the call
    if (!result) result = pivot;
  }
  if (result) SortPivots();
  return result;
}

int CBarMgr::ConsolidatePivots(int current, SlotBlock out) {
  const int count = m_Pivots.GetSize();
  if (count < 1) return -1;
  if (count < 2) return -2;
  CBarMgrPivot* newest = m_Pivots.GetAt(count - 1);
  CBarMgrPivot* older = m_Pivots.GetAt(count - 2);
  if (newest->direction != older->direction) return 0;
  if (HasFlag(kBarMgrTraceBit)) {
    CTxt text;
    older->Describe(text);
    LogTrace("Pivot", 1, "Consolidating Pivot: Date=%08d+%06d, %s", m_LastBarDT.GetDate(-2),
             m_LastBarDT.GetTime(), static_cast<const char*>(text));
  }
  WritePivotSlots(*older, current, out);
  m_Pivots.RemoveAt(count - 2);
  delete older;
  return 1;
}

void CBarMgr::WritePivotSlots(const CBarMgrPivot& pivot, int current, SlotBlock out) {
  out.Set(0, static_cast<float>(current - pivot.bar));
  out.Set(1, pivot.price);
  out.Set(2, static_cast<float>(pivot.direction));
  out.Set(3, static_cast<float>(pivot.bar));
}
