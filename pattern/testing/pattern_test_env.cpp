// Test set-up for the pattern-file tests (see pattern_test_env.h).
#include "pattern/testing/pattern_test_env.h"

#include <cstdio>
#include <cstdlib>

#include "common/settings/deliverable.h"
#include "common/settings/files.h"
#include "common/platform/platform.h"
#include "common/testing/test_dirs.h"
#include "common/settings/trace_log.h"
#include "pattern/pattern_file.h"

#ifndef XMT_TESTDATA_DIR
#define XMT_TESTDATA_DIR "testdata"
#endif

namespace {

std::string PatternPath(const std::string& name) {
  std::string host = std::string(kPatternDir) + "/PR_" + name + ".txt";
  return Platform::Default().NativePath(host.c_str());
}

}  // namespace

bool WritePatternFile(const std::string& name, const std::string& content) {
  MakeDirPath(kPatternDir, 0);
  return WriteWholeFile(PatternPath(name), content);
}

void RemovePatternFile(const std::string& name) {
  Platform::Default().RemoveFile(PatternPath(name).c_str());
}

void LogCapture::Start(const char* logName) {
  DeliverableConfig config;
  config.variant = DeliverableVariant::Library;
  config.logBaseDir = kPatternDir;
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

std::string TestDataPath(const std::string& file) {
  return std::string(XMT_TESTDATA_DIR) + "/" + file;
}

std::vector<SampleBar> ReadSampleBars(const std::string& file) {
  std::vector<SampleBar> bars;
  std::string text;
  if (!ReadWholeFile(TestDataPath(file), &text)) return bars;
  size_t pos = text.find('\n');  // header line
  while (pos != std::string::npos && pos + 1 < text.size()) {
    size_t end = text.find('\n', pos + 1);
    std::string line = text.substr(pos + 1, end == std::string::npos ? std::string::npos
                                                                      : end - pos - 1);
    pos = end;
    int y = 0, m = 0, d = 0;
    SampleBar b;
    if (std::sscanf(line.c_str(), "%d-%d-%d,%lf,%lf,%lf,%lf,%lf", &y, &m, &d, &b.open, &b.high,
                    &b.low, &b.close, &b.volume) == 8) {
      b.date = y * 10000 + m * 100 + d;
      bars.push_back(b);
    }
  }
  return bars;
}
