// The price scaler (XMT_F_PrcNorm) and the latch that tells a study when the host has gone
// from replaying history to live bars (XMT_IfRealtime).
#include "signals/small_functions.h"

#include <cmath>

#include "signals/slot_values.h"

void PrcNorm(float factor, int* const values[], int count) {
  if (!(factor > 0.0f) || factor == 1.0f) return;
  const float half = 5.1f / 10.0f;
  for (int i = 0; i < count; ++i) {
    if (!values[i]) continue;
    const float scaled = (float)*values[i] * factor;
    *values[i] = TruncToIntSaturated(scaled > 0.0f ? scaled + half : scaled - half);
  }
}

int CRealtimeLatch::Check(int value, int seconds) {
  if (latch_ > 0) return latch_;
  if (first_.IsEmpty()) first_.SetNow();
  const int elapsed = first_.GetDiffSec(nullptr);
  if (elapsed > seconds && latch_ < 0 && value > 0) latch_ = value;
  return latch_;
}
