// The real-time latch behind XMT_IfRealtime: it tells a study when the host has gone from
// replaying history to live bars.
//
// Contract: reads the local time through Platform::Default(), so a test drives it with a
// fake clock. XMT_SIGNALS keeps one process-wide latch that is never reset.
#pragma once

#include "common/datetime/date_time.h"

class CRealtimeLatch {
 public:
  // -1 until a call comes more than seconds after the first call with value > 0; from then
  // on that value, whatever later calls pass.
  int Check(int value, int seconds);

 private:
  int latch_ = -1;
  CXMTDateTime first_;  // empty until the first call
};
