// Loads the built XMT_PATTERN library the way the platform does: by file name, with its
// exports resolved by name. The library file sits beside the test program (build/bin).
// Its global objects are released when the test program ends.
#pragma once

#include <string>

#include "common/platform/modules.h"
#include "common/testing/loaded_library.h"
#include "pattern/xmt_pattern.h"

struct PatternLibrary {
  void* module = nullptr;
  std::string error;
  XMT_ZZ_AddBar_fn zzAddBar = nullptr;
  XMT_PATTERN_AddBar_fn patternAddBar = nullptr;
  XMT_ZZ_CalcPiv_fn zzCalcPiv = nullptr;

  explicit PatternLibrary(const std::string& path) {
    const char* why = nullptr;
    module = LoadModule(path.c_str(), &why);
    if (!module) {
      error = path + ": " + (why ? why : "cannot be loaded");
      return;
    }
    zzAddBar = reinterpret_cast<XMT_ZZ_AddBar_fn>(ModuleSymbol(module, "XMT_ZZ_AddBar"));
    patternAddBar =
        reinterpret_cast<XMT_PATTERN_AddBar_fn>(ModuleSymbol(module, "XMT_PATTERN_AddBar"));
    zzCalcPiv = reinterpret_cast<XMT_ZZ_CalcPiv_fn>(ModuleSymbol(module, "XMT_ZZ_CalcPiv"));
  }
  // The library stays loaded until the process ends, as in the platform: its trace log
  // lives for the life of the process and would be left behind by an early unload.
  ~PatternLibrary() = default;
  PatternLibrary(const PatternLibrary&) = delete;
  PatternLibrary& operator=(const PatternLibrary&) = delete;

  bool Complete() const { return module && zzAddBar && patternAddBar && zzCalcPiv; }
};
