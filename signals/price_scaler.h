// The price scaler behind XMT_F_PrcNorm (PrcNorm: price normalisation): host prices held
// as integers rescaled by a factor.
//
// Contract: scales in single precision and never reads a null pointer.
#pragma once

// With factor > 0 and not 1, each int x becomes trunc(x * factor + 0.51) when x * factor > 0,
// else trunc(x * factor - 0.51); otherwise the ints stay. Null pointers are skipped.
void PrcNorm(float factor, int* const values[], int count);
