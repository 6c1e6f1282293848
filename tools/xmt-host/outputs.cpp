// CSV and SVG outputs of a simulator run (see outputs.h).
#include "tools/xmt-host/outputs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

}  // namespace

bool WriteTextFile(const std::string& path, const std::string& text, std::string* error) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (f) f << text;
  if (!f) {
    *error = path + ": cannot write the file";
    return false;
  }
  return true;
}

namespace {

std::string Num(double v, int decimals = 4) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

}  // namespace

std::string XmlEscape(const std::string& s) {
  std::string r;
  for (char c : s) {
    switch (c) {
      case '<': r += "&lt;"; break;
      case '>': r += "&gt;"; break;
      case '&': r += "&amp;"; break;
      case '"': r += "&quot;"; break;
      default:  // control characters are not allowed in XML 1.0
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n') r += c;
    }
  }
  return r;
}

namespace {

std::string Escape(const std::string& s) { return XmlEscape(s); }

std::string DateText(int yyyymmdd) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", yyyymmdd / 10000, yyyymmdd / 100 % 100,
                yyyymmdd % 100);
  return buf;
}

// Chart geometry: bar index -> x, price -> y.
struct Frame {
  double left = 70, top = 40, width = 1300, height = 520;
  int count = 1;
  double low = 0, high = 1;
  double X(double bar) const { return left + (count > 1 ? bar * width / (count - 1) : width / 2); }
  double Y(double price) const { return top + (high - price) * height / (high - low); }
};

// The close line; long files are thinned to the lowest and highest close of each pixel
// column so that the chart stays small and keeps every swing visible.
std::string PriceLine(const Frame& f, const BarFile& bars) {
  std::ostringstream pts;
  const auto& b = bars.bars;
  const int n = static_cast<int>(b.size());
  const int columns = static_cast<int>(f.width);
  if (n <= 2 * columns) {
    for (int i = 0; i < n; ++i) pts << Num(f.X(i), 1) << ',' << Num(f.Y(b[i].close), 1) << ' ';
  } else {
    for (int c = 0; c < columns; ++c) {
      int from = static_cast<int>(static_cast<long long>(c) * n / columns);
      int to = static_cast<int>(static_cast<long long>(c + 1) * n / columns);
      int lo = from, hi = from;
      for (int i = from; i < to; ++i) {
        if (b[i].close < b[lo].close) lo = i;
        if (b[i].close > b[hi].close) hi = i;
      }
      int first = std::min(lo, hi), second = std::max(lo, hi);
      pts << Num(f.X(first), 1) << ',' << Num(f.Y(b[first].close), 1) << ' ';
      pts << Num(f.X(second), 1) << ',' << Num(f.Y(b[second].close), 1) << ' ';
    }
  }
  return "<polyline fill=\"none\" stroke=\"#555\" stroke-width=\"1\" points=\"" + pts.str() +
         "\"/>\n";
}

// The high-low range of every bar as a faint stroke, for files with open/high/low/close
// and few enough bars to tell them apart.
std::string RangeStrokes(const Frame& f, const BarFile& bars) {
  if (bars.closeOnly || bars.bars.size() > static_cast<size_t>(f.width) / 2) return "";
  std::ostringstream d;
  for (size_t i = 0; i < bars.bars.size(); ++i) {
    const CsvBar& b = bars.bars[i];
    d << 'M' << Num(f.X(static_cast<double>(i)), 1) << ',' << Num(f.Y(b.high), 1) << 'V'
      << Num(f.Y(b.low), 1);
  }
  return "<path fill=\"none\" stroke=\"#c8c8c8\" stroke-width=\"2\" d=\"" + d.str() + "\"/>\n";
}

// The frame, price (or value) grid lines with their labels, and, when `dates`, the dates
// under the frame.
std::string Axes(const Frame& f, const BarFile& bars, int decimals, int lines, bool dates) {
  std::ostringstream s;
  s << "<rect x=\"" << f.left << "\" y=\"" << f.top << "\" width=\"" << f.width
    << "\" height=\"" << f.height << "\" fill=\"none\" stroke=\"#bbb\"/>\n";
  for (int i = 0; i <= lines; ++i) {
    double price = f.low + (f.high - f.low) * i / lines;
    double y = f.Y(price);
    s << "<line x1=\"" << f.left << "\" x2=\"" << f.left + f.width << "\" y1=\"" << Num(y, 1)
      << "\" y2=\"" << Num(y, 1) << "\" stroke=\"#eee\"/>\n";
    s << "<text x=\"" << f.left - 6 << "\" y=\"" << Num(y + 4, 1)
      << "\" text-anchor=\"end\" font-size=\"11\">" << Num(price, decimals) << "</text>\n";
  }
  const int n = static_cast<int>(bars.bars.size());
  for (int i = 0; i <= 6 && n > 0 && dates; ++i) {
    int bar = static_cast<int>(static_cast<long long>(n - 1) * i / 6);
    s << "<text x=\"" << Num(f.X(bar), 1) << "\" y=\"" << f.top + f.height + 16
      << "\" text-anchor=\"" << (i == 6 ? "end" : "middle") << "\" font-size=\"11\">"
      << DateText(bars.bars[bar].date)
      << "</text>\n";
  }
  return s.str();
}

const char* const kLineColors[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e", "#8c564b"};

// A value the chart draws: finite and below the libraries' "no value" (1e9).
bool Drawable(double v) { return std::isfinite(v) && std::fabs(v) < 1e8; }

int ColumnIndex(const StudyOutput& out, const std::string& name) {
  for (size_t k = 0; k < out.slotNames.size(); ++k)
    if (out.slotNames[k] == name) return static_cast<int>(k);
  return -1;
}

double Value(const StudyOutput& out, size_t row, int column) {
  return column >= 0 && row < out.slots.size() && static_cast<size_t>(column) < out.slots[row].size()
             ? out.slots[row][column]
             : NAN;
}

// One column of the results as a path with gaps where it has no value; long files are
// thinned to the lowest and highest value of each pixel column.
std::string SeriesPath(const Frame& f, const StudyOutput& out, int column, const char* color) {
  std::ostringstream d;
  const size_t n = out.slots.size();
  const size_t columns = static_cast<size_t>(f.width);
  const size_t per = n > 2 * columns ? (n + columns - 1) / columns : 1;
  bool pen = false;
  for (size_t from = 0; from < n; from += per) {
    const size_t to = std::min(n, from + per);
    size_t lo = n, hi = n;
    for (size_t i = from; i < to; ++i) {
      const double v = Value(out, i, column);
      if (!Drawable(v)) continue;
      if (lo == n || v < Value(out, lo, column)) lo = i;
      if (hi == n || v > Value(out, hi, column)) hi = i;
    }
    if (lo == n) {
      pen = false;
      continue;
    }
    for (size_t i : {std::min(lo, hi), std::max(lo, hi)}) {
      d << (pen ? 'L' : 'M') << Num(f.X(static_cast<double>(i)), 1) << ','
        << Num(f.Y(Value(out, i, column)), 1);
      pen = true;
      if (lo == hi) break;
    }
  }
  if (d.str().empty()) return "";
  return std::string("<path class=\"series\" fill=\"none\" stroke=\"") + color +
         "\" stroke-width=\"1.2\" d=\"" + d.str() + "\"/>\n";
}

// A legend in the frame's top left corner: a short line of each colour and its name.
std::string Legend(const Frame& f, const std::vector<std::pair<std::string, std::string>>& items) {
  std::ostringstream s;
  double x = f.left + 10;
  const double y = f.top + 14;
  s << "<g class=\"legend\" font-size=\"11\">\n";
  for (const auto& [name, color] : items) {
    const double w = 30 + 6.5 * static_cast<double>(name.size());
    s << "<rect x=\"" << Num(x - 4, 1) << "\" y=\"" << Num(y - 10, 1) << "\" width=\""
      << Num(w, 1) << "\" height=\"14\" fill=\"white\" fill-opacity=\"0.85\"/>\n"
      << "<line x1=\"" << Num(x, 1) << "\" x2=\"" << Num(x + 18, 1) << "\" y1=\"" << Num(y - 4, 1)
      << "\" y2=\"" << Num(y - 4, 1) << "\" stroke=\"" << color << "\" stroke-width=\"2\"/>\n"
      << "<text x=\"" << Num(x + 22, 1) << "\" y=\"" << Num(y, 1) << "\">" << Escape(name)
      << "</text>\n";
    x += w + 8;
  }
  s << "</g>\n";
  return s.str();
}

// The lowest and highest drawable value of the columns (false when there is none).
bool ColumnRange(const StudyOutput& out, const std::vector<int>& columns, double* low, double* high) {
  bool any = false;
  for (size_t i = 0; i < out.slots.size(); ++i)
    for (int c : columns) {
      const double v = Value(out, i, c);
      if (!Drawable(v)) continue;
      if (!any || v < *low) *low = v;
      if (!any || v > *high) *high = v;
      any = true;
    }
  return any;
}

void Pad(Frame* f) {
  double pad = (f->high - f->low) * 0.05;
  if (pad <= 0) pad = std::max(1e-6, std::fabs(f->high) * 0.01 + 1e-6);
  f->low -= pad;
  f->high += pad;
}

std::string PivotMarks(const Frame& f, const StudyOutput& out) {
  std::ostringstream s;
  if (out.pivots.size() > 1) {
    s << "<polyline fill=\"none\" stroke=\"#1f6fd1\" stroke-width=\"1.2\" points=\"";
    for (const auto& [bar, p] : out.pivots) s << Num(f.X(bar), 1) << ',' << Num(f.Y(p.price), 1) << ' ';
    s << "\"/>\n";
  }
  // Many pivots on one chart get small markers so that the price stays visible.
  const double k = out.pivots.size() > 300 ? 0.35 : 1.0;
  for (const auto& [bar, p] : out.pivots) {
    double x = f.X(bar), y = f.Y(p.price);
    bool high = p.direction > 0;
    double tip = high ? y - 3 * k : y + 3 * k, base = high ? y - 11 * k : y + 11 * k;
    s << "<polygon class=\"" << (high ? "pivot-high" : "pivot-low") << "\" fill=\""
      << (high ? "#d62728" : "#2ca02c") << "\" points=\"" << Num(x, 1) << ',' << Num(tip, 1) << ' '
      << Num(x - 5 * k, 1) << ',' << Num(base, 1) << ' ' << Num(x + 5 * k, 1) << ',' << Num(base, 1)
      << "\"><title>" << (high ? "Pivot high " : "Pivot low ") << Num(p.price) << " (bar "
      << bar << ")</title></polygon>\n";
  }
  return s.str();
}

std::string HitMarks(const Frame& f, const BarFile& bars, const StudyOutput& out) {
  std::ostringstream s;
  const bool dense = out.hits.size() > 200;
  for (size_t i = 0; i < out.hits.size(); ++i) {
    int bar = out.hits[i];
    if (bar < 0 || bar >= static_cast<int>(bars.bars.size())) continue;
    const std::string label = i < out.hitLabels.size() ? out.hitLabels[i] : "hit";
    s << "<circle class=\"hit\" cx=\"" << Num(f.X(bar), 1) << "\" cy=\""
      << Num(f.Y(bars.bars[bar].close), 1)
      << (dense ? "\" r=\"2\" fill=\"none\" stroke=\"#ff7f0e\" stroke-width=\"1\"><title>"
                : "\" r=\"6\" fill=\"none\" stroke=\"#ff7f0e\" stroke-width=\"2\"><title>")
      << Escape(label) << " (bar " << bar << ", " << DateText(bars.bars[bar].date)
      << ")</title></circle>\n";
  }
  return s.str();
}

}  // namespace

std::string ChartSvg(const std::string& title, const BarFile& bars, const StudyOutput& out) {
  std::vector<int> overlay, panel;
  for (const std::string& name : out.chart.overlay)
    if (ColumnIndex(out, name) >= 0) overlay.push_back(ColumnIndex(out, name));
  for (const std::string& name : out.chart.panel)
    if (ColumnIndex(out, name) >= 0) panel.push_back(ColumnIndex(out, name));
  Frame lower;
  const bool hasPanel = !panel.empty() && ColumnRange(out, panel, &lower.low, &lower.high);
  const int height = hasPanel ? 750 : 600;

  Frame f;
  f.count = static_cast<int>(bars.bars.size());
  if (hasPanel) f.height = 440;
  PriceRange(bars, &f.low, &f.high);
  double low = 0, high = 0;
  if (ColumnRange(out, overlay, &low, &high)) {
    f.low = std::min(f.low, low);
    f.high = std::max(f.high, high);
  }
  Pad(&f);
  const int decimals = f.high < 10 ? 4 : 2;
  std::ostringstream s;
  s << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1400\" height=\"" << height
    << "\" viewBox=\"0 0 1400 " << height << "\" font-family=\"sans-serif\">\n"
    << "<rect width=\"1400\" height=\"" << height << "\" fill=\"white\"/>\n"
    << "<text x=\"70\" y=\"24\" font-size=\"15\">" << Escape(title) << "</text>\n"
    << "<text x=\"1370\" y=\"24\" font-size=\"12\" text-anchor=\"end\">" << out.pivots.size()
    << " pivots, " << out.hits.size() << " hits</text>\n"
    << Axes(f, bars, decimals, 5, !hasPanel) << RangeStrokes(f, bars) << PriceLine(f, bars);
  std::vector<std::pair<std::string, std::string>> items = {{"Close", "#555"}};
  if (!out.pivots.empty()) items.push_back({"Pivots", "#1f6fd1"});
  int color = 4;  // overlays start with orange, apart from the grey close
  for (int c : overlay) {
    const char* col = kLineColors[color++ % 6];
    s << SeriesPath(f, out, c, col);
    items.push_back({out.slotNames[c], col});
  }
  s << PivotMarks(f, out) << HitMarks(f, bars, out) << Legend(f, items);
  if (hasPanel) {
    lower.count = f.count;
    lower.top = f.top + f.height + 30;
    lower.height = 200;
    Pad(&lower);
    const int lowerDecimals = std::fabs(lower.high - lower.low) < 10 ? 3 : 1;
    s << "<text x=\"" << lower.left + lower.width << "\" y=\"" << lower.top - 6
      << "\" font-size=\"12\" text-anchor=\"end\">" << Escape(out.chart.panelTitle) << "</text>\n"
      << Axes(lower, bars, lowerDecimals, 4, true);
    if (lower.low < 0 && lower.high > 0)
      s << "<line x1=\"" << lower.left << "\" x2=\"" << lower.left + lower.width << "\" y1=\""
        << Num(lower.Y(0), 1) << "\" y2=\"" << Num(lower.Y(0), 1) << "\" stroke=\"#999\"/>\n";
    items.clear();
    color = 0;
    for (int c : panel) {
      const char* col = kLineColors[color++ % 6];
      s << SeriesPath(lower, out, c, col);
      items.push_back({out.slotNames[c], col});
    }
    s << Legend(lower, items);
  }
  s << "</svg>\n";
  return s.str();
}

bool WriteChartSvg(const std::string& path, const std::string& title, const BarFile& bars,
                   const StudyOutput& out, std::string* error) {
  return WriteTextFile(path, ChartSvg(title, bars, out), error);
}

std::vector<std::string> ResultFields(const StudyOutput& out, size_t row) {
  std::vector<std::string> fields = {std::to_string(out.results[row])};
  // Rows may be shorter than the header (a pattern's outputs come with its first
  // evaluation); the slots they lack were not written and read as 0.
  for (size_t k = 0; k < out.slotNames.size(); ++k)
    fields.push_back(Num(k < out.slots[row].size() ? out.slots[row][k] : 0.0, 4));
  return fields;
}

bool WriteResultCsv(const std::string& path, const BarFile& bars, const StudyOutput& out,
                    std::string* error) {
  std::ostringstream s;
  s << "Date,Time,Open,High,Low,Close,Volume,Result";
  for (const auto& name : out.slotNames) s << ',' << name;
  s << "\n";
  const size_t rows = std::min(bars.bars.size(), out.results.size());
  for (size_t i = 0; i < rows; ++i) {
    const CsvBar& b = bars.bars[i];
    char head[200];
    std::snprintf(head, sizeof head, "%s,%02d:%02d,%.6g,%.6g,%.6g,%.6g,%.15g",
                  DateText(b.date).c_str(), b.time / 100, b.time % 100, b.open, b.high, b.low,
                  b.close, b.volume);
    s << head;
    for (const std::string& field : ResultFields(out, i)) s << ',' << field;
    s << "\n";
  }
  return WriteTextFile(path, s.str(), error);
}
