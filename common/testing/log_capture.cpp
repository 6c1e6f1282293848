// Test support: reading back the trace log (see log_capture.h).
#include "common/testing/log_capture.h"

#include <cstdio>

#include "common/platform/platform.h"
#include "common/settings/deliverable.h"
#include "common/settings/settings.h"
#include "common/settings/trace_log.h"
#include "common/testing/test_dirs.h"
#include "common/text/txt.h"

void LogCapture::Start(const char* logName, const char* logBaseDir) {
  DeliverableConfig config;
  config.variant = DeliverableVariant::Library;
  config.logBaseDir = logBaseDir;
  config.logName = logName;
  SetDeliverableConfig(config);
  TraceLogResetForTest();
  LogTrace("TEST", 0, "%s", "log capture started");
  char path[1100] = {};
  GetLogFilePath(path, sizeof path);
  path_ = Platform::Default().NativePath(path);
  seen_ = 0;
  NewLogText();
}

std::string LogCapture::NewLogText() {
  std::string all;
  ReadWholeFile(path_, &all);
  if (all.size() < seen_) seen_ = 0;
  std::string fresh = all.substr(seen_);
  seen_ = all.size();
  return fresh;
}


namespace {

// "hh:mm:ss.mmmL|" at text[at]: the time column of a line, L its level letter.
bool IsTimeColumn(const std::string& line, size_t at) {
  static const char kShape[] = "00:00:00.000L|";
  if (line.size() < at + sizeof kShape - 1) return false;
  for (size_t i = 0; i + 1 < sizeof kShape; ++i) {
    const char c = line[at + i];
    const char want = kShape[i];
    if (want == '0' ? (c < '0' || c > '9') : want != 'L' && c != want) return false;
  }
  return true;
}

}  // namespace

std::string LogLineHead(const std::string& text, const std::string& messageStart) {
  for (const TraceLine& t : ParseTraceLines(text)) {
    if (t.text.compare(0, messageStart.size(), messageStart) != 0) continue;
    return t.hasCategory ? t.category + "|" + t.level : std::string(1, t.level);
  }
  return "missing";
}

void LogCapture::Follow(const std::string& nativePath) {
  path_ = nativePath;
  seen_ = 0;
  NewLogText();
}

std::string TodaysLibraryLogPath(const char* logName, const char* logBaseDir) {
  const PlatformTime now = Platform::Default().LocalNow();
  char path[1100];
  std::snprintf(path, sizeof path, "%s/logs/%04d%02d%02d/%s.log", logBaseDir, now.year,
                now.month, now.day, logName);
  return Platform::Default().NativePath(path);
}

std::string HostProgramFolder() {
  CTxt base;
  GetBaseDir(base);
  return static_cast<const char*>(base);
}

std::vector<TraceLine> ParseTraceLines(const std::string& logText) {
  constexpr size_t kCategoryWidth = 16, kTimeWidth = 14;
  std::vector<TraceLine> lines;
  size_t at = 0;
  while (at < logText.size()) {
    size_t end = logText.find("\r\n", at);
    if (end == std::string::npos) end = logText.size();
    const std::string line = logText.substr(at, end - at);
    at = end + 2;
    TraceLine t;
    size_t time = 0;
    if (!IsTimeColumn(line, 0)) {  // a category column before the time
      time = kCategoryWidth + 1;
      if (line.size() <= kCategoryWidth || line[kCategoryWidth] != '|' ||
          !IsTimeColumn(line, time)) {
        continue;
      }
      t.category = line.substr(0, kCategoryWidth);
      t.category.erase(t.category.find_last_not_of(' ') + 1);
    } else {
      t.hasCategory = false;
    }
    t.level = line[time + kTimeWidth - 2];
    t.text = line.substr(time + kTimeWidth);
    lines.push_back(t);
  }
  return lines;
}
