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

#include "common/barfile/bar_file.h"
#include "tools/xmt-host/library.h"

// Every setting a study may take. Each study row of the table declares which of them it
// accepts as command-line options (OptionRule); the rest keep these defaults.
struct StudyOptions {
  std::string id = "XMTHOST";  // instance identifier (or symbol) passed to the library
  int left = 5;                // pivot window lengths
  int right = 5;
  int scale = 0;               // price divisor; 0: 10000 below a high of 3.0, else 100
  std::string pattern;         // pattern name (PR_<name>.txt in the pattern folder)
  int style = 1;               // pattern64: 1 pattern evaluation, 2 pivot report
  bool hostBarNumbers = false; // pattern64: input element 3 (use the host's bar number)
  int avgLen = 14;             // bsp: AvgLen, VolLen and Style of the array "arrBSP"
  int volLen = 20;
  int bspStyle = 2;
  int scope = 20;              // findgem: bars scanned and looked back
  bool basisPoints = false;    // findgem: excursions in ten-thousandths of the price
  bool crossDays = false;      // findgem: scans go on past a day's end
  int regrLen = 30;            // rareavg (and rrs): regression window; final smoothing, response
  int wgtLen = 0;
  int response = 60;
  int fast = 10;               // trend: shortest and longest average of the band
  int slow = 120;
  double factor = 0.5;         // prcnorm: price factor
  int column = 6;              // loadcol: field number handed back (6: the close)
  int lookback = 10;           // utc: bars compared and smoothing length
  int smooth = 5;
  bool perMille = false;       // rrs: slope per mille of the newest value
};

// One command-line option of a study: how it is written, what it sets and its limits.
struct OptionRule {
  enum Kind { kInt, kNumber, kText, kFlag };
  const char* name;   // "--left"
  const char* value;  // "N", "NAME|FILE"; empty for a flag
  const char* help;
  Kind kind;
  int StudyOptions::*intField;
  double StudyOptions::*numberField;
  std::string StudyOptions::*textField;
  bool StudyOptions::*flagField;
  double min, max;    // kInt, kNumber
  bool required;      // the study cannot run without it
};

// What a study's chart shows besides the price: CSV columns (by name) drawn over the price
// and in a lower panel. Values of 1e8 and above (the libraries' "no value") leave a gap.
struct ChartPlan {
  std::vector<std::string> overlay;
  std::vector<std::string> panel;
  std::string panelTitle;
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
  std::vector<std::vector<double>> slots;  // values per bar (at most slotNames.size())
  std::map<int, PivotMark> pivots;     // by bar of the file; consolidation removes entries
  std::vector<int> hits;               // bar indexes where a pattern or structure was found
  std::vector<std::string> hitLabels;  // one per hit
  std::string error;                   // the last error text a study reported
  bool failed = false;                 // the study cannot go on (error says why)
  // The library numbers only the bars it takes (see LibraryTakes): its bar index -> the
  // bar of the file. The runner fills it; pivots are charted through it.
  std::vector<int> fileBars;
  ChartPlan chart;                     // the runner fills it from the study
  std::vector<std::string> libraryFiles;  // files the library wrote, copied beside the CSV
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
  // Called once after the last bar (a second pass over the bars, files to hand over...).
  virtual void Finish(const BarFile& file, StudyOutput* out) {
    (void)file;
    (void)out;
  }
  virtual std::vector<std::string> SlotNames() const = 0;
  virtual ChartPlan Chart() const { return {}; }
};

struct StudyInfo {
  const char* name;
  const char* library;  // file name without extension
  const char* summary;
  std::unique_ptr<Study> (*make)(const StudyOptions& options);
  std::vector<OptionRule> options;  // the options this study takes
};

// The study table (studies.cpp).
const std::vector<StudyInfo>& StudyTable();
const StudyInfo* FindStudy(const std::string& name);

// Scale rule shared by the studies: the library's rule, 10000 below a high of 3.0, else 100.
int AutoScale(const BarFile& file);  // PriceScaleForHigh (pattern64.h) of the highest high
// False with *error naming the first bar whose price does not fit an int at that scale
// (scale 0: each bar at the rule above, as XMT_PATTERN64 scales it).
bool CheckPriceScale(const BarFile& file, int scale, std::string* error);
// A study's price scale: the --scale option when above 0, else AutoScale; then checked with
// CheckPriceScale.
bool ChooseScale(const BarFile& file, int option, int* scale, std::string* error);
// Whether the libraries take the bar: they refuse host dates below 900000 (before 1990).
bool LibraryTakes(const CsvBar& bar);
// price * scale rounded half away from zero.
int ScalePrice(double price, int scale);
