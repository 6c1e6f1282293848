// Test set-up of every program that makes bar managers (the bar manager's own tests and the
// pattern tests above it).
//
// A new bar manager takes its data-folder drive from the registry value "DRIVE" of
// "Software\XMT\KorvaMgr", writing the base folder's drive there when it is missing. Under
// Wine the test programs run from drive Z: (the real root), so the tests put drive C:
// (the Wine prefix, or $XMT_ROOT/C natively) there first and nothing lands outside the
// test's own folders.
#pragma once

#include "common/platform/platform.h"

inline void PresetDataDrive() {
  void* key = nullptr;
  Platform& p = Platform::Default();
  if (p.RegOpen(RegRoot::LocalMachine, "Software\\XMT\\KorvaMgr", true, true, &key) == 0) {
    p.RegSetString(key, "DRIVE", "C:");
    p.RegClose(key);
  }
}
