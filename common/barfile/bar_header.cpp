// The header line of a bar file (see bar_header.h).
#include "common/barfile/bar_header.h"

#include <algorithm>
#include <cctype>

namespace {

// The name folded to lower case, without <...> brackets.
std::string Folded(const std::string& name) {
  std::string n = name;
  if (n.size() >= 2 && n.front() == '<' && n.back() == '>') n = n.substr(1, n.size() - 2);
  for (auto& c : n) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return n;
}

int ColumnOf(const std::string& name) {
  static const struct {
    const char* name;
    BarColumn column;
  } kNames[] = {{"date", kDate},     {"dtyyyymmdd", kDate}, {"time", kTime},   {"open", kOpen},
                {"high", kHigh},     {"low", kLow},         {"close", kClose}, {"volume", kVolume},
                {"vol", kVolume},    {"upvol", kUpVol},     {"downvol", kDownVol}};
  const std::string n = Folded(name);
  for (const auto& k : kNames)
    if (n == k.name) return k.column;
  return -1;
}

bool StartsLikeData(const std::string& field) {
  return !field.empty() && std::isdigit(static_cast<unsigned char>(field[0]));
}

}  // namespace

bool ReadBarHeader(const std::vector<std::string>& fields, BarHeader* out, std::string* what) {
  std::fill(out->field, out->field + kBarColumnCount, -1);
  out->skipped.clear();
  for (size_t i = 0; i < fields.size(); ++i) {
    int c = ColumnOf(fields[i]);
    if (c < 0) {
      if (!fields[i].empty()) out->skipped.push_back(fields[i]);
      continue;
    }
    if (out->field[c] >= 0) {
      *what = "column '" + fields[i] + "' named twice";
      return false;
    }
    out->field[c] = static_cast<int>(i);
    out->name[c] = fields[i];
  }
  const int* f = out->field;
  if (f[kDate] < 0 || f[kClose] < 0) {
    *what = StartsLikeData(fields[0])
                ? "the first line must be a header naming the columns, such as "
                  "Date,Time,Open,High,Low,Close,Volume"
                : "the header must name at least Date and Close";
    return false;
  }
  const int ohlc = (f[kOpen] >= 0) + (f[kHigh] >= 0) + (f[kLow] >= 0);
  if (ohlc != 0 && ohlc != 3) {
    *what = "Open, High and Low go together";
    return false;
  }
  if ((f[kUpVol] >= 0) != (f[kDownVol] >= 0)) {
    *what = "UpVol and DownVol go together";
    return false;
  }
  out->width = fields.size();
  return true;
}
