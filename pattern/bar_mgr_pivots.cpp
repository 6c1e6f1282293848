// The bar manager's pivot list: lookup, recording, searching back and sorting, and the
// text form of a pivot.

#include <cstdlib>

#include "pattern/bar_mgr.h"

namespace {

// Bar index ascending, then direction (lows before highs on the same bar).
int ComparePivots(const void* a, const void* b) {
  const auto* p = *static_cast<CBarMgrPivot* const*>(a);
  const auto* q = *static_cast<CBarMgrPivot* const*>(b);
  if (p->bar != q->bar) return p->bar < q->bar ? -1 : 1;
  if (p->direction != q->direction) return p->direction < q->direction ? -1 : 1;
  return 0;
}

}  // namespace

int CBarMgrPivot::Describe(CTxt& out) const {
  int dir = direction;
  return out.Format("Bar=%5u, Prc=%9.4f, Dir=%c%d, Type=%d, Exp=%d, Show=%d",
                    static_cast<unsigned>(bar), static_cast<double>(price), dir < 0 ? '-' : '+',
                    std::abs(dir), static_cast<int>(type), static_cast<int>(exp),
                    static_cast<int>(show));
}

CBarMgrPivot* CBarMgr::GetPivot(int index) const {
  if (index < 0 || index >= m_Pivots.GetSize()) return nullptr;
  return m_Pivots.GetAt(index);
}

CBarMgrPivot* CBarMgr::SetPivot(int bar, float price, int direction, int type) {
  CBarMgrPivot* pivot = nullptr;
  for (int i = 0; i < m_Pivots.GetSize(); ++i) {
    if (m_Pivots.GetAt(i)->bar == bar) {
      pivot = m_Pivots.GetAt(i);
      break;
    }
  }
  if (!pivot) {
    pivot = new CBarMgrPivot;
    if (m_Pivots.Add(pivot) < 0) {
      delete pivot;
      return nullptr;
    }
  } else if (pivot->type >= type) {
    return pivot;  // only a stronger class upgrades a recorded pivot
  }
  pivot->price = price;
  pivot->bar = bar;
  pivot->direction = static_cast<int8_t>(direction < 0 ? -1 : 1);
  pivot->type = type;
  return pivot;
}

CBarMgrPivot* CBarMgr::FindPivotBack(int direction, int adjacent) const {
  for (int i = m_Pivots.GetSize() - 1; i >= 0; --i) {
    CBarMgrPivot* pivot = m_Pivots.GetAt(i);
    if (pivot->direction == direction) return pivot;
    if (adjacent == 1) return nullptr;
  }
  return nullptr;
}

CBarMgrPivot* CBarMgr::FindOppositePivot(int direction) const {
  for (int i = m_Pivots.GetSize() - 1; i >= 0; --i) {
    CBarMgrPivot* pivot = m_Pivots.GetAt(i);
    if (pivot->direction != direction) return pivot;
  }
  return nullptr;
}

void CBarMgr::SortPivots() {
  // Insertion sort: the engine sorts after every pivot it records, when the list is in
  // order but for the record or two just added at its end. That costs one comparison per
  // pivot, moves only the new records and takes no memory, where the runtime's sort copied
  // and re-sorted the whole history on every pivot. A bar holds one pivot at most, so no
  // two records compare equal and every sort gives this order.
  const int n = m_Pivots.GetSize();
  for (int i = 1; i < n; ++i) {
    CBarMgrPivot* pivot = m_Pivots.GetAt(i);
    int j = i;
    while (j > 0 && ComparePivots(&pivot, &m_Pivots[j - 1]) < 0) {
      m_Pivots.SetAt(j, m_Pivots.GetAt(j - 1));
      --j;
    }
    if (j != i) m_Pivots.SetAt(j, pivot);
  }
}
