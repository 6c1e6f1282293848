// The study table of the simulator and the pieces its studies share.
#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>

#include "tools/xmt-host/study_kit.h"

#include "hostbridge/entry_frame.h"
#include "pattern/pattern64.h"
namespace {

OptionRule IntOption(const char* name, int StudyOptions::*field, int min, int max,
                     const char* help, bool required = false) {
  return {name, "N", help, OptionRule::kInt, field, nullptr, nullptr, nullptr, double(min),
          double(max), required};
}
OptionRule NumberOption(const char* name, double StudyOptions::*field, double min, double max,
                        const char* help) {
  return {name, "X", help, OptionRule::kNumber, nullptr, field, nullptr, nullptr, min, max, false};
}
OptionRule TextOption(const char* name, const char* value, std::string StudyOptions::*field,
                      const char* help, bool required = false) {
  return {name, value, help, OptionRule::kText, nullptr, nullptr, field, nullptr, 0, 0, required};
}
OptionRule FlagOption(const char* name, bool StudyOptions::*field, const char* help) {
  return {name, "", help, OptionRule::kFlag, nullptr, nullptr, nullptr, field, 0, 0, false};
}

// Options several studies share.
const OptionRule kLeft = IntOption("--left", &StudyOptions::left, -1000000000, 1000000000,
                                   "left pivot window length (default 5)");
const OptionRule kRight = IntOption("--right", &StudyOptions::right, -1000000000, 1000000000,
                                    "right pivot window length (default 5)");
const OptionRule kScale = IntOption("--scale", &StudyOptions::scale, 0, 1000000000,
                                    "price divisor (default: 10000 below a high of 3.0, else 100)");
const char* const kPatternHelp = "pattern name, or a PR_<name>.txt file to install and use";

}  // namespace

const std::vector<StudyInfo>& StudyTable() {
  static const std::vector<StudyInfo> table = {
      {"zigzag", "XMT_PATTERN", "zig-zag pivots (XMT_ZZ_AddBar + XMT_ZZ_CalcPiv)",
       MakeZigZagStudy, {kLeft, kRight, kScale}},
      {"pattern", "XMT_PATTERN",
       "pivot pattern file (XMT_PATTERN_AddBar + XMT_PATTERN_CalcPat)", MakePatternStudy,
       {TextOption("--pattern", "NAME|FILE", &StudyOptions::pattern, kPatternHelp, true), kLeft,
        kRight, kScale}},
      {"pattern64", "XMT_PATTERN",
       "one call per bar through the host study object (XMT_PATTERN64)", MakePattern64Study,
       {TextOption("--pattern", "NAME|FILE", &StudyOptions::pattern,
                   "pattern name or PR_<name>.txt file (needed with --style 1)"),
        IntOption("--style", &StudyOptions::style, 1, 2,
                  "1 pattern evaluation (default), 2 pivot report"),
        FlagOption("--host-bars", &StudyOptions::hostBarNumbers,
                   "pass the host's bar numbers (input element 3)"),
        kLeft, kRight}},
      {"rs", "XMT_PATTERN", "support/resistance structure of the close (XMT_RS_ChkPiv)",
       MakeRsStudy, {kLeft, kRight, kScale}},
      {"bsp", "XMT_SIGNALS", "buy/sell pressure through the host study object (XMT_BSP)",
       MakeBspStudy,
       {IntOption("--avg-len", &StudyOptions::avgLen, -1000000, 1000000,
                  "AvgLen, length of the pressure averages (default 14)"),
        IntOption("--vol-len", &StudyOptions::volLen, -1000000, 1000000,
                  "VolLen, length of the volume average (default 20)"),
        IntOption("--style", &StudyOptions::bspStyle, -1000000, 1000000,
                  "1/2 exponential, 3/4 simple averages; 1/3 one side per bar (default 2)")}},
      {"findgem", "XMT_SIGNALS",
       "excursions after the bar a scope back (XMT_FindGemAdd + XMT_FindGemCalc)",
       MakeFindGemStudy,
       {IntOption("--scope", &StudyOptions::scope, 2, 999, "bars scanned (default 20)"),
        FlagOption("--basis-points", &StudyOptions::basisPoints,
                   "excursions in ten-thousandths of the start price"),
        FlagOption("--cross-days", &StudyOptions::crossDays, "scans go on past a day's end"),
        kScale}},
      {"rareavg", "XMT_SIGNALS", "adaptive regression average of the close (XMT_RareAvg)",
       MakeRareAvgStudy,
       {IntOption("--len", &StudyOptions::regrLen, -1000000, 1000000,
                  "regression window (default 30)"),
        IntOption("--wgt-len", &StudyOptions::wgtLen, -1000000, 1000000,
                  "final weighted average (default 0: a third or half of --len)"),
        IntOption("--response", &StudyOptions::response, -1000000, 1000000,
                  "response factor in percent (default 60)")}},
      {"trend", "XMT_SIGNALS", "position in the band of averages (XMT_TrendReversal)",
       MakeTrendStudy,
       {IntOption("--fast", &StudyOptions::fast, -1000000, 1000000,
                  "shortest average (default 10)"),
        IntOption("--slow", &StudyOptions::slow, -1000000, 1000000,
                  "longest average (default 120)")}},
      {"prcnorm", "XMT_SIGNALS", "prices and volume scaled by a factor (XMT_F_PrcNorm)",
       MakePrcNormStudy,
       {NumberOption("--factor", &StudyOptions::factor, -1e6, 1e6, "the factor (default 0.5)"),
        kScale}},
      {"export", "XMT_SIGNALS",
       "bar export files (XMT_SaveDataToCsv, XMT_SaveDataToCsv2, XMT_SaveDataToTxt)",
       MakeExportStudy, {kScale}},
      {"loadcol", "XMT_SIGNALS",
       "a column file written by XMT_SaveDataToCsv2 loaded back (XMT_LoadCol)", MakeLoadColStudy,
       {IntOption("--column", &StudyOptions::column, 1, 1000,
                  "field handed back: 3 open, 4 high, 5 low, 6 close (default), 7 up volume")}},
      {"utc", "XMT_MOMENTUM", "momentum of the typical price and its smoothing (XMT_UTC)",
       MakeUtcStudy,
       {IntOption("--lookback", &StudyOptions::lookback, -1000000, 1000000,
                  "bars compared, N (default 10)"),
        IntOption("--smooth", &StudyOptions::smooth, -1000000, 1000000,
                  "exponential smoothing length, L (default 5; 1: none)")}},
      {"rrs", "XMT_MOMENTUM", "robust (repeated-median) slope of the close (XMT_RRS)",
       MakeRrsStudy,
       {IntOption("--len", &StudyOptions::regrLen, -1000000, 1000000,
                  "points in the regression window (default 30)"),
        FlagOption("--per-mille", &StudyOptions::perMille,
                   "the slope per mille of the newest close (mode 2)")}},
      {"patdetect", "XMT_MOMENTUM", "a pattern text file made available (XMT_PatDetect)",
       MakePatDetectStudy,
       {TextOption("--pattern", "FILE", &StudyOptions::pattern, "the pattern text file",
                   true)}},
  };
  return table;
}

const StudyInfo* FindStudy(const std::string& name) {
  for (const StudyInfo& s : StudyTable()) {
    std::string a = s.name, b = name;
    std::transform(b.begin(), b.end(), b.begin(), [](unsigned char c) { return std::tolower(c); });
    if (a == b) return &s;
  }
  return nullptr;
}

int AutoScale(const BarFile& file) {
  double low = 0, high = 0;
  PriceRange(file, &low, &high);
  return PriceScaleForHigh(high);
}

bool ChooseScale(const BarFile& file, int option, int* scale, std::string* error) {
  *scale = option > 0 ? option : AutoScale(file);
  return CheckPriceScale(file, *scale, error);
}

bool LibraryTakes(const CsvBar& bar) { return FullDateToHost(bar.date) >= 900000; }

bool CheckPriceScale(const BarFile& file, int scale, std::string* error) {
  for (const CsvBar& b : file.bars) {
    const int s = scale > 0 ? scale : PriceScaleForHigh(static_cast<float>(b.high));
    const double limit = 2147483647.0 / s;
    for (double p : {b.open, b.high, b.low, b.close}) {
      if (std::fabs(p) < limit) continue;
      char text[64];
      std::snprintf(text, sizeof text, "%g", p);
      *error = file.path + ":" + std::to_string(b.line) + ": price " + text +
               " is too large for the price scale " + std::to_string(s);
      return false;
    }
  }
  return true;
}

int ScalePrice(double price, int scale) {
  double v = price * scale;
  v = v > 0 ? v + 0.5 : v - 0.5;
  if (v >= INT_MAX) return INT_MAX;
  if (v <= INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

ScaledBar::ScaledBar(const CsvBar& bar, int scale)
    : date(FullDateToHost(bar.date)),
      time(bar.time),
      open(ScalePrice(bar.open, scale)),
      high(ScalePrice(bar.high, scale)),
      low(ScalePrice(bar.low, scale)),
      close(ScalePrice(bar.close, scale)),
      volume(bar.volume >= INT_MAX ? INT_MAX : bar.volume <= 0 ? 0 : static_cast<int>(bar.volume)) {}

void UpDownVolume(const BarFile& file, int index, double* up, double* down) {
  const CsvBar& b = file.bars[index];
  if (file.hasUpDown) {
    *up = b.upVol;
    *down = b.downVol;
    return;
  }
  // A close outside the range (a bad row) still gives two sides between 0 and the volume.
  *up = b.high > b.low
            ? std::clamp(std::round(b.volume * (b.close - b.low) / (b.high - b.low)), 0.0, b.volume)
            : b.volume / 2;
  *down = b.volume - *up;
}

FakeBar HostObjectBar(const CsvBar& b) {
  FakeBar bar;
  bar.open = b.open;
  bar.high = b.high;
  bar.low = b.low;
  bar.close = b.close;
  bar.year = b.date / 10000;
  bar.month = b.date / 100 % 100;
  bar.day = b.date % 100;
  bar.hour = b.time / 100;
  bar.minute = b.time % 100;
  return bar;
}

std::vector<std::string> PivotSlotNames(int count) {
  static const char* const fields[] = {"Since", "Price", "Dir", "Bar"};
  static const char* const groups[] = {"New", "Dropped", "Opposite"};
  std::vector<std::string> names;
  for (int i = 0; i < count && i < 12; ++i) names.push_back(std::string(groups[i / 4]) + fields[i % 4]);
  return names;
}

void AddRow(int result, const XmtSlot* block, int count, StudyOutput* out) {
  out->results.push_back(result);
  std::vector<double> row;
  for (int i = 0; i < count; ++i) row.push_back(block[i].value);
  out->slots.push_back(std::move(row));
}

// The bar of the file that the library's bar index names (-1 when out of range).
static int FileBar(float libraryBar, const StudyOutput& out) {
  if (!(libraryBar >= 0 && libraryBar < 2e9f)) return -1;  // also NaN
  const size_t k = static_cast<size_t>(std::lround(libraryBar));
  return k < out.fileBars.size() ? out.fileBars[k] : -1;
}

void TrackPivots(const XmtSlot* block, bool dropped, StudyOutput* out) {
  if (dropped) out->pivots.erase(FileBar(block[7].value, *out));
  PivotMark p;
  p.bar = FileBar(block[3].value, *out);
  if (p.bar < 0) return;
  p.price = block[1].value;
  p.direction = block[2].value > 0 ? 1 : -1;
  out->pivots[p.bar] = p;
}
