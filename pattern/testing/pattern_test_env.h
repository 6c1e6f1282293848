// Test set-up for the pattern-file tests: rule files in the pattern folder, a trace log of
// the test's own that can be read back, and bar files of the sample data.
//
// Pattern files go where the library reads them, "C:/Database/DO_DER" as the platform maps
// it (below $XMT_ROOT natively, the Wine prefix's drive C: under Wine). Names should carry
// a prefix of the test program, because under Wine every test program of a build tree
// shares that drive.
#pragma once

#include <string>
#include <vector>

// One 8-byte slot of a result block, with the half the library must not touch.
struct XmtSlotForTest {
  float value;
  int rest;
};

// Writes "PR_<name>.txt" into the pattern folder (creating the folder). False on failure.
bool WritePatternFile(const std::string& name, const std::string& content);
void RemovePatternFile(const std::string& name);

// Points the trace log at "<name>.log" in the pattern folder's log tree, starting afresh.
// NewLogText() returns what was logged since the previous call (or since Start).
class LogCapture {
 public:
  void Start(const char* logName);
  std::string NewLogText();

 private:
  std::string path_;
  size_t seen_ = 0;
};

// One daily bar of a sample file "Date,Open,High,Low,Close,Volume" (date as yyyy-mm-dd).
struct SampleBar {
  int date = 0;  // yyyymmdd
  double open = 0, high = 0, low = 0, close = 0, volume = 0;
};
// The bars of testdata/<file>; empty when the file cannot be read.
std::vector<SampleBar> ReadSampleBars(const std::string& file);
// Path of testdata/<file> in the source tree.
std::string TestDataPath(const std::string& file);
