// CSV and SVG outputs of a simulator run (see outputs.h).
#include "tools/xmt-host/outputs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

bool WriteText(const std::string& path, const std::string& text, std::string* error) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (f) f << text;
  if (!f) {
    *error = path + ": cannot write the file";
    return false;
  }
  return true;
}

std::string Num(double v, int decimals = 4) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

std::string Escape(const std::string& s) {
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

std::string Axes(const Frame& f, const BarFile& bars, int decimals) {
  std::ostringstream s;
  s << "<rect x=\"" << f.left << "\" y=\"" << f.top << "\" width=\"" << f.width
    << "\" height=\"" << f.height << "\" fill=\"none\" stroke=\"#bbb\"/>\n";
  for (int i = 0; i <= 5; ++i) {
    double price = f.low + (f.high - f.low) * i / 5;
    double y = f.Y(price);
    s << "<line x1=\"" << f.left << "\" x2=\"" << f.left + f.width << "\" y1=\"" << Num(y, 1)
      << "\" y2=\"" << Num(y, 1) << "\" stroke=\"#eee\"/>\n";
    s << "<text x=\"" << f.left - 6 << "\" y=\"" << Num(y + 4, 1)
      << "\" text-anchor=\"end\" font-size=\"11\">" << Num(price, decimals) << "</text>\n";
  }
  const int n = static_cast<int>(bars.bars.size());
  for (int i = 0; i <= 6 && n > 0; ++i) {
    int bar = static_cast<int>(static_cast<long long>(n - 1) * i / 6);
    s << "<text x=\"" << Num(f.X(bar), 1) << "\" y=\"" << f.top + f.height + 16
      << "\" text-anchor=\"" << (i == 6 ? "end" : "middle") << "\" font-size=\"11\">"
      << DateText(bars.bars[bar].date)
      << "</text>\n";
  }
  return s.str();
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
  Frame f;
  f.count = static_cast<int>(bars.bars.size());
  PriceRange(bars, &f.low, &f.high);
  double pad = (f.high - f.low) * 0.05;
  if (pad <= 0) pad = std::max(1e-6, std::fabs(f.high) * 0.01 + 1e-6);
  f.low -= pad;
  f.high += pad;
  const int decimals = f.high < 10 ? 4 : 2;
  std::ostringstream s;
  s << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1400\" height=\"600\" "
       "viewBox=\"0 0 1400 600\" font-family=\"sans-serif\">\n"
    << "<rect width=\"1400\" height=\"600\" fill=\"white\"/>\n"
    << "<text x=\"70\" y=\"24\" font-size=\"15\">" << Escape(title) << "</text>\n"
    << "<text x=\"1370\" y=\"24\" font-size=\"12\" text-anchor=\"end\">" << out.pivots.size()
    << " pivots, " << out.hits.size() << " hits</text>\n"
    << Axes(f, bars, decimals) << RangeStrokes(f, bars) << PriceLine(f, bars) << PivotMarks(f, out)
    << HitMarks(f, bars, out) << "</svg>\n";
  return s.str();
}

bool WriteChartSvg(const std::string& path, const std::string& title, const BarFile& bars,
                   const StudyOutput& out, std::string* error) {
  return WriteText(path, ChartSvg(title, bars, out), error);
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
    std::snprintf(head, sizeof head, "%s,%02d:%02d,%.6g,%.6g,%.6g,%.6g,%.15g,%d",
                  DateText(b.date).c_str(), b.time / 100, b.time % 100, b.open, b.high, b.low,
                  b.close, b.volume, out.results[i]);
    s << head;
    // Rows may be shorter than the header (a pattern's outputs come with its first
    // evaluation); the slots they lack were not written and read as 0.
    for (size_t k = 0; k < out.slotNames.size(); ++k)
      s << ',' << Num(k < out.slots[i].size() ? out.slots[i][k] : 0.0f, 4);
    s << "\n";
  }
  return WriteText(path, s.str(), error);
}
