// Zig-zag pivots over real daily bars, through the loaded library, against a checked-in
// expected file. The native and the Windows build compare with the same file, so they give
// the same pivots to the last reported digit.
//
// Every bar of a file goes through XMT_ZZ_AddBar (bar numbers 1, 2, ...; prices scaled by
// 10000) and then XMT_ZZ_CalcPiv with the window lengths of the run. Each call that reports
// a pivot gives one line: file, left, right, bar index, date, result and the twelve slots,
// "-" for a slot the call left untouched.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/testing/test_dirs.h"
#include "pattern/testing/library_under_test.h"
#include "pattern/testing/test_env.h"

namespace {

struct DailyBar {
  int hostDate = 0;
  int open = 0, high = 0, low = 0, close = 0;
  int volume = 0;
};

constexpr int kScale = 10000;

int Scaled(const std::string& field) {
  return static_cast<int>(std::lround(std::stod(field) * kScale));
}

// Date,Open,High,Low,Close,Volume with ISO dates.
std::vector<DailyBar> ReadDailyCsv(const std::string& path) {
  std::vector<DailyBar> bars;
  std::istringstream in(ReadWholeFile(path));
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> f;
    std::stringstream fields(line);
    for (std::string x; std::getline(fields, x, ',');) f.push_back(x);
    if (f.size() < 6) continue;
    DailyBar b;
    int y = 0, m = 0, d = 0;
    if (std::sscanf(f[0].c_str(), "%d-%d-%d", &y, &m, &d) != 3) continue;
    b.hostDate = (y - 1900) * 10000 + m * 100 + d;
    b.open = Scaled(f[1]);
    b.high = Scaled(f[2]);
    b.low = Scaled(f[3]);
    b.close = Scaled(f[4]);
    b.volume = static_cast<int>(std::stod(f[5]));
    bars.push_back(b);
  }
  return bars;
}

std::string RunFile(PatternLibrary& lib, const char* name, int left, int right) {
  const std::vector<DailyBar> bars = ReadDailyCsv(std::string(XMT_TESTDATA_DIR "/") + name);
  EXPECT_FALSE(bars.empty()) << name;
  char id[64];
  std::snprintf(id, sizeof id, "Golden_%s_%d_%d", name, left, right);
  const uint32_t untouched = 0x7FC0DEAD;  // a NaN the library never writes
  std::string out;
  for (size_t i = 0; i < bars.size(); ++i) {
    const DailyBar& b = bars[i];
    int index = lib.zzAddBar(1, id, b.hostDate, 0, static_cast<int>(i) + 1, kScale, &b.open,
                             &b.high, &b.low, &b.close, b.volume);
    if (index < 0) continue;  // before 1990: refused by the library, skipped by a study too
    XmtSlot block[12];
    for (XmtSlot& s : block) std::memcpy(&s.value, &untouched, 4);
    int r = lib.zzCalcPiv(0, id, index + 1, left, right, block);
    if (r == 0) continue;
    char line[512];
    int n = std::snprintf(line, sizeof line, "%s,%d,%d,%d,%d,%d", name, left, right, index,
                          b.hostDate + 19000000, r);
    for (const XmtSlot& s : block) {
      uint32_t bits;
      std::memcpy(&bits, &s.value, 4);
      if (bits == untouched)
        n += std::snprintf(line + n, sizeof line - n, ",-");
      else
        n += std::snprintf(line + n, sizeof line - n, ",%.4f", static_cast<double>(s.value));
    }
    out += line;
    out += "\n";
  }
  return out;
}

TEST(ZigZagGolden, MatchesTheExpectedPivots) {
  PresetDataDrive();
  PatternLibrary lib(TestProgramFolder() + XMT_PATTERN_FILE_NAME);
  ASSERT_TRUE(lib.Complete()) << lib.error;
  std::string actual;
  for (const char* file : {"msft_daily.csv", "ttrc_daily.csv"}) {
    actual += RunFile(lib, file, 5, 5);
    actual += RunFile(lib, file, 10, 3);
  }
  WriteWholeFile("zigzag_golden_actual.csv", actual);  // kept in the test's folder
  const std::string expected = ReadWholeFile(XMT_TESTDATA_DIR "/zigzag_golden_expected.csv");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(FirstDifference(actual, expected), "");
}

}  // namespace
