// The installer's status text and its configuration of the foundation library (see
// status_text.h).
#include "installer/status_text.h"

#include "common/text/text_helpers.h"

void CStatusText::Append(const char* message) {
  if (!message) return;
  std::lock_guard<std::mutex> hold(lock_);
  text_.append(message).append("\r\n");
}

std::string CStatusText::Get() const {
  std::lock_guard<std::mutex> hold(lock_);
  return text_;
}

bool CStatusText::Refresh(std::string* shown) const {
  if (!shown) return false;
  std::lock_guard<std::mutex> hold(lock_);
  if (CompareNoCase(shown->c_str(), text_.c_str(), 1) == 0) return false;
  *shown = text_;
  return true;
}

void CStatusText::Clear() {
  std::lock_guard<std::mutex> hold(lock_);
  text_.clear();
}

CStatusText& RolloutStatus() {
  static CStatusText* status = new CStatusText();
  return *status;
}

void RolloutStatusSink(const char* message) { RolloutStatus().Append(message); }

DeliverableConfig RolloutConfig(void (*sink)(const char* message)) {
  DeliverableConfig config;
  config.variant = DeliverableVariant::Program;
  config.logBaseDir = nullptr;  // the program's own folder
  config.logName = nullptr;     // the program's file name, in lower case
  config.statusSink = sink;
  return config;
}
