// XMT_PATTERN as a whole: what is set up while the library loads, before the host's first
// call. The foundation library is configured as a study library whose trace log is
// "C:/Database/DO_DER/logs/<day>/XMT_PATTERN.log".
//
// The process-wide state the exports work on is each feature's own registry, private to its
// unit and built at load like this object: the bar managers (studycore/barmgr/
// bar_mgr_registry.cpp) and the pattern rule files (pattern_registry.cpp).

#include "common/settings/deliverable.h"

namespace {

struct PatternLibrarySetup {
  PatternLibrarySetup() { SetStudyLibraryConfig("C:/Database/DO_DER", "XMT_PATTERN"); }
};

PatternLibrarySetup g_patternSetup;

}  // namespace
