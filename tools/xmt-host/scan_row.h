// One row of a scan: what a study left on one bar file (its last values and its last
// signal), or why the file gave nothing. The rows travel from the worker process that ran
// the file to the scan as one line of text.
#pragma once

#include <string>
#include <vector>

#include "common/barfile/bar_file.h"
#include "tools/xmt-host/study.h"

struct ScanRow {
  std::string symbol;               // the bar file's name
  int bars = 0;
  std::vector<std::string> names;   // the value columns: "Result" and the study's slots
  std::vector<std::string> values;  // the last bar's result and slots, as the study's CSV writes them
  int signalDate = 0;               // yyyymmdd of the last signal; 0: none
  int signalTime = 0;               // hhmm
  bool hasTime = false;             // the file has times: the signal's time is shown
  std::string signal;               // what the signal was ("pivot high", "leaves the band upwards"...)
  int barsSince = -1;               // bars after the signal bar; -1 without a signal
  double ms = 0;                    // the study's time over the file's bars
  std::string error;                // why the file gave no values
};

// The bar of the study's last signal, -1 when it gave none, with *what saying what it was:
// the later of its last pivot and its last hit when it marks either; for studies that mark
// neither, the last bar where its main value turned (bsp's pressure, utc's momentum and
// rrs's slope change sign, the adaptive average changes direction).
int LastSignalBar(const std::string& study, const StudyOutput& out, std::string* what);

// The row of a file the study ran through.
ScanRow RowOfRun(const std::string& study, const std::string& symbol, const BarFile& bars,
                 const StudyOutput& out, double feedMicros);

// The CSV header of a scan with these value columns, and one row as a CSV line (both end in
// a newline).
std::string ScanCsvHeader(const std::vector<std::string>& valueNames);
std::string ScanCsvLine(const ScanRow& row, size_t valueColumns);
// The signal's date (and time for files with times) as the CSV and the page show it.
std::string SignalText(const ScanRow& row);

// The row as one line of text without a line end, and back (false for a damaged line).
std::string EncodeRow(const ScanRow& row);
bool DecodeRow(const std::string& line, ScanRow* row);

// Rows with the most recent signal first; rows without a signal after them, errors last,
// each group in symbol order.
void SortBySignal(std::vector<ScanRow>* rows);
