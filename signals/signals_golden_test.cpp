// The excursion store, RareAvg and the trend band over the sample bar files, through the
// loaded library, against one checked-in expected file. The native and the Windows build
// compare with the same file, so they agree to the last bit of every float (printed with
// nine significant digits); testdata/check/signals_golden_check.py computes the same lines
// from the rules on its own.
//
// Bars: msft_daily.csv and ttrc_daily.csv (daily, time 0) and the first kIntradayBars of
// usdchf_30min.csv, which holds closes only: each half-hour bar is given the range from the
// previous close (its open) to its own close, so high and low differ. Line formats:
//   gem,<file>,<mode>,<index>,<result>,<long+>,<long->,<short+>,<short->   (result >= 0)
//   avg,<file>,<regr>,<wgt>,<resp>,<extra>,<index>,<result>
//   band,<file>,<pass>,<fast>,<slow>,<index>,<result>,<pos>,<width>
// The band run with lengths 1 to 12 puts the value on the band's top edge on a few percent
// of the bars, where the quarter count often lands a last bit above 8.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/testing/loaded_library.h"
#include "common/testing/test_data.h"
#include "common/testing/test_dirs.h"
#include "hostbridge/testing/host_bars.h"
#include "signals/xmt_signals.h"

namespace {

constexpr int kIntradayBars = 1500;
constexpr int kScale = kHostPriceScale;
constexpr int kLongFileStride = 5;  // ttrc lines: every fifth bar

// The first `limit` bars of a sample file in host form, every one of them (a study feeds
// the early bars too). Prices are passed as a study holds them: times kScale for the calls
// that take a divisor, and the close as a single-precision price (HostBar::Close).
std::vector<HostBar> ReadBars(const char* name, size_t limit) {
  std::vector<HostBar> bars = HostBars(ReadTestBars(name), kScale, EarlyBars::Keep);
  if (bars.size() > limit) bars.resize(limit);
  return bars;
}

// Bars of a close-only file with a range: open = the previous close (the first bar's own),
// high and low the larger and the smaller of open and close.
void OpenAtPreviousClose(std::vector<HostBar>& bars) {
  for (size_t i = 1; i < bars.size(); ++i) {
    HostBar& b = bars[i];
    b.open = bars[i - 1].close;
    b.high = std::max(b.open, b.close);
    b.low = std::min(b.open, b.close);
  }
}

std::string F(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(v));
  return text;
}

struct Library {
  LoadedLibrary lib{XMT_SIGNALS_FILE_NAME};
  XMT_FindGemAdd_fn gemAdd = lib.Get<XMT_FindGemAdd_fn>("XMT_FindGemAdd");
  XMT_FindGemCalc_fn gemCalc = lib.Get<XMT_FindGemCalc_fn>("XMT_FindGemCalc");
  XMT_RareAvg_fn rareAvg = lib.Get<XMT_RareAvg_fn>("XMT_RareAvg");
  XMT_TrendReversal_fn trendRev = lib.Get<XMT_TrendReversal_fn>("XMT_TrendReversal");
};

void RunGem(Library& s, const char* file, const std::vector<HostBar>& bars, int mode,
            std::string& out) {
  const std::string sym = std::string("GEM_") + file + "_" + std::to_string(mode);
  for (size_t i = 0; i < bars.size(); ++i) {
    const HostBar& b = bars[i];
    s.gemAdd(0, sym.c_str(), b.date, b.time, kScale, &b.open, &b.high, &b.low, &b.close,
             &b.volume, mode);
    float lp = 0, lm = 0, sp = 0, sm = 0;
    const int r = s.gemCalc(0, sym.c_str(), b.date, b.time, &lp, &lm, &sp, &sm);
    if (r < 0) continue;
    out += "gem," + std::string(file) + "," + std::to_string(mode) + "," + std::to_string(i) +
           "," + std::to_string(r) + "," + F(lp) + "," + F(lm) + "," + F(sp) + "," + F(sm) +
           "\n";
  }
}

struct AvgRun {
  int regr, wgt, resp, barType, extra;
  bool resend;  // every seventh bar is first sent with another value, then again
};

void RunAvg(Library& s, const char* file, const std::vector<HostBar>& bars, const AvgRun& run,
            size_t stride, std::string& out) {
  char sym[96];
  std::snprintf(sym, sizeof sym, "AVG_%s_%d_%d", file, run.resend ? 1 : 0, run.barType);
  for (size_t i = 0; i < bars.size(); ++i) {
    const HostBar& b = bars[i];
    const int id = static_cast<int>(i) + 1;
    if (run.resend && i % 7 == 3)
      s.rareAvg(sym, run.regr, run.wgt, b.Close() * 1.01f, b.date, b.time, run.resp, 0,
                run.barType, run.extra, id);
    const float r = s.rareAvg(sym, run.regr, run.wgt, b.Close(), b.date, b.time, run.resp, 0,
                              run.barType, run.extra, id);
    if (i % stride) continue;
    out += "avg," + std::string(file) + "," + std::to_string(run.regr) + "," +
           std::to_string(run.wgt) + "," + std::to_string(run.resp) + "," +
           std::to_string(run.extra) + "," + std::to_string(i) + "," + F(r) + "\n";
  }
}

void RunBand(Library& s, const char* file, const std::vector<HostBar>& bars, int fast, int slow,
             float scale, int passes, size_t stride, std::string& out) {
  const std::string sym = std::string("BAND_") + file;
  for (int pass = 1; pass <= passes; ++pass)
    for (size_t i = 0; i < bars.size(); ++i) {
      const HostBar& b = bars[i];
      float pos = 0, width = 0;
      const int r = s.trendRev(0, sym.c_str(), b.date, b.time, 1, 0, b.Close(), scale, fast,
                               slow, &pos, &width);
      if (i % stride) continue;
      out += "band," + std::string(file) + "," + std::to_string(pass) + "," +
             std::to_string(fast) + "," + std::to_string(slow) + "," + std::to_string(i) + "," +
             std::to_string(r) + "," + F(pos) + "," + F(width) + "\n";
    }
}

TEST(SignalsGolden, MatchesTheExpectedLines) {
  Library s;
  ASSERT_TRUE(s.gemAdd && s.gemCalc && s.rareAvg && s.trendRev) << s.lib.Error();
  const std::vector<HostBar> msft = ReadBars("msft_daily.csv", 1000000);
  const std::vector<HostBar> ttrc = ReadBars("ttrc_daily.csv", 1000000);
  std::vector<HostBar> chf = ReadBars("usdchf_30min.csv", kIntradayBars);
  OpenAtPreviousClose(chf);
  ASSERT_EQ(249u, msft.size());
  ASSERT_EQ(5550u, ttrc.size());
  ASSERT_EQ(static_cast<size_t>(kIntradayBars), chf.size());

  std::string actual;
  RunGem(s, "msft", msft, -1010, actual);
  RunGem(s, "msft", msft, -4, actual);
  RunGem(s, "usdchf", chf, 20, actual);
  RunGem(s, "usdchf", chf, -1030, actual);
  RunGem(s, "usdchf", chf, 4, actual);  // short scans that end at the day's last bar

  const AvgRun daily[] = {{10, 0, 0, 2, 0, false},     {10, 0, 60, 2, 0, false},
                          {10, 0, 100, 2, 0, false},   {10, 0, 260, 2, 0, false},
                          {30, 0, 60, 2, 0, false},    {20, 5, 0, 2, 0, false},
                          {20, 5, 260, 2, 0, true},    {10, 0, -1818, 2, 0, false},
                          {10, 0, -1819, 2, 0, false}, {10, 0, -1820, 2, 0, false},
                          {12, 4, 61, 2, 0, false}};
  for (const AvgRun& run : daily) RunAvg(s, "msft", msft, run, 1, actual);
  const AvgRun intraday[] = {{10, 0, 60, 1, 0, false},
                             {21, 4, 0, 1, 0, false},
                             {10, 0, 260, 1, 0, true},
                             {30, 0, 100, 1, 1, false}};
  for (const AvgRun& run : intraday) RunAvg(s, "usdchf", chf, run, 1, actual);
  RunAvg(s, "ttrc", ttrc, {50, 0, 60, 2, 0, false}, kLongFileStride, actual);

  RunBand(s, "msft", msft, 10, 120, 1.0f, 2, 1, actual);
  RunBand(s, "msft", msft, 1, 12, 1.0f, 1, 1, actual);  // lengths 1 .. 12: values on the top
  RunBand(s, "ttrc", ttrc, 20, 130, 2.5f, 1, kLongFileStride, actual);
  RunBand(s, "usdchf", chf, 10, 100, 1.0f, 1, 1, actual);

  ExpectMatchesGolden(actual, "signals_golden_expected.csv");
}

}  // namespace
