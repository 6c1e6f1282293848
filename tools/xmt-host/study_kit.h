// Small pieces the simulator's studies share: scaled bars, result rows and pivot tracking.
#pragma once

#include <string>
#include <vector>

#include "pattern/xmt_pattern.h"
#include "tools/xmt-host/study.h"

// A bar in the host's call form: host date and time, prices as scaled integers.
struct ScaledBar {
  ScaledBar(const CsvBar& bar, int scale);
  int date, time;
  int open, high, low, close;
  int volume;
};

// "Since", "Price", "Dir", "Bar" for the new, dropped and opposite pivot (up to count slots).
std::vector<std::string> PivotSlotNames(int count);

// Appends the return value and the first `count` slots of block as one row.
void AddRow(int result, const XmtSlot* block, int count, StudyOutput* out);

// Records the new pivot of slots 0-3 and, when `dropped`, removes the one of slots 4-7
// (slots 3 and 7 hold the library's bar index; out->fileBars maps it to the file's bar).
void TrackPivots(const XmtSlot* block, bool dropped, StudyOutput* out);

// The study constructors of the study table.
std::unique_ptr<Study> MakeZigZagStudy(const StudyOptions& o);
std::unique_ptr<Study> MakeRsStudy(const StudyOptions& o);
std::unique_ptr<Study> MakePatternStudy(const StudyOptions& o);
std::unique_ptr<Study> MakePattern64Study(const StudyOptions& o);
