// One simulator run: load the library, read the bar file, feed every bar to the study and
// write the CSV and SVG outputs.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/xmt-host/study.h"

struct RunRequest {
  std::string study;
  std::string barFile;
  std::string library;  // empty: the study's library beside the simulator
  std::string outDir;   // created when missing
  StudyOptions options;
  BarFileOptions barOptions;  // how the bar file writes its dates
  bool progress = true;  // show a progress line on long files
  // Called after each bar when set (a soak run samples memory and trims *out there).
  std::function<void(int bar, int total, StudyOutput* out)> afterBar;
};

struct RunSummary {
  int bars = 0;
  int pivots = 0;
  int hits = 0;
  int refusedBars = 0;  // dated before 1990: the libraries refuse them (host date below 900000)
  double microsPerBar = 0;
  std::string csvPath;
  std::string svgPath;
  std::vector<std::string> libraryFiles;  // copies of the files the library wrote
  std::vector<std::string> skippedColumns;  // bar-file columns the simulator does not read
};

// Reads the bar file and feeds every bar through the study, keeping what it returned in
// *out (nothing is written). *feedMicros is the time the study took over the bars. Result
// and *error as RunStudy's, without code 6.
int FeedStudy(const RunRequest& request, BarFile* bars, StudyOutput* out, double* feedMicros,
              std::string* error);

// Result 0, or a non-zero exit code with *error telling what went wrong: 2 unknown study,
// 3 bar file, 4 library or export, 5 study set-up or a study that cannot go on (the outputs
// are then not written), 6 output files.
int RunStudy(const RunRequest& request, RunSummary* summary, std::string* error);

// The terminal summary of a run.
std::string DescribeRun(const RunRequest& request, const RunSummary& summary);
