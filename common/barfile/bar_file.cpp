// Reads bar files (see bar_file.h).
#include "common/barfile/bar_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "common/barfile/bar_fields.h"
#include "common/barfile/bar_header.h"

namespace {

struct Row {
  int line = 0;
  std::vector<std::string> fields;
};

// The order to read one date in: the user's, else year first when the date is written so,
// else what the file's dates told (month first when they read the same either way).
DateOrder OrderFor(const DateParts& parts, DateOrder chosen, DateOrder told) {
  if (chosen != DateOrder::kFromData) return chosen;
  if (parts.yearFirst) return DateOrder::kYmd;
  return told != DateOrder::kFromData ? told : DateOrder::kMdy;
}

// Reads one row into *bar; false with *what naming the column and the text.
bool ReadRow(const Row& row, const BarHeader& h, bool decimalComma, DateOrder chosen,
             DateOrder told, CsvBar* bar, std::string* what) {
  bar->line = row.line;
  const std::string& dateText = row.fields[h.field[kDate]];
  const DateParts parts = SplitDate(dateText);
  const DateOrder order = OrderFor(parts, chosen, told);
  bar->date = DateValue(parts, order);
  if (bar->date == 0) {
    *what = "bad date '" + dateText + "' in column " + h.name[kDate];
    if (parts.ok && (chosen != DateOrder::kFromData || !parts.yearFirst))
      *what += std::string(" (read as ") + DateOrderText(order) + ")";
    return false;
  }
  if (h.field[kTime] >= 0) {
    const std::string& text = row.fields[h.field[kTime]];
    bar->time = ParseTime(text);
    if (bar->time < 0) {
      *what = "bad time '" + text + "' in column " + h.name[kTime];
      return false;
    }
  }
  const BarColumn numbers[] = {kOpen, kHigh, kLow, kClose, kVolume, kUpVol, kDownVol};
  double* targets[] = {&bar->open, &bar->high, &bar->low, &bar->close,
                       &bar->volume, &bar->upVol, &bar->downVol};
  for (int i = 0; i < 7; ++i) {
    const int field = h.field[numbers[i]];
    if (field < 0) continue;
    if (!ParseNumber(row.fields[field], decimalComma, targets[i])) {
      *what = "bad number '" + row.fields[field] + "' in column " + h.name[numbers[i]];
      return false;
    }
  }
  if (h.field[kOpen] < 0) bar->open = bar->high = bar->low = bar->close;
  if (bar->high < bar->low) {
    *what = "high below low";
    return false;
  }
  if (bar->volume < 0 || bar->upVol < 0 || bar->downVol < 0) {
    *what = "negative volume";
    return false;
  }
  return true;
}

}  // namespace

bool ReadBarStream(std::istream& in, const std::string& name, BarFile* out, std::string* error,
                   const BarFileOptions& options) {
  out->path = name;
  out->bars.clear();
  out->skippedColumns.clear();
  auto fail = [&](int line, const std::string& what) {
    *error = name + ":" + std::to_string(line) + ": " + what;
    return false;
  };
  // The header, then every row split into its fields.
  std::string text;
  int lineCount = 0;
  char separator = 0;
  BarHeader header;
  std::vector<Row> rows;
  while (std::getline(in, text)) {
    ++lineCount;
    // A spreadsheet's UTF-8 byte-order mark would stick to the first column name.
    if (lineCount == 1 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    if (text.find_first_not_of(" \t\r") == std::string::npos) continue;
    if (separator == 0) {
      separator = SeparatorOf(text);
      std::string what;
      if (!ReadBarHeader(SplitFields(text, separator), &header, &what)) return fail(lineCount, what);
      continue;
    }
    Row row{lineCount, SplitFields(text, separator)};
    if (row.fields.size() != header.width)
      return fail(lineCount, "expected " + std::to_string(header.width) + " fields, found " +
                                 std::to_string(row.fields.size()));
    rows.push_back(std::move(row));
  }
  if (in.bad()) return fail(lineCount, "read error");
  if (separator == 0) {
    *error = name + ": empty, no header line";
    return false;
  }
  out->closeOnly = header.field[kOpen] < 0;
  out->hasTime = header.field[kTime] >= 0;
  out->hasUpDown = header.field[kUpVol] >= 0;
  out->skippedColumns = header.skipped;

  // Dates with the year last: the file as a whole tells month or day first, or the user.
  DateOrderEvidence evidence;
  if (options.dateOrder == DateOrder::kFromData) {
    for (const Row& row : rows) evidence.Add(SplitDate(row.fields[header.field[kDate]]), row.line);
    if (evidence.Told() == DateOrder::kFromData && evidence.FirstUntold() > 0) {
      const int line = evidence.FirstUntold();
      const Row& row = *std::find_if(rows.begin(), rows.end(), [&](const Row& r) { return r.line == line; });
      return fail(line, "the dates in column " + header.name[kDate] + " such as '" +
                            row.fields[header.field[kDate]] +
                            "' read as month/day/year or as day/month/year, and no date of the "
                            "file tells which: choose with --date-order mdy or --date-order dmy");
    }
  }
  const bool decimalComma = separator != ',';
  out->bars.reserve(rows.size());
  for (const Row& row : rows) {
    CsvBar bar;
    std::string what;
    if (!ReadRow(row, header, decimalComma, options.dateOrder, evidence.Told(), &bar, &what))
      return fail(row.line, what);
    out->bars.push_back(bar);
  }
  if (out->bars.empty()) return fail(lineCount, "no bars");
  return true;
}

bool ReadBarFile(const std::string& path, BarFile* out, std::string* error,
                 const BarFileOptions& options) {
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
  return ReadBarStream(in, path, out, error, options);
}

void PriceRange(const BarFile& file, double* low, double* high) {
  *low = *high = 0;
  for (size_t i = 0; i < file.bars.size(); ++i) {
    const CsvBar& b = file.bars[i];
    if (i == 0 || b.low < *low) *low = b.low;
    if (i == 0 || b.high > *high) *high = b.high;
  }
}
