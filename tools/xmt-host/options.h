// The simulator's command line: the demo, one study over a bar file, a scan over a folder,
// a pattern file check,
// the study list and help. Options common to every run are parsed here; each study's own
// options come from its row of the study table (study.h).
#pragma once

#include <string>
#include <vector>

#include "tools/xmt-host/runner.h"
#include "tools/xmt-host/scan.h"

struct CommandLine {
  enum Action { kDemo, kRun, kList, kHelp, kCheck, kScan } action = kDemo;
  RunRequest run;
  ScanRequest scan;       // kScan: run holds its study and options
  std::string root;       // XMT_ROOT for the libraries (drive-letter folders live below it)
  std::string dataDir;    // demo: where the sample bar and pattern files are
  std::string outDir;     // demo: the parent of the demo folder
  std::string helpStudy;  // kHelp: the study whose options are shown (empty: general help)
  std::string checkFile;  // kCheck: the pattern rule file
  int soakEvery = 0;      // kRun: a soak run sampling memory every N bars (0: a plain run)
};

// Result true, or false with *error for an unknown study, option or a bad value.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* out, std::string* error);

const char* UsageText();
// One study's description and options, as --help STUDY shows them.
std::string StudyHelp(const StudyInfo& study);
// What to show after a command-line error: the study's own options when the line names a
// study (ParseCommandLine sets run.study as soon as it knows it), else the general usage.
std::string HelpAfterError(const CommandLine& line);
// Every study with its description and options (--list).
std::string StudyList();
