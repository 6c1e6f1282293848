// Test support: reading back what a test wrote to the trace log.
//
// LogCapture points the process's trace log at a log of the test's own ("<name>.log" in the
// dated log folder below the base folder, as the platform maps it) and returns, on each
// NewLogText() call, what was logged since the previous call.
#pragma once

#include <cstddef>
#include <string>

class LogCapture {
 public:
  // Starts afresh: the trace log is reset and reopened as logName below logBaseDir (a host
  // path; the libraries' trace logs live below "C:/Database/DO_DER").
  void Start(const char* logName, const char* logBaseDir = "C:/Database/DO_DER");
  // What was logged since the previous call (or since Start).
  std::string NewLogText();

 private:
  std::string path_;
  size_t seen_ = 0;
};

// The head of the first library-variant line (with its time column) in text whose message
// begins with messageStart: "<category>|<level letter>" with the category column stripped
// of its padding ("BSPMgr|a"; "|a" for a blank column), the level letter alone ("a") for a
// line logged without a category column, "missing" when no line begins so. Lets a test
// hold its lines as a table of text, category and level.
std::string LogLineHead(const std::string& text, const std::string& messageStart);
