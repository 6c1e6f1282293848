// The library's registry of bar managers: a global object built at load and emptied at
// unload, every manager fully released before it is destroyed.

#include "studycore/barmgr/bar_mgr_registry.h"

#include <memory>

#include "hostbridge/instance_registry.h"
#include "studycore/barmgr/bar_mgr.h"

namespace {

// Constant-initialised, so a library may install it from any global constructor.
void (*g_ownerRelease)(CBarMgr*) = nullptr;

void ReleaseFully(CBarMgr* mgr) {
  if (g_ownerRelease) g_ownerRelease(mgr);
  mgr->Release(1);
}

// Clears itself with a full release of every manager when the library is unloaded.
class BarMgrRegistry : public CInstanceRegistry<CBarMgr> {
 public:
  ~BarMgrRegistry() { Clear(ReleaseFully); }
};

BarMgrRegistry g_barMgrs;

}  // namespace

CBarMgr* FindBarMgr(const char* id) {
  if (!id) return nullptr;
  if (CBarMgr* mgr = g_barMgrs.Find(id)) return mgr;
  auto mgr = std::make_unique<CBarMgr>();
  mgr->SetName(id);
  CBarMgr* found = mgr.get();
  g_barMgrs.Add(id, mgr.release());
  return found;
}

int BarMgrCount() { return g_barMgrs.GetCount(); }

void ReleaseAllBarMgrs() { g_barMgrs.Clear(ReleaseFully); }

void SetBarMgrOwnerRelease(void (*release)(CBarMgr* mgr)) { g_ownerRelease = release; }
