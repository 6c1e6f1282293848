// Zig-zag pivots over real daily bars, through the loaded library, against a checked-in
// expected file. The native and the Windows build compare with the same file, so they give
// the same pivots to the last reported digit.
//
// Every bar of a file goes through XMT_ZZ_AddBar (bar numbers 1, 2, ...; prices scaled by
// 10000) and then XMT_ZZ_CalcPiv with the window lengths of the run. Each call that reports
// a pivot gives one line: file, left, right, bar index, date, result and the twelve slots,
// "-" for a slot the call left untouched.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/testing/test_data.h"
#include "hostbridge/entry_frame.h"
#include "hostbridge/testing/host_bars.h"
#include "pattern/testing/golden_slots.h"
#include "pattern/testing/library_under_test.h"
#include "studycore/barmgr/testing/data_drive.h"

namespace {

constexpr int kScale = kHostPriceScale;

std::string RunFile(PatternLibrary& lib, const char* name, int left, int right) {
  // Every bar, the early ones too: the library refuses those, as it would a study's.
  const std::vector<HostBar> bars = HostBars(ReadTestBars(name), kScale, EarlyBars::Keep);
  EXPECT_FALSE(bars.empty()) << name;
  char id[64];
  std::snprintf(id, sizeof id, "Golden_%s_%d_%d", name, left, right);
  const uint32_t untouched = 0x7FC0DEAD;  // a NaN the library never writes
  float untouchedValue;
  std::memcpy(&untouchedValue, &untouched, 4);
  std::string out;
  for (size_t i = 0; i < bars.size(); ++i) {
    const HostBar& b = bars[i];
    int index = lib.zzAddBar(1, id, b.date, 0, static_cast<int>(i) + 1, kScale, &b.open,
                             &b.high, &b.low, &b.close, b.volume);
    if (index < 0) continue;  // before 1990: refused by the library, skipped by a study too
    XmtSlot block[12];
    for (XmtSlot& s : block) std::memcpy(&s.value, &untouched, 4);
    int r = lib.zzCalcPiv(0, id, index + 1, left, right, block);
    if (r == 0) continue;
    char line[128];
    std::snprintf(line, sizeof line, "%s,%d,%d,%d,%d,%d", name, left, right, index,
                  HostDateToFull(b.date), r);
    out += line + GoldenSlots(block, 12, untouchedValue);
    out += "\n";
  }
  return out;
}

TEST(ZigZagGolden, MatchesTheExpectedPivots) {
  PresetDataDrive();
  PatternLibrary lib(XMT_PATTERN_FILE_NAME);
  ASSERT_TRUE(lib.Complete()) << lib.Error();
  std::string actual;
  for (const char* file : {"msft_daily.csv", "ttrc_daily.csv"}) {
    actual += RunFile(lib, file, 5, 5);
    actual += RunFile(lib, file, 10, 3);
  }
  ExpectMatchesGolden(actual, "zigzag_golden_expected.csv");
}

}  // namespace
