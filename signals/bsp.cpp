// XMT_BSP: the instance registry, the host bindings, the restart rule, the once-per-bar
// feed into the study's array "arrBSP", the error reporter and the catch-all.

#include "signals/bsp.h"

#include <cstring>
#include <exception>
#include <new>
#include <string>

#include "common/settings/trace_log.h"
#include "hostbridge/caller_text.h"
#include "hostbridge/host_call.h"
#include "hostbridge/instance_registry.h"
#include "hostbridge/slot_block.h"
#include "signals/xmt_signals.h"

namespace {

constexpr const char* kVersion = "1.2b";
constexpr const char* kBuildDate = "Mar 26 2015";
constexpr const char* kBuildTime = "16:43:43";
constexpr size_t kMaxCaughtText = 1000;  // characters of a caught failure's own text

CInstanceRegistry<CBSPSet> g_BSPMgr;

// "XMT_UT64 Error#<code> occured - <message>[: <detail>]", logged and handed to the caller.
int BSPError(char* symErr, int code, const char* message, const char* detail, int result) {
  CTxt text;
  if (detail)
    text.Format("XMT_UT64 Error#%d occured - %s: %s", code, message, detail);
  else
    text.Format("XMT_UT64 Error#%d occured - %s", code, message);
  LogTrace("UTC", 3, "sendError: %s", static_cast<const char*>(text));
  CopyToCaller(symErr, XMT_SIGNALS_ERR_BUF_SIZE, text);
  return result;
}

template <class T>
void ReleaseRef(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

// "<symErr>/<name>/<key1>/<key2>" (a null text reads as empty). The buffer keeps its
// capacity, so a bar costs no allocation here.
const char* MakeKey(const char* name, int key1, int key2, const char* symErr) {
  static std::string key;
  key.assign(symErr ? symErr : "");
  key.push_back('/');
  key.append(name ? name : "");
  key.push_back('/');
  key.append(std::to_string(key1));
  key.push_back('/');
  key.append(std::to_string(key2));
  return key.c_str();
}

// What the catch-all needs to know about the call so far.
struct CallState {
  CBSPSet* set = nullptr;
  int maxBarsBack = 0;
  int barNumber = 0;
};

// Binds "arrBSP" when it is not bound yet: 0, or the result of the error sent. An array
// that fails a check is released and asked for again on the next call.
int BindArray(CBSPSet& set, IHostStudy* study, char* symErr) {
  if (set.pArrBSP) return 0;
  IHostVariable* array = HostFindVariable(study, "arrBSP");
  LogTrace("BSPMgr", 1, "pELVal=%p (ID=%s)", static_cast<void*>(array),
           static_cast<const char*>(set.strID));
  if (!array) return BSPError(symErr, 6, "arrBSP missing", nullptr, kBspArrayMissing);
  int result = 0;
  if (HostDimensions(array) != 1)
    result = BSPError(symErr, 7, "arrBSP dimensions wrong", nullptr, kBspArrayDims);
  else if (HostElementCount(array, 0) < kBspArrayMinSize)
    result = BSPError(symErr, 8, "arrBSP Size wrong", nullptr, kBspArraySize);
  if (result) {
    ReleaseRef(array);
    return result;
  }
  set.pArrBSP = array;
  return 0;
}

// Binds the tick series not bound yet: 0, or the result of the error sent.
int BindSeries(CBSPSet& set, IHostStudy* study, char* symErr) {
  if (!set.pUpTicks) set.pUpTicks = HostUpTicks(study);
  if (!set.pUpTicks) return BSPError(symErr, 3, "UpTicks missing", nullptr, kBspUpTicksMissing);
  if (!set.pDownTicks) set.pDownTicks = HostDownTicks(study);
  if (!set.pDownTicks)
    return BSPError(symErr, 4, "DownTicks missing", nullptr, kBspDownTicksMissing);
  return 0;
}

// Feeds the current bar's ticks and writes the pressure and the averages into the array.
void FeedBar(CBSPSet& set, int style) {
  const float up = static_cast<float>(HostSeriesValue(set.pUpTicks, 0));
  const float down = static_cast<float>(HostSeriesValue(set.pDownTicks, 0));
  float pressure = 0.0f;
  BSPCalc(&set, up, down, style, &pressure);
  HostPutElement(set.pArrBSP, kBspElemPressure, pressure);
  HostPutElement(set.pArrBSP, kBspElemAvgPressure, set.stkBSP.fAvg);
  HostPutElement(set.pArrBSP, kBspElemAvgBuy, set.stkBuy.fAvg);
  HostPutElement(set.pArrBSP, kBspElemAvgSell, set.stkSell.fAvg);
  HostPutElement(set.pArrBSP, kBspElemAvgVolume, set.stkVol.fAvg);
}

int Run(const char* name, int key1, int key2, char* symErr, IHostStudy* study,
        CallState& state) {
  const char* key = MakeKey(name, key1, key2, symErr);

  CBSPSet* set = g_BSPMgr.Find(key);
  if (!set) {
    auto* created = new (std::nothrow) CBSPSet;
    const int index = created ? g_BSPMgr.Add(key, created) : -1;
    if (index < 0) {
      delete created;
      return BSPError(symErr, 1, "BSP Initialization Error", key, kBspInitError);
    }
    set = g_BSPMgr.GetAt(index);
    if (!set) return BSPError(symErr, 1, "BSP Get Instance Error", key, kBspInitError);
    set->strID = key;
    LogTrace("BSPMgr", 1, "Added new BSP Instance: ID=%s, Idx=%d, BSP=%p, Mgr=%p", key, index,
             static_cast<void*>(set), static_cast<void*>(&g_BSPMgr));
  }
  state.set = set;

  if (int r = BindArray(*set, study, symErr)) return r;
  if (int r = BindSeries(*set, study, symErr)) return r;

  if (!study) CheckHost(E_POINTER, kIidHostStudy);  // bound earlier, but no study now
  int counter = 0;
  CheckHost(study->GetBarCounter(kHostSeriesArg, &counter), kIidHostStudy);
  CheckHost(study->GetBarOffset(&state.maxBarsBack), kIidHostStudy);
  const int barNumber = static_cast<int>(
      static_cast<long long>(counter) + state.maxBarsBack - 1 > 2147483647LL
          ? 2147483647LL
          : static_cast<long long>(counter) + state.maxBarsBack - 1);
  state.barNumber = barNumber;

  const int avgLen = TruncToIntSaturated(HostGetElement(set->pArrBSP, kBspElemAvgLen));
  const int volLen = TruncToIntSaturated(HostGetElement(set->pArrBSP, kBspElemVolLen));
  const int style = TruncToIntSaturated(HostGetElement(set->pArrBSP, kBspElemStyle));

  const bool restart = set->nLastBar < 0 || set->nLastBar > barNumber;
  const bool newBar = restart || barNumber > set->nLastBar;
  if (restart) {
    LogTrace("BSPMgr", 1,
             "Starting BSP Manager (Ver=%s %s %s) for ID=%s, Bar=%d -> %d, AvgLen=%d, "
             "VolLen=%d, Style=%d",
             kVersion, kBuildDate, kBuildTime, static_cast<const char*>(set->strID),
             set->nLastBar, barNumber, avgLen, volLen, style);
    for (CCalcStack* stack : {&set->stkVol, &set->stkBSP, &set->stkBuy, &set->stkSell})
      stack->Free();
    SetLengthOrThrow(set->stkVol, volLen);
    SetLengthOrThrow(set->stkBSP, avgLen);
    SetLengthOrThrow(set->stkBuy, avgLen);
    SetLengthOrThrow(set->stkSell, avgLen);
  }
  set->nLastBar = barNumber;

  if (!name) return kBspNullName;
  if (newBar) FeedBar(*set, style);

  LogTrace("BSPMgr", 1, "XMT_BSPCalc1 pBSP=%p ELVal=%p", static_cast<void*>(set),
           static_cast<void*>(set->pArrBSP));
  return kBspReady;
}

// The end of a call that caught a failure: the error text to the log and the caller.
int Caught(const char* text, char* symErr, const CallState& state) {
  LogTrace("BSPMgr", 1, "%s", text);
  CopyToCaller(symErr, XMT_SIGNALS_ERR_BUF_SIZE, text);
  LogTrace("BSPMgr", 1, "TEST: MaxBarsBack=%d, MnBarNbr=%d", state.maxBarsBack,
           state.barNumber);
  return kBspHostFailure;
}

}  // namespace

CBSPSet::~CBSPSet() {
  for (CCalcStack* stack : {&stkVol, &stkBSP, &stkBuy, &stkSell}) stack->Free();
}

void CBSPSet::DropBindings() {
  ReleaseRef(pArrBSP);
  ReleaseRef(pUpTicks);
  ReleaseRef(pDownTicks);
}

int BSP(const char* name, int key1, int key2, char* symErr, IHostStudy* study) {
  CallState state;
  try {
    return Run(name, key1, key2, symErr, study, state);
  } catch (const HostComError&) {
    // A failed host call: the bindings may be stale, bind them again on the next call.
  } catch (const std::exception& e) {
    // A failure with its own text keeps the bindings.
    const char* what = e.what() ? e.what() : "";
    CTxt text;
    text.Format("%.*s", static_cast<int>(kMaxCaughtText), what);
    return Caught(text, symErr, state);
  } catch (...) {
  }
  CTxt text;
  text.Format("Internal Error occured (g_BSPMgr=%p, pBSP=%p)", static_cast<void*>(&g_BSPMgr),
              static_cast<void*>(state.set));
  if (state.set) state.set->DropBindings();
  return Caught(text, symErr, state);
}

CBSPSet* FindBSPSet(const char* key) { return g_BSPMgr.Find(key); }
int BSPSetCount() { return g_BSPMgr.GetCount(); }
