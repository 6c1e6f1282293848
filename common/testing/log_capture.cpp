// Test support: reading back the trace log (see log_capture.h).
#include "common/testing/log_capture.h"

#include "common/platform/platform.h"
#include "common/settings/deliverable.h"
#include "common/settings/trace_log.h"
#include "common/testing/test_dirs.h"

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

