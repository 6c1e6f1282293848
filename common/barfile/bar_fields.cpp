// Fields, numbers and times of a bar-file line (see bar_fields.h).
#include "common/barfile/bar_fields.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

std::string Trimmed(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return std::string();
  return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

}  // namespace

bool AllDigits(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

char SeparatorOf(const std::string& header) {
  if (header.find(';') != std::string::npos) return ';';
  if (header.find('\t') != std::string::npos) return '\t';
  return ',';
}

std::vector<std::string> SplitFields(const std::string& line, char separator) {
  std::vector<std::string> fields;
  std::string field;
  bool quoted = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
    } else if (c == separator && !quoted) {
      fields.push_back(Trimmed(field));
      field.clear();
    } else if (c != '\r') {
      field += c;
    }
  }
  fields.push_back(Trimmed(field));
  return fields;
}

bool ParseNumber(const std::string& text, bool decimalComma, double* out) {
  if (text.empty()) return false;
  std::string t = text;
  if (decimalComma) std::replace(t.begin(), t.end(), ',', '.');
  char* end = nullptr;
  *out = std::strtod(t.c_str(), &end);
  // nan, inf and overflowing exponents are no prices.
  return end && *end == '\0' && std::isfinite(*out);
}

int ParseTime(const std::string& text) {
  int h = 0, m = 0, s = 0;
  if (AllDigits(text) && (text.size() <= 4 || text.size() == 6)) {
    int n = std::atoi(text.c_str());
    if (text.size() == 6) s = n % 100, n /= 100;
    h = n / 100, m = n % 100;
  } else {
    // H:MM or H:MM:SS, one or two digits for the hour.
    size_t c1 = text.find(':');
    if (c1 == std::string::npos || c1 == 0 || c1 > 2) return -1;
    std::string rest = text.substr(c1 + 1);
    size_t c2 = rest.find(':');
    std::string mm = rest.substr(0, c2), ss = c2 == std::string::npos ? "00" : rest.substr(c2 + 1);
    std::string hh = text.substr(0, c1);
    if (!AllDigits(hh) || !AllDigits(mm) || mm.size() != 2 || !AllDigits(ss) || ss.size() != 2)
      return -1;
    h = std::atoi(hh.c_str()), m = std::atoi(mm.c_str()), s = std::atoi(ss.c_str());
  }
  if (h > 23 || m > 59 || s > 59) return -1;
  return h * 100 + m;
}
