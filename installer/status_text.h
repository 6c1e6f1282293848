// The installer's status text: every message of the trace log, each followed by CR LF, with
// its own line breaks kept, collected for the window that shows the installation's progress.
//
// The install worker appends (through the trace log's status sink) while the window thread
// reads on each timer tick, so every access goes through one lock. Reading hands out a copy.
#pragma once

#include <mutex>
#include <string>

#include "common/settings/deliverable.h"

class CStatusText {
 public:
  // Appends message and CR LF; a null message appends nothing.
  void Append(const char* message);
  // A copy of the whole text.
  std::string Get() const;
  // When the text differs from *shown without regard to case, copies it into *shown and
  // returns true; otherwise leaves *shown alone.
  bool Refresh(std::string* shown) const;
  void Clear();

 private:
  mutable std::mutex lock_;
  std::string text_;
};

// The process's status text (never destroyed: the log may still be written at exit).
CStatusText& RolloutStatus();

// The installer's configuration of the foundation library: the program variant of the
// trace log below the program's own folder, named after the program, with sink as the
// status sink (RolloutStatusSink appends to RolloutStatus()).
DeliverableConfig RolloutConfig(void (*sink)(const char* message));
void RolloutStatusSink(const char* message);
