// The bar manager's pivot list: lookup, recording, searching back and sorting, and the
// text form of a pivot.

#include <cstdlib>

#include "studycore/barmgr/bar_mgr.h"

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
  const int count = m_Pivots.GetSize();
  if (!m_bPivotsOutOfOrder) {
    // In order by bar: new pivots lie at the newest bars, so search from there and stop at
    // the first older bar.
    for (int i = count - 1; i >= 0 && m_Pivots.GetAt(i)->bar >= bar; --i) {
      if (m_Pivots.GetAt(i)->bar == bar) {
        pivot = m_Pivots.GetAt(i);
        break;
      }
    }
  } else {
    for (int i = 0; i < count; ++i) {
      if (m_Pivots.GetAt(i)->bar == bar) {
        pivot = m_Pivots.GetAt(i);
        break;
      }
    }
  }
  if (!pivot) {
    pivot = new CBarMgrPivot;
    if (m_Pivots.Add(pivot) < 0) {
      delete pivot;
      return nullptr;
    }
    // The fresh record takes this bar below: it is out of order when the newest is later.
    if (count > 0 && m_Pivots.GetAt(count - 1)->bar > bar) m_bPivotsOutOfOrder = true;
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
  // The engine sorts after every pivot it records; nearly always the new pivot already
  // lies past the newest one and there is nothing to do. Otherwise an insertion sort moves
  // only what is out of place and takes no memory. A bar holds one pivot at most, so no
  // two records compare equal and every sort gives this order.
  if (!m_bPivotsOutOfOrder) return;
  m_bPivotsOutOfOrder = false;
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
