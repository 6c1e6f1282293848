// Dates of a bar file and their order (see bar_dates.h).
#include "common/barfile/bar_dates.h"

#include <cctype>
#include <cstdlib>

#include "common/barfile/bar_fields.h"

namespace {

bool IsLeapYear(int y) { return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0); }

}  // namespace

bool DateOrderFromName(const std::string& name, DateOrder* out) {
  std::string n;
  for (char c : name) n += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (n == "ymd") *out = DateOrder::kYmd;
  else if (n == "mdy") *out = DateOrder::kMdy;
  else if (n == "dmy") *out = DateOrder::kDmy;
  else return false;
  return true;
}

const char* DateOrderText(DateOrder order) {
  switch (order) {
    case DateOrder::kYmd: return "year/month/day";
    case DateOrder::kMdy: return "month/day/year";
    case DateOrder::kDmy: return "day/month/year";
    case DateOrder::kFromData: break;
  }
  return "";
}

DateParts SplitDate(const std::string& text) {
  DateParts p;
  if (AllDigits(text) && text.size() == 8) {
    int n = std::atoi(text.c_str());
    p.first = n / 10000, p.second = n / 100 % 100, p.third = n % 100;
    p.yearFirst = p.ok = true;
    return p;
  }
  size_t s1 = text.find_first_of("-/.");
  if (s1 == std::string::npos) return p;
  const char sep = text[s1];
  size_t s2 = text.find(sep, s1 + 1);
  if (s2 == std::string::npos) return p;
  const std::string a = text.substr(0, s1), b = text.substr(s1 + 1, s2 - s1 - 1),
                    c = text.substr(s2 + 1);
  if (!AllDigits(a) || !AllDigits(b) || !AllDigits(c) || b.size() > 2) return p;
  p.yearFirst = a.size() == 4;
  if (!p.yearFirst && !(c.size() == 4 && a.size() <= 2)) return p;
  p.first = std::atoi(a.c_str()), p.second = std::atoi(b.c_str()), p.third = std::atoi(c.c_str());
  p.ok = true;
  return p;
}

int DateValue(const DateParts& parts, DateOrder order) {
  if (!parts.ok || (order == DateOrder::kYmd) != parts.yearFirst) return 0;
  int y = 0, m = 0, d = 0;
  switch (order) {
    case DateOrder::kYmd: y = parts.first, m = parts.second, d = parts.third; break;
    case DateOrder::kMdy: m = parts.first, d = parts.second, y = parts.third; break;
    case DateOrder::kDmy: d = parts.first, m = parts.second, y = parts.third; break;
    case DateOrder::kFromData: return 0;
  }
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (y < 1900 || y > 2155 || m < 1 || m > 12 || d < 1 || d > kDays[m - 1]) return 0;
  if (m == 2 && d == 29 && !IsLeapYear(y)) return 0;
  return y * 10000 + m * 100 + d;
}

void DateOrderEvidence::Add(const DateParts& parts, int line) {
  if (!parts.ok || parts.yearFirst || told_ != DateOrder::kFromData) return;
  if (parts.first > 12 && parts.second <= 12) told_ = DateOrder::kDmy;
  else if (parts.second > 12 && parts.first <= 12) told_ = DateOrder::kMdy;
  else if (parts.first != parts.second && firstUntold_ == 0) firstUntold_ = line;
}
