// The built XMT_PATTERN library as the export-level tests load it: a LoadedLibrary
// (common/testing/loaded_library.h) with the exports they call most resolved once. The
// file name comes from the test's xmt_test(... LOADS XMT_PATTERN), as XMT_PATTERN_FILE_NAME.
#pragma once

#include <string>

#include "common/testing/loaded_library.h"
#include "pattern/xmt_pattern.h"

struct PatternLibrary : LoadedLibrary {
  // path: as for LoadedLibrary (a bare file name is taken from the test program's folder).
  explicit PatternLibrary(const std::string& path)
      : LoadedLibrary(path),
        zzAddBar(Get<XMT_ZZ_AddBar_fn>("XMT_ZZ_AddBar")),
        patternAddBar(Get<XMT_PATTERN_AddBar_fn>("XMT_PATTERN_AddBar")),
        zzCalcPiv(Get<XMT_ZZ_CalcPiv_fn>("XMT_ZZ_CalcPiv")) {}

  bool Complete() const { return Loaded() && zzAddBar && patternAddBar && zzCalcPiv; }

  XMT_ZZ_AddBar_fn zzAddBar;
  XMT_PATTERN_AddBar_fn patternAddBar;
  XMT_ZZ_CalcPiv_fn zzCalcPiv;
};
