// XMT_MOMENTUM's set-up while the library loads: its configuration of the foundation
// library (a study library whose trace log is "<host program folder>/logs/<day>/XMT_F2.log")
// and the release of the momentum module's objects kept in its bar managers, so that
// unloading frees them with the managers. A global object does it so that both are in place
// before the host's first call.
//
// Unloading frees every registry: the bar managers (each with its smoothing stack) and the
// pattern files, by their own global objects.

#include "common/settings/deliverable.h"
#include "momentum/utc_module.h"
#include "studycore/barmgr/bar_mgr_registry.h"

namespace {

struct MomentumLibrarySetup {
  MomentumLibrarySetup() {
    SetStudyLibraryConfig(nullptr, "XMT_F2");  // logs below the host program's folder
    SetBarMgrOwnerRelease(UtcFreeStack);
  }
};

MomentumLibrarySetup g_momentumSetup;

}  // namespace
