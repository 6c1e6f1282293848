// The simulator's command line.
#pragma once

#include <string>
#include <vector>

#include "tools/xmt-host/runner.h"

struct CommandLine {
  enum Action { kDemo, kRun, kList, kHelp } action = kDemo;
  RunRequest run;
  std::string root;     // XMT_ROOT for the libraries (drive-letter folders live below it)
  std::string dataDir;  // demo: where the sample bar and pattern files are
  std::string outDir;   // demo: the parent of the demo folder
};

// Result true, or false with *error for an unknown study, option or a bad value.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* out, std::string* error);

const char* UsageText();
