// The study table of the simulator and the pieces its studies share.
#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>

#include "tools/xmt-host/study_kit.h"

#include "hostbridge/entry_frame.h"
#include "pattern/pattern64.h"

const std::vector<StudyInfo>& StudyTable() {
  static const std::vector<StudyInfo> table = {
      {"zigzag", "XMT_PATTERN", "zig-zag pivots (XMT_ZZ_AddBar + XMT_ZZ_CalcPiv)",
       MakeZigZagStudy},
      {"pattern", "XMT_PATTERN",
       "pivot pattern file (XMT_PATTERN_AddBar + XMT_PATTERN_CalcPat), --pattern NAME|FILE",
       MakePatternStudy},
      {"pattern64", "XMT_PATTERN",
       "one call per bar through the host study object (XMT_PATTERN64), --style 1|2",
       MakePattern64Study},
      {"rs", "XMT_PATTERN", "support/resistance structure of the close (XMT_RS_ChkPiv)",
       MakeRsStudy},
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

std::vector<std::string> PivotSlotNames(int count) {
  static const char* const fields[] = {"Since", "Price", "Dir", "Bar"};
  static const char* const groups[] = {"New", "Dropped", "Opposite"};
  std::vector<std::string> names;
  for (int i = 0; i < count && i < 12; ++i) names.push_back(std::string(groups[i / 4]) + fields[i % 4]);
  return names;
}

void AddRow(int result, const XmtSlot* block, int count, StudyOutput* out) {
  out->results.push_back(result);
  std::vector<float> row;
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
