// Fuzz target: sequences of XMT_RRS calls, each checked against the direct computation of
// the same slope (every slope of the window, a CCalcStack sort per point).
//
// Each call takes a few bytes: the value (mostly a price near 100 on a coarse grid, so that
// equal values and zero slopes are common; sometimes arbitrary float bits: NaN, infinities,
// zeros of either sign, subnormals, huge numbers), the date step (same day, next day, back
// in time, zero), the result mode and, per input, the scope (0 to 70), bar type and nExtra.
// Any difference but the sign of a zero or the payload of a NaN aborts.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz/fuzz_env.h"
#include "momentum/rrs.h"
#include "momentum/testing/rrs_direct.h"

namespace {

float Value(FuzzInput& in) {
  const uint8_t b = in.Byte();
  if (b >= 0xE0) return in.FloatBits();
  return 100.0f + 0.25f * static_cast<float>(static_cast<int>(b % 64) - 32);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzEnvInit();
  FuzzInput in(data, size);
  RrsArgs a;
  a.scope = in.Byte() % 71;
  a.barType = in.Byte() % 4;
  a.extra = in.Byte() % 4 == 0 ? 1 : 0;
  a.respFac = 5;
  a.date = 1150218;
  DirectRrsHistory direct(a.scope);
  for (int call = 0; call < 400 && in.Remaining() > 0; ++call) {
    const uint8_t step = in.Byte();
    switch (step % 16) {
      case 0: a.date += 1; break;       // the next day
      case 1: a.date -= 3; break;       // the host starts over
      case 2: a.date = step & 16 ? 0 : -7; break;  // no usable date
      default: if (a.date <= 0) a.date = 1150218; break;  // the same day
    }
    a.resMode = step & 32 ? 2 : 1;
    a.value = Value(in);
    const float expect = direct.Call(a.resMode, a.value, a.date, a.barType, a.extra);
    const float got = CalcRrs(a);
    if (!SameRrsResult(expect, got)) {
      std::fprintf(stderr, "scope %d bar type %d extra %d call %d: %.9g instead of %.9g\n",
                   a.scope, a.barType, a.extra, call, static_cast<double>(got),
                   static_cast<double>(expect));
      std::abort();
    }
  }
  ReleaseRrsHistories();
  return 0;
}
