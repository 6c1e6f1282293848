// Small signal functions: the price scaler and the real-time latch.
//
// Contract:
// - PrcNorm scales in single precision and never reads a null pointer.
// - CRealtimeLatch reads the local time through Platform::Default(), so a test drives it
//   with a fake clock. XMT_SIGNALS keeps one process-wide latch that is never reset.
#pragma once

#include "common/datetime/date_time.h"

// With factor > 0 and not 1, each int x becomes trunc(x * factor + 0.51) when x * factor > 0,
// else trunc(x * factor - 0.51); otherwise the ints stay. Null pointers are skipped.
void PrcNorm(float factor, int* const values[], int count);

class CRealtimeLatch {
 public:
  // -1 until a call comes more than seconds after the first call with value > 0; from then
  // on that value, whatever later calls pass.
  int Check(int value, int seconds);

 private:
  int latch_ = -1;
  CXMTDateTime first_;  // empty until the first call
};
