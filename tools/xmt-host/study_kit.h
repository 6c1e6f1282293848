// Small pieces the simulator's studies share: scaled bars, result rows and pivot tracking.
#pragma once

#include <string>
#include <vector>

#include "hostbridge/entry_frame.h"
#include "hostbridge/testing/fake_host.h"
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

// A bar's up and down ticks: the file's UpVol and DownVol columns when it has them, else
// the volume split by where the close lies in the bar's range: up = round(volume * (close -
// low) / (high - low)), down = volume - up; half each when high equals low.
void UpDownVolume(const BarFile& file, int index, double* up, double* down);

// The bar as the in-memory study object holds it (prices, date and time; no ticks).
FakeBar HostObjectBar(const CsvBar& bar);

// The bar's date in the host's form ((year - 1900) * 10000 + month * 100 + day).
inline int HostDate(const CsvBar& bar) { return FullDateToHost(bar.date); }

// Bar type as the platform passes it: 1 intraday bars (a file with times), 2 daily.
inline int BarType(const BarFile& file) { return file.hasTime ? 1 : 2; }

// The pattern folder of the libraries, as this process sees it.
std::string PatternFolder();
// A pattern given as a name, or a PR_<name>.txt file that is installed into the pattern
// folder first. Result true with the pattern name in *name.
bool InstallPattern(const std::string& pattern, std::string* name, std::string* error);

// The study constructors of the study table.
std::unique_ptr<Study> MakeZigZagStudy(const StudyOptions& o);
std::unique_ptr<Study> MakeRsStudy(const StudyOptions& o);
std::unique_ptr<Study> MakePatternStudy(const StudyOptions& o);
std::unique_ptr<Study> MakePattern64Study(const StudyOptions& o);
std::unique_ptr<Study> MakeBspStudy(const StudyOptions& o);
std::unique_ptr<Study> MakeFindGemStudy(const StudyOptions& o);
std::unique_ptr<Study> MakeRareAvgStudy(const StudyOptions& o);
std::unique_ptr<Study> MakeTrendStudy(const StudyOptions& o);
std::unique_ptr<Study> MakePrcNormStudy(const StudyOptions& o);
std::unique_ptr<Study> MakeExportStudy(const StudyOptions& o);
std::unique_ptr<Study> MakeLoadColStudy(const StudyOptions& o);
std::unique_ptr<Study> MakeUtcStudy(const StudyOptions& o);
std::unique_ptr<Study> MakeRrsStudy(const StudyOptions& o);
std::unique_ptr<Study> MakePatDetectStudy(const StudyOptions& o);
