// The UTC momentum module: one call of XMT_UTC, from the argument block to the result slots
// (see utc_module.h).

#include "momentum/utc_module.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "common/datetime/date_time.h"
#include "common/settings/trace_log.h"
#include "hostbridge/entry_frame.h"
#include "hostbridge/slot_block.h"
#include "studycore/barmgr/bar_mgr.h"
#include "studycore/barmgr/bar_mgr_registry.h"
#include "studycore/calc_stack.h"

namespace {

constexpr const char* kCategory = "UTC";
constexpr const char* kModuleVersion = "1.1a";
constexpr const char* kLibraryVersion = "1.2e";
constexpr const char* kBuildDate = "Feb 18 2015";
constexpr const char* kBuildTime = "10:36:49";

// Argument block slots.
enum UtcSlot {
  kSlotDate = 0,
  kSlotTime = 1,
  kSlotOpen = 2,
  kSlotHigh = 3,
  kSlotLow = 4,
  kSlotClose = 5,
  kSlotVolume = 6,
  kSlotBarNumber = 7,
  kSlotInterval = 8,
  kSlotBarType = 9,
  kSlotLookBack = 11,
  kSlotSmoothLength = 12,
  kSlotResult = 90,
  kSlotUpdate = 91,
};

constexpr float kFailBarType = -1.0f;
constexpr float kFailManager = -2.0f;
constexpr float kFailCrash = kUtcFailed;

// Manager slots the module uses.
constexpr int kStackObject = 0;   // object slot: the smoothing stack
constexpr int kSmoothedNow = 0;   // value slot: smoothed value after the newest bar
constexpr int kSmoothedBefore = 1;  // value slot: after the bar before the newest

float TypicalPrice(const CBarMgrData& bar) {
  return (bar.low + bar.high + bar.close + bar.close) * 0.25f;
}

// Square roots of the distances the usual look-backs reach, taken once at load (the same
// values std::sqrt gives on every call).
constexpr int kRootTableSize = 1024;
struct RootTable {
  double root[kRootTableSize];
  RootTable() {
    for (int i = 0; i < kRootTableSize; ++i) root[i] = std::sqrt(static_cast<double>(i));
  }
  double operator()(int i) const {
    return i < kRootTableSize ? root[i] : std::sqrt(static_cast<double>(i));
  }
};
const RootTable kRoot;


// The manager's ID text, kept between calls so that a call allocates nothing once the
// longest symbol has been seen.
const char* FormId(const char* symbol, const char* typeName) {
  static std::string id;
  id.assign("XMTMom_").append(symbol).append("_").append(typeName);
  return id.c_str();
}

struct UtcArgs {
  int date, time, barNumber, interval, barType, lookBack, smoothLength;
  float open, high, low, close, volume;
};

UtcArgs ReadArgs(const SlotBlock& block) {
  UtcArgs a;
  a.date = TruncToIntSaturated(block.Get(kSlotDate));
  a.time = TruncToIntSaturated(block.Get(kSlotTime));
  a.open = block.Get(kSlotOpen);
  a.high = block.Get(kSlotHigh);
  a.low = block.Get(kSlotLow);
  a.close = block.Get(kSlotClose);
  a.volume = block.Get(kSlotVolume);
  a.barNumber = TruncToIntSaturated(block.Get(kSlotBarNumber));
  a.interval = TruncToIntSaturated(block.Get(kSlotInterval));
  a.barType = TruncToIntSaturated(block.Get(kSlotBarType));
  a.lookBack = TruncToIntSaturated(block.Get(kSlotLookBack));
  a.smoothLength = TruncToIntSaturated(block.Get(kSlotSmoothLength));
  return a;
}

// Starts over when the host recalculates from the first bar, and starts the module (a new
// smoothing stack) when the manager has none.
void ResetOrStart(CBarMgr& mgr, const char* id, const UtcArgs& a) {
  if (mgr.m_nLastBarNumber > a.barNumber) {
    LogTrace(kCategory, 1, "Reset Run Last=%d, New=%d (%s)", mgr.m_nLastBarNumber, a.barNumber,
             id);
    UtcFreeStack(&mgr);
    mgr.Release(1);
  }
  if (mgr.GetObjectSlot<CCalcStack>(kStackObject)) return;
  auto stack = std::make_unique<CCalcStack>();
  if (a.smoothLength > 1) SetLengthOrThrow(*stack, a.smoothLength);
  mgr.SetObjectSlot(kStackObject, stack.release());
  mgr.m_nLastBarNumber = 0;
  LogTrace(kCategory, 1,
           "Starting UTC Module (Version %s, BM=%p %s %s %s), ID=%s Last=%d, New=%d",
           kModuleVersion, static_cast<void*>(&mgr), kLibraryVersion, kBuildDate, kBuildTime,
           id, mgr.m_nLastBarNumber, a.barNumber);
}

// Replaces the newest bar's prices when the bar number is the newest bar's, else
// stores a new bar at dt. True for an update.
bool StoreBar(CBarMgr& mgr, CCalcStack& stack, const UtcArgs& a, const CXMTDateTime& dt) {
  CBarMgrData* newest = mgr.GetBar(mgr.GetBarCount() - 1);
  if (newest && newest->barNumber == a.barNumber) {
    newest->open = a.open;
    newest->high = a.high;
    newest->low = a.low;
    newest->close = a.close;
    newest->volume = a.volume;
    stack.Rewind(1);
    return true;
  }
  // A bar that could not be kept fails the call (for the export's guard).
  if (mgr.AddBar(dt, a.open, a.high, a.low, a.close, a.volume, a.barNumber, 0) < 0)
    throw std::bad_alloc();
  ++mgr.m_nLastBarNumber;
  return false;
}

// The sum as it is, or smoothed, with an updated bar's earlier value replaced.
float Smooth(CBarMgr& mgr, CCalcStack& stack, double sum, bool update) {
  if (stack.nLength < 2) return static_cast<float>(sum);
  if (update) stack.fAvg = mgr.m_fValues[kSmoothedBefore];
  stack.AddEMA(static_cast<float>(sum));
  if (!update) mgr.m_fValues[kSmoothedBefore] = mgr.m_fValues[kSmoothedNow];
  mgr.m_fValues[kSmoothedNow] = stack.fAvg;
  return stack.fAvg;
}

}  // namespace

double MomentumSum(const CBarMgr& mgr, int lookBack) {
  const int newest = mgr.GetBarCount() - 1;
  const CBarMgrData* bar0 = mgr.GetBar(newest);
  if (!bar0) return 0.0;
  const double p0 = TypicalPrice(*bar0);
  double sum = 0.0;
  for (int i = 1; i <= lookBack; ++i) {
    const CBarMgrData* bar = mgr.GetBar(newest - i);
    if (!bar) break;
    const float pi = TypicalPrice(*bar);
    if (pi > 0.0f) sum += ((p0 / static_cast<double>(pi)) - 1.0) * 1000.0 / kRoot(i);
  }
  return sum;
}

void UtcFreeStack(CBarMgr* mgr) {
  if (!mgr) return;
  if (auto* stack = mgr->GetObjectSlot<CCalcStack>(kStackObject)) {
    stack->Free();
    delete stack;
  }
  mgr->SetObjectSlot(kStackObject, nullptr);
}

float UtcCalc(const char* symbol, void* blockPtr) {
  const SlotBlock block(blockPtr);
  const char* shownSymbol = symbol ? symbol : "(null)";
  if (block.IsNull()) {
    LogTrace(kCategory, 1, "Missing Bar Details Sym=%s, %s", shownSymbol, "No argument block");
    return kFailBarType;
  }
  bool update = false;
  try {
    const UtcArgs a = ReadArgs(block);
    // An invalid date or time is reported by the date-time value; the call goes on with it.
    CXMTDateTime dt;
    HostToDateTime(a.date, a.time, dt);
    char typeName[kBarTypeNameSize];
    if (FormatBarTypeName(a.barType, a.interval, typeName, sizeof typeName) < 0) {
      LogTrace(kCategory, 1, "Missing Bar Details Sym=%s, %s", shownSymbol, typeName);
      return kFailBarType;
    }
    const char* id = FormId(shownSymbol, typeName);
    CBarMgr* mgr = symbol ? FindBarMgr(id) : nullptr;
    if (!mgr) {
      LogTrace(kCategory, 1, "Missing Bar Mgr ID=%s", id);
      return kFailManager;
    }
    ResetOrStart(*mgr, id, a);
    CCalcStack& stack = *mgr->GetObjectSlot<CCalcStack>(kStackObject);
    update = StoreBar(*mgr, stack, a, dt);
    const double sum = a.lookBack > 0 ? MomentumSum(*mgr, a.lookBack) : 0.0;
    const float result = Smooth(*mgr, stack, sum, update);
    block.Set(kSlotResult, result);
    block.Set(kSlotUpdate, update ? 1.0f : 0.0f);
    return result;
  } catch (...) {
    LogTrace(kCategory, 1, "CRASH ERROR1 BGMState=%d", 0);
    LogWrite("*FLUSH", nullptr, 0);
    block.Set(kSlotResult, kFailCrash);
    block.Set(kSlotUpdate, update ? 1.0f : 0.0f);
    return kFailCrash;
  }
}
