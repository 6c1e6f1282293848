// A soak run: one study over a long bar file, keeping none of its results, with the
// process's resident memory sampled as the bars go by. It shows whether the libraries'
// memory stays flat once a study's window is full, or grows only by the history they keep.
#pragma once

#include <string>
#include <vector>

#include "tools/xmt-host/runner.h"

struct SoakSample {
  int bars = 0;          // bars fed so far
  size_t resident = 0;   // resident bytes of the process then
  int pivots = 0;        // pivots the study has marked so far (less those it took back)
};

// Feeds request's bar file through its study and samples the resident memory after the
// first bar and after every `every` bars (and the last). Of the results only the newest
// rows stay in memory, so that the simulator's own share stays flat. Result and *error as
// FeedStudy's.
int RunSoak(const RunRequest& request, int every, std::vector<SoakSample>* samples,
            std::string* error);

// The samples as CSV: "bars,resident_bytes,pivots" and one line each.
std::string SoakCsv(const std::vector<SoakSample>& samples);
