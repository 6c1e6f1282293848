// XMT_PATTERN's configuration of the foundation library, supplied while the library loads:
// a study library whose trace log is "C:/Database/DO_DER/logs/<day>/XMT_PATTERN.log".
// A global object does it so that the setting is in place before the host's first call.

#include "common/settings/deliverable.h"

namespace {

struct PatternLogConfig {
  PatternLogConfig() {
    SetStudyLibraryConfig("C:/Database/DO_DER", "XMT_PATTERN");
  }
};

PatternLogConfig g_patternLogConfig;

}  // namespace
