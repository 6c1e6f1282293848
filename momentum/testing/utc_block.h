// Test support: an XMT_UTC argument block filled the way the host fills it.
#pragma once

#include <cstring>

#include "momentum/xmt_momentum.h"

struct UtcBlock {
  XmtSlot slots[92];

  UtcBlock() { std::memset(slots, 0x5A, sizeof slots); }  // the unused halves: a pattern
  float& operator[](int i) { return slots[i].value; }

  // One bar: host date, HHMM, prices, volume, bar number; bar type, interval, N and L.
  UtcBlock& Bar(int date, int time, float open, float high, float low, float close,
                float volume, int barNumber) {
    slots[0].value = static_cast<float>(date);
    slots[1].value = static_cast<float>(time);
    slots[2].value = open;
    slots[3].value = high;
    slots[4].value = low;
    slots[5].value = close;
    slots[6].value = volume;
    slots[7].value = static_cast<float>(barNumber);
    return *this;
  }
  // A bar whose four prices are all `price`.
  UtcBlock& Flat(int barNumber, float price) {
    return Bar(1150218, 930, price, price, price, price, 1000, barNumber);
  }
  UtcBlock& Setup(int type, int interval, int lookBack, int smoothLength) {
    slots[8].value = static_cast<float>(interval);
    slots[9].value = static_cast<float>(type);
    slots[11].value = static_cast<float>(lookBack);
    slots[12].value = static_cast<float>(smoothLength);
    return *this;
  }
  float Result() const { return slots[90].value; }
  float UpdateFlag() const { return slots[91].value; }
  // True when no byte outside the value halves of the read and written slots was touched.
  bool UnusedHalvesIntact() const {
    for (const XmtSlot& s : slots)
      if (s.unused != 0x5A5A5A5A) return false;
    return true;
  }
};
