// xmt-host scan: one study over every bar file of a folder, each file in a worker process
// of its own (the libraries keep process-wide state), with one row per file in scan.csv and
// a page of the rows, most recent signal first, linked to charts.
#pragma once

#include <string>

#include "tools/xmt-host/runner.h"

struct ScanRequest {
  RunRequest run;      // the study, its options, library and date order; the bar file and
                       // the ID are set per file (the ID is the file's name without extension)
  std::string folder;
  std::string outDir;
  int jobs = 0;        // workers at a time; 0: one per core
  int shard = 1;       // run only part `shard` of `shards` of the sorted file list
  int shards = 1;
  int charts = 50;     // charts for this many rows from the top of the page; -1: all
  bool progress = true;
};

struct ScanSummary {
  int files = 0;        // rows written
  int failed = 0;       // rows with an error
  bool interrupted = false;
  double seconds = 0;
  std::string csvPath;
  std::string pagePath;
};

// Result 0, or an exit code with *error: 2 unknown study, 3 folder, 5 a pattern that cannot
// be installed, 6 output files, 8 no worker processes (not on Linux), 130 interrupted (the
// rows of the files finished are written).
int RunScan(const ScanRequest& request, ScanSummary* summary, std::string* error);

// The terminal summary of a scan.
std::string DescribeScan(const ScanSummary& summary);
