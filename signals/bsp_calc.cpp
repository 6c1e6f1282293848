// The pressure of one bar and the feeding of an instance's averages.

#include "signals/bsp.h"

namespace {

// Feeds the buying and selling averages as the style says: exponential or simple, one side
// per bar or both sides every bar (the idle side with 0). False for an unknown style.
bool FeedSides(CBSPSet& set, float w, int style) {
  const float buy = w > 0.0f ? w : 0.0f;
  const float sell = w < 0.0f ? -w : 0.0f;
  switch (style) {
    case 1:
      if (w > 0.0f) set.stkBuy.AddEMA(buy);
      if (w < 0.0f) set.stkSell.AddEMA(sell);
      return true;
    case 2:
      set.stkBuy.AddEMA(buy);
      set.stkSell.AddEMA(sell);
      return true;
    case 3:
      if (w > 0.0f) set.stkBuy.AddMA(buy);
      if (w < 0.0f) set.stkSell.AddMA(sell);
      return true;
    case 4:
      set.stkBuy.AddMA(buy);
      set.stkSell.AddMA(sell);
      return true;
    default:
      return false;
  }
}

}  // namespace

int BSPCalc(CBSPSet* set, float up, float down, int style, float* pressure) {
  const float total = up + down;
  const float diff = up - down;
  float ratio = 1.0f;
  if (set) {
    set->stkVol.AddMA(total);
    const float avg = set->stkVol.fAvg;
    if (avg > 0.0f) ratio = total / avg;
  }
  float raw;
  if (diff >= 0.0f)
    raw = up > 0.0f ? 1.0f - down / up : 1.0f;
  else
    raw = down > 0.0f ? -(1.0f - up / down) : -1.0f;
  const float w = ratio * raw;
  if (pressure) *pressure = w;
  if (set && FeedSides(*set, w, style)) set->stkBSP.AddEMA(w);
  return 0;
}
