// Test support: reading back what a test wrote to the trace log.
//
// LogCapture points the process's trace log at a log of the test's own ("<name>.log" in the
// dated log folder below the base folder, as the platform maps it) and returns, on each
// NewLogText() call, what was logged since the previous call. Follow reads a log that
// another copy of the log code writes (a loaded library's own log) without touching it.
// ParseTraceLines splits library-variant lines (time column on) into their columns.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

// One trace line: the category without its padding, the level character (' ' for level 0,
// 'a' for 1, 'b' for 2) and the message; hasCategory is false for a line logged without a
// category column (then category is empty).
struct TraceLine {
  std::string category;
  char level = ' ';
  std::string text;
  bool hasCategory = true;
  bool operator==(const TraceLine&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const TraceLine& t) {
  return os << "{\"" << t.category << "\", '" << t.level << "', \"" << t.text << "\"}";
}

// The lines of a library-variant log text ("<category:16>|hh:mm:ss.mmm<level>|<message>",
// or "hh:mm:ss.mmm<level>|<message>" for a line without a category column).
std::vector<TraceLine> ParseTraceLines(const std::string& logText);

// The file a study library's trace log writes today: "<logBaseDir>/logs/<day>/<logName>.log"
// as a native path.
std::string TodaysLibraryLogPath(const char* logName, const char* logBaseDir = "C:/Database/DO_DER");
// The host program's folder as the libraries see it (their base folder), the log folder of a
// library that logs beside the host program (XMT_MOMENTUM).
std::string HostProgramFolder();

class LogCapture {
 public:
  // Starts afresh: the trace log is reset and reopened as logName below logBaseDir (a host
  // path; the libraries' trace logs live below "C:/Database/DO_DER").
  void Start(const char* logName, const char* logBaseDir = "C:/Database/DO_DER");
  // Reads the log file at nativePath from its present end on; the log itself is not touched.
  void Follow(const std::string& nativePath);
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
