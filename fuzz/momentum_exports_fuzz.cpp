// Fuzz target: sequences of XMT_UTC and XMT_PatDetect calls as a host (or a careless study)
// makes them.
//
// Each call takes a few bytes. XMT_UTC gets a symbol (an empty, a very long and a null one
// among them) and an argument block that is null or a heap block of exactly the documented
// 92 slots, whose values are mostly plausible (dates, times, prices near 100, bar numbers
// around the count so far, small bar types, look-backs and smoothing lengths) and sometimes
// arbitrary float bits (NaN, infinities, huge numbers). XMT_PatDetect gets a sample file,
// a missing one, an empty or a null name. The exports are linked in statically so that
// coverage sees them; every instance and pattern file is released after each input.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_env.h"
#include "momentum/pat_detect.h"
#include "momentum/xmt_momentum.h"
#include "studycore/barmgr/bar_mgr_registry.h"

#ifndef XMT_TESTDATA_DIR
#define XMT_TESTDATA_DIR "testdata"
#endif

namespace {

const std::string kLongText(1500, 'Q');
const char* const kSymbols[] = {"ES", "es", "NQ", "", nullptr, kLongText.c_str()};
const std::string kSample = XMT_TESTDATA_DIR "/msft_daily.csv";
const char* const kFiles[] = {kSample.c_str(), "missing_pattern.txt", "", nullptr};
constexpr int kSlots = 92;

// Mostly plausible: base plus a small step; byte 0xF0 and above: any float bits.
float Value(FuzzInput& in, float base, float step) {
  const uint8_t b = in.Byte();
  if (b >= 0xF0) return in.FloatBits();
  return base + step * static_cast<float>(static_cast<int>(b % 32) - 8);
}

void CallUtc(FuzzInput& in, int* bar) {
  const char* symbol = kSymbols[in.Byte() % 6];
  if (in.Byte() % 8 == 0) {
    XMT_UTC(symbol, nullptr);
    return;
  }
  std::vector<XmtSlot> block(kSlots);  // exactly the documented size
  *bar += in.Byte() % 3;               // same bar (update), next bar or one further
  block[0].value = Value(in, 1150218, 1);
  block[1].value = Value(in, 930, 5);
  for (int i = 2; i <= 5; ++i) block[static_cast<size_t>(i)].value = Value(in, 100, 0.5f);
  block[6].value = Value(in, 1000, 10);
  block[7].value = Value(in, static_cast<float>(*bar), 1);
  block[8].value = Value(in, 5, 1);
  block[9].value = Value(in, 1, 1);
  block[11].value = Value(in, 10, 2);
  block[12].value = Value(in, 3, 1);
  XMT_UTC(symbol, block.data());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzEnvInit();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  int bar = 0;
  for (int n = 0; in.Remaining() > 0 && n < 2000; ++n) {
    if (in.Byte() % 8 == 7) {
      XMT_PatDetect(in.Byte(), kFiles[in.Byte() % 4]);
    } else {
      CallUtc(in, &bar);
    }
  }
  ReleaseAllBarMgrs();
  ClearPatFiles();
  return 0;
}
