// The price scaler of XMT_F_PrcNorm (see price_scaler.h).
#include "signals/price_scaler.h"

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
