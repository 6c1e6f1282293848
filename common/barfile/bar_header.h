// The header line of a bar file: which field holds which of the columns the reader knows.
//
// Names are matched in any case, with or without quotes and <...> brackets: Date (also
// DTYYYYMMDD), Time, Open, High, Low, Close, Volume (also Vol), UpVol, DownVol. Every other
// column (Adj Close, OI, Ticker, Per...) is skipped and listed by its name as written.
#pragma once

#include <string>
#include <vector>

enum BarColumn { kDate, kTime, kOpen, kHigh, kLow, kClose, kVolume, kUpVol, kDownVol, kBarColumnCount };

struct BarHeader {
  int field[kBarColumnCount];             // the field index of each column, -1 when absent
  std::string name[kBarColumnCount];      // each column's name as the header writes it
  std::vector<std::string> skipped;       // names of the other columns, as written
  size_t width = 0;                       // fields per line
};

// Reads the header's fields. False with *what for a column named twice or a header that
// does not give a bar (no Date or Close, only part of Open/High/Low or of UpVol/DownVol).
bool ReadBarHeader(const std::vector<std::string>& fields, BarHeader* out, std::string* what);
