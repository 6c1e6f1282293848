// The real-time latch of XMT_IfRealtime (see realtime_latch.h).
#include "signals/realtime_latch.h"

int CRealtimeLatch::Check(int value, int seconds) {
  if (latch_ > 0) return latch_;
  if (first_.IsEmpty()) first_.SetNow();
  const int elapsed = first_.GetDiffSec(nullptr);
  if (elapsed > seconds && latch_ < 0 && value > 0) latch_ = value;
  return latch_;
}
