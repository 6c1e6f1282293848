// The slots of a result block as the expected files of testdata/ write them: ",%.4f" for
// each slot, ",-" for one the call left holding the marker value it was filled with (when
// the block was filled with one).
#pragma once

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "hostbridge/xmt_slot.h"

// Slots 0 .. count-1 of block; a slot whose value has the bits of *untouched reads "-".
inline std::string GoldenSlots(const XmtSlot* block, int count,
                               std::optional<float> untouched = std::nullopt) {
  std::string out;
  for (int i = 0; i < count; ++i) {
    char text[64];
    if (untouched && std::memcmp(&block[i].value, &*untouched, sizeof(float)) == 0)
      std::snprintf(text, sizeof text, ",-");
    else
      std::snprintf(text, sizeof text, ",%.4f", static_cast<double>(block[i].value));
    out += text;
  }
  return out;
}
