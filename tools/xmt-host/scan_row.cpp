// A scan's rows (see scan_row.h).
#include "tools/xmt-host/scan_row.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "tools/xmt-host/outputs.h"

namespace {

// A study whose signal is a turn of one of its values rather than a pivot or a hit.
struct TurnRule {
  const char* study;
  const char* column;
  bool direction;  // true: the value's direction turns; false: its sign changes
};

const TurnRule kTurnRules[] = {
    {"bsp", "Pressure", false},
    {"utc", "UTC", false},
    {"rrs", "RRS", false},
    {"rareavg", "RareAvg", true},
};

int Sign(double v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

// The last bar where the column turned, -1 when it never did. Values of 1e8 and above are
// the libraries' "no value" and are passed over.
int LastTurn(const StudyOutput& out, const TurnRule& rule, std::string* what) {
  const auto it = std::find(out.slotNames.begin(), out.slotNames.end(), rule.column);
  if (it == out.slotNames.end()) return -1;
  const size_t k = static_cast<size_t>(it - out.slotNames.begin());
  int last = -1, before = 0;
  bool havePrevious = false;
  double previous = 0;
  for (size_t i = 0; i < out.slots.size(); ++i) {
    if (k >= out.slots[i].size() || std::fabs(out.slots[i][k]) >= 1e8) continue;
    const double v = out.slots[i][k];
    const int now = rule.direction ? (havePrevious ? Sign(v - previous) : 0) : Sign(v);
    previous = v;
    havePrevious = true;
    if (now == 0) continue;
    if (before != 0 && now != before) {
      last = static_cast<int>(i);
      *what = std::string(rule.column) +
              (rule.direction ? (now > 0 ? " turns up" : " turns down")
                              : (now > 0 ? " turns positive" : " turns negative"));
    }
    before = now;
  }
  return last;
}

std::string Clean(std::string s) {
  for (char& c : s)
    if (c == '\t' || c == '\n' || c == '\r' || c == '|') c = ' ';
  return s;
}

std::string CsvField(const std::string& s) {
  if (s.find_first_of(",\"\n") == std::string::npos) return s;
  std::string r = "\"";
  for (char c : s) r += c == '"' ? std::string("\"\"") : std::string(1, c);
  return r + "\"";
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::stringstream ss(s);
  for (std::string part; std::getline(ss, part, sep);) parts.push_back(part);
  if (!s.empty() && s.back() == sep) parts.emplace_back();
  return parts;
}

}  // namespace

int LastSignalBar(const std::string& study, const StudyOutput& out, std::string* what) {
  for (const TurnRule& rule : kTurnRules)
    if (study == rule.study) return LastTurn(out, rule, what);
  int bar = -1;
  if (!out.pivots.empty()) {
    const PivotMark& p = out.pivots.rbegin()->second;
    bar = p.bar;
    *what = p.direction > 0 ? "pivot high" : "pivot low";
  }
  if (!out.hits.empty() && out.hits.back() >= bar) {
    bar = out.hits.back();
    *what = out.hitLabels.size() == out.hits.size() ? out.hitLabels.back() : "hit";
  }
  return bar;
}

ScanRow RowOfRun(const std::string& study, const std::string& symbol, const BarFile& bars,
                 const StudyOutput& out, double feedMicros) {
  ScanRow row;
  row.symbol = symbol;
  row.bars = static_cast<int>(bars.bars.size());
  row.hasTime = bars.hasTime;
  row.ms = feedMicros / 1000;
  const size_t rows = std::min(bars.bars.size(), out.results.size());
  row.names = {"Result"};
  row.names.insert(row.names.end(), out.slotNames.begin(), out.slotNames.end());
  if (rows > 0) row.values = ResultFields(out, rows - 1);
  const int bar = LastSignalBar(study, out, &row.signal);
  if (bar >= 0 && bar < row.bars) {
    row.signalDate = bars.bars[bar].date;
    row.signalTime = bars.bars[bar].time;
    row.barsSince = row.bars - 1 - bar;
  } else {
    row.signal.clear();
  }
  return row;
}

std::string ScanCsvHeader(const std::vector<std::string>& valueNames) {
  std::string s = "symbol,bars";
  for (const std::string& name : valueNames) s += "," + CsvField(name);
  return s + ",signal,signal_date,bars_since,ms,error\n";
}

std::string SignalText(const ScanRow& row) {
  if (row.signalDate == 0) return "";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", row.signalDate / 10000,
                row.signalDate / 100 % 100, row.signalDate % 100);
  std::string text = buf;
  if (row.hasTime) {
    std::snprintf(buf, sizeof buf, " %02d:%02d", row.signalTime / 100, row.signalTime % 100);
    text += buf;
  }
  return text;
}

std::string ScanCsvLine(const ScanRow& row, size_t valueColumns) {
  std::string s = CsvField(row.symbol) + "," + std::to_string(row.bars);
  for (size_t k = 0; k < valueColumns; ++k)
    s += "," + (k < row.values.size() ? row.values[k] : std::string());
  char ms[32];
  std::snprintf(ms, sizeof ms, "%.3f", row.ms);
  s += "," + CsvField(row.signal) + "," + SignalText(row) + "," +
       (row.barsSince >= 0 ? std::to_string(row.barsSince) : std::string()) + "," + ms + "," +
       CsvField(row.error);
  return s + "\n";
}

namespace {

std::string Joined(const std::vector<std::string>& parts) {
  std::string s;
  for (const std::string& p : parts) s += (s.empty() ? "" : "|") + Clean(p);
  return s;
}

}  // namespace

std::string EncodeRow(const ScanRow& row) {
  char numbers[160];
  std::snprintf(numbers, sizeof numbers, "%d\t%d\t%d\t%d\t%d\t%.17g", row.bars, row.signalDate,
                row.signalTime, row.hasTime ? 1 : 0, row.barsSince, row.ms);
  return Clean(row.symbol) + "\t" + numbers + "\t" + Joined(row.names) + "\t" +
         Joined(row.values) + "\t" + Clean(row.signal) + "\t" + Clean(row.error);
}

bool DecodeRow(const std::string& line, ScanRow* row) {
  const std::vector<std::string> f = Split(line, '\t');
  if (f.size() != 11) return false;
  char* end = nullptr;
  ScanRow r;
  r.symbol = f[0];
  int* ints[] = {&r.bars, &r.signalDate, &r.signalTime, nullptr, &r.barsSince};
  for (int i = 0; i < 5; ++i) {
    const long v = std::strtol(f[1 + i].c_str(), &end, 10);
    if (f[1 + i].empty() || *end) return false;
    if (ints[i]) *ints[i] = static_cast<int>(v);
    else r.hasTime = v != 0;
  }
  r.ms = std::strtod(f[6].c_str(), &end);
  if (f[6].empty() || *end) return false;
  if (!f[7].empty()) r.names = Split(f[7], '|');
  if (!f[8].empty()) r.values = Split(f[8], '|');
  r.signal = f[9];
  r.error = f[10];
  *row = r;
  return true;
}

void SortBySignal(std::vector<ScanRow>* rows) {
  auto group = [](const ScanRow& r) { return !r.error.empty() ? 2 : r.signalDate == 0 ? 1 : 0; };
  std::stable_sort(rows->begin(), rows->end(), [&](const ScanRow& a, const ScanRow& b) {
    if (group(a) != group(b)) return group(a) < group(b);
    if (a.signalDate != b.signalDate) return a.signalDate > b.signalDate;
    if (a.signalTime != b.signalTime) return a.signalTime > b.signalTime;
    return a.symbol < b.symbol;
  });
}
