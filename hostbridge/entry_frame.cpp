// The common opening of the bar-feeding exports: argument checks and conversions.

#include "hostbridge/entry_frame.h"

int CheckEntryArgs(int hostDate, const char* id) {
  if (hostDate < kEntryMinHostDate) return kEntryDateTooLow;
  if (!id) return kEntryNullId;
  return 0;
}

namespace {

// Garbage from the host must not overflow: a number out of int range becomes -1, which the
// date-time value rejects as invalid.
int ClampToInt(long long v) {
  return v > 2147483647LL || v < -2147483647LL ? -1 : static_cast<int>(v);
}

}  // namespace

int HostToDateTime(int hostDate, int hostTime, CXMTDateTime& out) {
  out.Reset();
  return out.SetDT(HostDateToFull(hostDate), ClampToInt(hostTime * 100LL));
}

float ScaleHostPrice(const int* value, int scale) {
  if (scale <= 0 || !value) return 0.0f;
  return static_cast<float>(*value) / static_cast<float>(scale);
}

EntryPrices ScaleHostPrices(int scale, const int* open, const int* high, const int* low,
                            const int* close) {
  EntryPrices p;
  p.open = ScaleHostPrice(open, scale);
  p.high = ScaleHostPrice(high, scale);
  p.low = ScaleHostPrice(low, scale);
  p.close = ScaleHostPrice(close, scale);
  return p;
}
