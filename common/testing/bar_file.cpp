// Reads the simulator's bar files (see bar_file.h).
#include "common/testing/bar_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

enum Column { kDate, kTime, kOpen, kHigh, kLow, kClose, kVolume, kColumnCount };

std::vector<std::string> SplitCsv(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  for (char c : line) {
    if (c == ',') {
      fields.push_back(field);
      field.clear();
    } else if (c != '\r' && c != '"') {
      field += c;
    }
  }
  fields.push_back(field);
  for (auto& f : fields) {
    size_t b = f.find_first_not_of(" \t");
    size_t e = f.find_last_not_of(" \t");
    f = b == std::string::npos ? std::string() : f.substr(b, e - b + 1);
  }
  return fields;
}

std::string Lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

int ColumnOf(const std::string& name) {
  static const char* const names[kColumnCount] = {"date", "time", "open", "high",
                                                  "low", "close", "volume"};
  std::string n = Lower(name);
  if (n == "vol") return kVolume;
  for (int i = 0; i < kColumnCount; ++i)
    if (n == names[i]) return i;
  return -1;
}

bool ParseNumber(const std::string& text, double* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  *out = std::strtod(text.c_str(), &end);
  // nan, inf and overflowing exponents are no prices.
  return end && *end == '\0' && std::isfinite(*out);
}

bool AllDigits(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// 2015-04-15, 2015/04/15 or 20150415 -> 20150415; 0 when it is no date.
int ParseDate(const std::string& text) {
  int y = 0, m = 0, d = 0;
  if (AllDigits(text) && text.size() == 8) {
    int n = std::atoi(text.c_str());
    y = n / 10000, m = n / 100 % 100, d = n % 100;
  } else {
    char s1 = 0, s2 = 0;
    std::istringstream in(text);
    if (!(in >> y >> s1 >> m >> s2 >> d) || (s1 != '-' && s1 != '/') || s1 != s2) return 0;
    std::string rest;
    if (in >> rest) return 0;
  }
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (y < 1900 || y > 2155 || m < 1 || m > 12 || d < 1 || d > kDays[m - 1]) return 0;
  if (m == 2 && d == 29 && (y % 4 != 0 || (y % 100 == 0 && y % 400 != 0))) return 0;
  return y * 10000 + m * 100 + d;
}

// 09:30, 9:30:00 or 0930 -> 930; -1 when it is no time.
int ParseTime(const std::string& text) {
  int h = 0, m = 0;
  if (AllDigits(text) && text.size() <= 4) {
    int n = std::atoi(text.c_str());
    h = n / 100, m = n % 100;
  } else {
    char c = 0;
    std::istringstream in(text);
    if (!(in >> h >> c >> m) || c != ':') return -1;
  }
  if (h < 0 || h > 23 || m < 0 || m > 59) return -1;
  return h * 100 + m;
}

}  // namespace

bool ReadBarStream(std::istream& in, const std::string& name, BarFile* out, std::string* error) {
  out->path = name;
  out->bars.clear();
  auto fail = [&](int line, const std::string& what) {
    *error = name + ":" + std::to_string(line) + ": " + what;
    return false;
  };
  std::string line;
  int lineNo = 0;
  int map[kColumnCount];
  std::fill(map, map + kColumnCount, -1);
  size_t width = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    // A spreadsheet's UTF-8 byte-order mark would stick to the first column name.
    if (lineNo == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    std::vector<std::string> fields = SplitCsv(line);
    if (width == 0) {  // the header
      for (size_t i = 0; i < fields.size(); ++i) {
        int c = ColumnOf(fields[i]);
        if (c < 0) return fail(lineNo, "unknown column '" + fields[i] + "' in the header");
        if (map[c] >= 0) return fail(lineNo, "column '" + fields[i] + "' named twice");
        map[c] = static_cast<int>(i);
      }
      if (map[kDate] < 0 || map[kClose] < 0)
        return fail(lineNo, "the header must name at least Date and Close");
      bool anyOhlc = map[kOpen] >= 0 || map[kHigh] >= 0 || map[kLow] >= 0;
      bool allOhlc = map[kOpen] >= 0 && map[kHigh] >= 0 && map[kLow] >= 0;
      if (anyOhlc && !allOhlc) return fail(lineNo, "Open, High and Low go together");
      out->closeOnly = !allOhlc;
      out->hasTime = map[kTime] >= 0;
      width = fields.size();
      continue;
    }
    if (fields.size() != width)
      return fail(lineNo, "expected " + std::to_string(width) + " fields, found " +
                              std::to_string(fields.size()));
    CsvBar bar;
    bar.line = lineNo;
    bar.date = ParseDate(fields[map[kDate]]);
    if (bar.date == 0) return fail(lineNo, "bad date '" + fields[map[kDate]] + "'");
    if (map[kTime] >= 0) {
      bar.time = ParseTime(fields[map[kTime]]);
      if (bar.time < 0) return fail(lineNo, "bad time '" + fields[map[kTime]] + "'");
    }
    const int priceColumns[] = {kOpen, kHigh, kLow, kClose, kVolume};
    double* targets[] = {&bar.open, &bar.high, &bar.low, &bar.close, &bar.volume};
    for (int i = 0; i < 5; ++i) {
      int col = map[priceColumns[i]];
      if (col < 0) continue;
      if (!ParseNumber(fields[col], targets[i]))
        return fail(lineNo, "bad number '" + fields[col] + "'");
    }
    if (out->closeOnly) bar.open = bar.high = bar.low = bar.close;
    if (bar.high < bar.low) return fail(lineNo, "high below low");
    if (bar.volume < 0) return fail(lineNo, "negative volume");
    out->bars.push_back(bar);
  }
  if (in.bad()) return fail(lineNo, "read error");
  if (width == 0) {
    *error = name + ": empty, no header line";
    return false;
  }
  if (out->bars.empty()) return fail(lineNo, "no bars");
  return true;
}

bool ReadBarFile(const std::string& path, BarFile* out, std::string* error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    *error = path + ": a folder, not a bar file";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = path + ": cannot open the file";
    return false;
  }
  return ReadBarStream(in, path, out, error);
}

void PriceRange(const BarFile& file, double* low, double* high) {
  *low = *high = 0;
  for (size_t i = 0; i < file.bars.size(); ++i) {
    const CsvBar& b = file.bars[i];
    if (i == 0 || b.low < *low) *low = b.low;
    if (i == 0 || b.high > *high) *high = b.high;
  }
}
