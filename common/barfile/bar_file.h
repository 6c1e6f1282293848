// Bar files as traders have them, for the simulator, the tests, benchmarks and fuzz targets:
// text with a header line naming the columns and one bar per line.
//
// The fields are separated by ',', or by ';' or tabs when the header has them; in a file
// separated by ';' or tabs a ',' in a number is the decimal mark (1,2345). Column names and
// the columns skipped: bar_header.h. Dates and their order: bar_dates.h. Times may be written
// 09:30, 09:30:00, 0930 or 093000 (a missing time is 00:00). A file with only a close gives
// every bar that price for open, high and low too.
//
// Reading stops at the first malformed line and reports the file, the line and the column.
#pragma once

#include <istream>
#include <string>
#include <vector>

#include "common/barfile/bar_dates.h"

struct CsvBar {
  int date = 0;  // yyyymmdd
  int time = 0;  // HHMM
  double open = 0, high = 0, low = 0, close = 0, volume = 0;
  double upVol = 0, downVol = 0;  // only from a file with UpVol and DownVol columns
  int line = 0;  // line number in the file, for messages
};

struct BarFile {
  std::string path;
  bool hasTime = false;
  bool closeOnly = false;
  bool hasUpDown = false;  // UpVol and DownVol columns
  std::vector<std::string> skippedColumns;  // header names of the columns not read
  std::vector<CsvBar> bars;
};

struct BarFileOptions {
  // The order of day, month and year in the file's dates; kFromData: told by the dates.
  DateOrder dateOrder = DateOrder::kFromData;
};

// Result true on success; otherwise *error reads "<path>:<line>: <what is wrong>".
bool ReadBarFile(const std::string& path, BarFile* out, std::string* error,
                 const BarFileOptions& options = {});
bool ReadBarStream(std::istream& in, const std::string& name, BarFile* out, std::string* error,
                   const BarFileOptions& options = {});

// The lowest and highest price of all bars (0, 0 for no bars).
void PriceRange(const BarFile& file, double* low, double* high);
