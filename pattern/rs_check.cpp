// XMT_RS_ChkPiv: feed one bar of a price series, confirm pivots in it and classify the four
// newest pivots as a rising (1) or falling (-1) structure, 0 otherwise.

#include "pattern/rs_check.h"

#include "common/settings/trace_log.h"
#include "common/text/txt.h"
#include "pattern/feed_bar.h"
#include "pattern/zigzag.h"
#include "studycore/barmgr/bar_mgr.h"

namespace {

// The four newest pivots, newest first, or false when there are fewer.
bool NewestFour(const CBarMgr& mgr, const CBarMgrPivot* out[4]) {
  const int count = mgr.GetPivotCount();
  if (count < 4) return false;
  for (int i = 0; i < 4; ++i) out[i] = mgr.GetPivot(count - 1 - i);
  return true;
}

int Classify(const CBarMgrPivot* const p[4]) {
  if (p[0]->direction > 0 && p[1]->direction < 0 && p[2]->direction > 0 &&
      p[3]->direction < 0 && p[0]->price > p[2]->price && p[1]->price > p[3]->price)
    return kRsRising;
  if (p[0]->direction < 0 && p[1]->direction > 0 && p[2]->direction < 0 &&
      p[3]->direction > 0 && p[2]->price > p[0]->price && p[3]->price > p[1]->price)
    return kRsFalling;
  return kRsNone;
}

}  // namespace

int RSChkPiv(const char* id, int date, int time, int barNumber, int priceScale,
             const int* price, int volume, int left, int right, SlotBlock block) {
  // The one price stands for open, high, low and close.
  const FeedBarArgs args{barNumber < 0, id,    date,  time,  barNumber, priceScale,
                         price,         price, price, price, volume};
  CBarMgr* mgr = nullptr;
  const int n = FeedBar(args, FeedStyle::RsPivot, &mgr);
  if (n < 0) return n;

  AdjustPivotLengths(&left, &right, kRsPivotLengths);
  const CBarMgrPivot* found = mgr->CalcPivot(n, left, right);
  if (!found) {
    for (int i = 0; i < kRsResultSlots; ++i) block.Set(i, 0.0f);
    return kRsNone;
  }
  // A copy: consolidation deletes the second newest pivot, which is the one found here when
  // the window lengths changed between calls.
  const CBarMgrPivot pivot = *found;
  CBarMgr::WritePivotSlots(pivot, n, block);
  int r = mgr->ConsolidatePivots(n, block.From(4));

  CTxt text;
  pivot.Describe(text);
  LogTrace("RSCalc", 1, "NewPiv, Date=%d+%06d, %s, (%d)", mgr->m_LastBarDT.GetDate(0),
           mgr->m_LastBarDT.GetTime(), static_cast<const char*>(text), r);
  if (r < 0) return r - 100;

  if (r > 0) r = 2;
  if (const CBarMgrPivot* other = mgr->FindOppositePivot(pivot.direction))
    CBarMgr::WritePivotSlots(*other, n, block.From(8));
  else
    block.Set(8, 0.0f);
  block.Set(12, r != 0 ? static_cast<float>(r) : 1.0f);

  const CBarMgrPivot* newest[4];
  if (!NewestFour(*mgr, newest)) return kRsNone;
  const int result = Classify(newest);
  if (result != kRsNone) {
    for (int i = 0; i < 4; ++i) {
      newest[i]->Describe(text);
      LogTrace("RSCalc", 1, result == kRsRising ? "UP[%d]   %s" : "DN[%d]   %s", i,
               static_cast<const char*>(text));
    }
  }
  return result;
}
