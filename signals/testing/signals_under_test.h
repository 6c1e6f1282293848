// The built XMT_SIGNALS library, loaded once per test program the way the platform loads
// it, with all 16 exports resolved by name; and the folders the library reads and writes, as
// the test sees them.
#pragma once

#include <string>

#include "common/platform/platform.h"
#include "common/testing/loaded_library.h"
#include "signals/xmt_signals.h"

struct SignalsLibrary {
  LoadedLibrary lib;
  XMT_BSP_fn bsp = lib.Get<XMT_BSP_fn>("XMT_BSP");
  XMT_BSPCalc_fn bspCalc = lib.Get<XMT_BSPCalc_fn>("XMT_BSPCalc");
  XMT_FindGemAdd_fn gemAdd = lib.Get<XMT_FindGemAdd_fn>("XMT_FindGemAdd");
  XMT_FindGemCalc_fn gemCalc = lib.Get<XMT_FindGemCalc_fn>("XMT_FindGemCalc");
  XMT_RareAvg_fn rareAvg = lib.Get<XMT_RareAvg_fn>("XMT_RareAvg");
  XMT_TrendReversal_fn trendRev = lib.Get<XMT_TrendReversal_fn>("XMT_TrendReversal");
  XMT_SaveDataToCsv_fn saveCsv = lib.Get<XMT_SaveDataToCsv_fn>("XMT_SaveDataToCsv");
  XMT_SaveDataToCsv2_fn saveCsv2 = lib.Get<XMT_SaveDataToCsv2_fn>("XMT_SaveDataToCsv2");
  XMT_SaveDataToTxt_fn saveTxt = lib.Get<XMT_SaveDataToTxt_fn>("XMT_SaveDataToTxt");
  XMT_LoadCol_fn loadCol = lib.Get<XMT_LoadCol_fn>("XMT_LoadCol");
  XMT_TickSound_fn tickSound = lib.Get<XMT_TickSound_fn>("XMT_TickSound");
  XMT_Speak_fn speak = lib.Get<XMT_Speak_fn>("XMT_Speak");
  XMT_F_PrcNorm_fn prcNorm = lib.Get<XMT_F_PrcNorm_fn>("XMT_F_PrcNorm");
  XMT_IfRealtime_fn ifRealtime = lib.Get<XMT_IfRealtime_fn>("XMT_IfRealtime");
  XMT_OnCreate_fn onCreate = lib.Get<XMT_OnCreate_fn>("XMT_OnCreate");
  XMT_OnDestroy_fn onDestroy = lib.Get<XMT_OnDestroy_fn>("XMT_OnDestroy");

  SignalsLibrary() : lib(Path()) {}

  bool Complete() const {
    return lib.Loaded() && bsp && bspCalc && gemAdd && gemCalc && rareAvg && trendRev &&
           saveCsv && saveCsv2 && saveTxt && loadCol && tickSound && speak && prcNorm &&
           ifRealtime && onCreate && onDestroy;
  }

  // The one loaded copy of the test program (the library's state is process-wide).
  static SignalsLibrary& Get() {
    static SignalsLibrary library;
    return library;
  }

 private:
  static std::string Path() {
#ifdef XMT_SIGNALS_PATH
    return XMT_SIGNALS_PATH;  // the test program does not sit beside the library
#else
    return XMT_SIGNALS_FILE_NAME;
#endif
  }
};

// The export folder: "<host program's folder>/../CSV", as a native path.
inline std::string ExportFolder() {
  std::string program = Platform::Default().MainProgramPath();
  size_t cut = program.find_last_of("/\\");
  return program.substr(0, cut == std::string::npos ? 0 : cut) + "/../CSV";
}

// The column loader's folder as a native path.
inline std::string LoadColFolder() {
  return Platform::Default().NativePath("C:/Database/LoadCol");
}
