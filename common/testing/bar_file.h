// Bar files of the simulator and the tests: CSV with a header naming the columns
// (Date[,Time],Open,High,Low,Close[,Volume] or Date,Time,Close), one bar per row.
//
// Dates may be written 2015-04-15 or 20150415, times 09:30 or 0930 (a missing time is
// 00:00). A file with only a close gives every bar that price for open, high and low too.
// Reading stops at the first malformed row and reports it with its line number.
#pragma once

#include <istream>
#include <string>
#include <vector>

struct CsvBar {
  int date = 0;  // yyyymmdd
  int time = 0;  // HHMM
  double open = 0, high = 0, low = 0, close = 0, volume = 0;
  int line = 0;  // line number in the file, for messages
};

struct BarFile {
  std::string path;
  bool hasTime = false;
  bool closeOnly = false;
  std::vector<CsvBar> bars;
};

// Result true on success; otherwise *error reads "<path>:<line>: <what is wrong>".
bool ReadBarFile(const std::string& path, BarFile* out, std::string* error);
bool ReadBarStream(std::istream& in, const std::string& name, BarFile* out, std::string* error);

// The lowest and highest price of all bars (0, 0 for no bars).
void PriceRange(const BarFile& file, double* low, double* high);
