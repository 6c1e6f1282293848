// What a simulated study is: the simulator feeds it one bar at a time, the way a
// PowerLanguage study calls the library on a chart, and collects what it returns.
//
// A study binds the exports it needs from a loaded library by name, then gets every bar.
// For each bar it reports the export's return value and the result slots it uses, and it
// may mark pivots and pattern hits for the chart. Adding a study to the simulator is one
// class (or a few lines in an existing one) and one row in the study table (studies.cpp).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/testing/bar_file.h"
#include "tools/xmt-host/library.h"

struct StudyOptions {
  std::string id = "XMTHOST";  // instance identifier passed to the library
  int left = 5;                // pivot window lengths
  int right = 5;
  int scale = 0;               // price divisor; 0: 10000 below a high of 3.0, else 100
  std::string pattern;         // pattern name (PR_<name>.txt in the pattern folder)
  int style = 1;               // pattern64: 1 pattern evaluation, 2 pivot report
  bool hostBarNumbers = false; // pattern64: input element 3 (use the host's bar number)
};

struct PivotMark {
  int bar = 0;
  double price = 0;
  int direction = 0;  // +1 high, -1 low
};

// Everything one run produced, row by row and for the chart.
struct StudyOutput {
  std::vector<std::string> slotNames;  // the result columns of the CSV
  std::vector<int> results;            // return value per bar
  std::vector<std::vector<float>> slots;  // slot values per bar (at most slotNames.size())
  std::map<int, PivotMark> pivots;     // by bar of the file; consolidation removes entries
  std::vector<int> hits;               // bar indexes where a pattern or structure was found
  std::vector<std::string> hitLabels;  // one per hit
  std::string error;                   // the last error text a study reported
  bool failed = false;                 // the study cannot go on (error says why)
  // The library numbers only the bars it takes (see LibraryTakes): its bar index -> the
  // bar of the file. The runner fills it; pivots are charted through it.
  std::vector<int> fileBars;
};

class Study {
 public:
  virtual ~Study() = default;
  // Resolves the needed exports; false with *error naming the missing export.
  virtual bool Bind(Library& library, std::string* error) = 0;
  // Called once before the first bar (pattern files placed, host prepared...).
  virtual bool Prepare(const BarFile& file, std::string* error) {
    (void)file;
    (void)error;
    return true;
  }
  // Feeds bar `index`; appends one row to *out.
  virtual void Feed(const BarFile& file, int index, StudyOutput* out) = 0;
  virtual std::vector<std::string> SlotNames() const = 0;
};

struct StudyInfo {
  const char* name;
  const char* library;  // file name without extension
  const char* summary;
  std::unique_ptr<Study> (*make)(const StudyOptions& options);
};

// The study table (studies.cpp).
const std::vector<StudyInfo>& StudyTable();
const StudyInfo* FindStudy(const std::string& name);

// Scale rule shared by the studies: the library's rule, 10000 below a high of 3.0, else 100.
int AutoScale(const BarFile& file);  // PriceScaleForHigh (pattern64.h) of the highest high
// False with *error naming the first bar whose price does not fit an int at that scale
// (scale 0: each bar at the rule above, as XMT_PATTERN64 scales it).
bool CheckPriceScale(const BarFile& file, int scale, std::string* error);
// Whether the libraries take the bar: they refuse host dates below 900000 (before 1990).
bool LibraryTakes(const CsvBar& bar);
// price * scale rounded half away from zero.
int ScalePrice(double price, int scale);
