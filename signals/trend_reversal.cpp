// The trend reversal band: instances, the fan of averages, the position score and width.

#include "signals/trend_reversal.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <string>

#include "common/settings/trace_log.h"
#include "hostbridge/entry_frame.h"
#include "hostbridge/instance_registry.h"

namespace {

constexpr const char* kVersion = "1.2c";
constexpr int kDefaultSteps = 10;  // used when the step count is below 1
constexpr int kMaxStacks = 64;     // the band never holds more (bounds the sort buffer)

CInstanceRegistry<CTrendRevSym> g_trendRevSyms;

// Symbol, then the two bar settings; the numbers never contain the separator.
const char* MakeKey(const char* sym, int barType, int barInt) {
  static std::string key;  // keeps its capacity: no allocation per bar
  key.assign(sym);
  key.push_back('\x1f');
  key.append(std::to_string(barType));
  key.push_back('\x1f');
  key.append(std::to_string(barInt));
  return key.c_str();
}

// Sets up a new (or restarted) instance and logs it.
void Start(CTrendRevSym& set, const char* sym, int barType, int barInt, int fast, int slow) {
  set.strSym = sym;
  set.nBarType = barType;
  set.nBarInt = barInt;
  set.dtLast = CXMTDateTimePlain();
  set.nFast = fast;
  set.nSlow = slow;
  set.nSteps = 11;
  set.bExp = 0;
  const int built = set.BuildStacks();
  LogTrace("TrendRev", 1,
           "AddSym (Ver=%s) ret=%4d, Sym=%-10.10s, Bar=%d/%3d, Fast=%4d, Slow=%4d, Steps=%4d, "
           "Exp=%d",
           kVersion, built, sym, barType, barInt, fast, slow, set.nSteps, set.bExp);
}

}  // namespace

void CTrendRevSym::FreeStacks() {
  for (int i = 0; i < arrStacks.GetSize(); ++i) arrStacks[i]->Free();
  arrStacks.RemoveAll();
  stackStore.reset();
}

int CTrendRevSym::BuildStacks() {
  FreeStacks();
  const int steps = nSteps < 1 ? kDefaultSteps : nSteps;
  const long long span = static_cast<long long>(nSlow) - nFast;
  if (span < 0) return 0;
  const long long step = span / steps;
  long long lengths[kMaxStacks];
  int count = 0;
  for (long long len = nFast; len <= nSlow && count < kMaxStacks; len += step) {
    lengths[count++] = len;
    if (step == 0) break;  // fast and slow too close for a step: one average
  }
  stackStore = std::make_unique<CCalcStack[]>(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    CCalcStack& stack = stackStore[static_cast<size_t>(i)];
    SetLengthOrThrow(stack, lengths[i] > 2147483647LL ? -1 : static_cast<int>(lengths[i]));
    if (arrStacks.Add(&stack) < 0) throw std::bad_alloc();
  }
  return 0;
}

int CTrendRevSym::Evaluate(float value, float scale, float& pos, float& width) {
  float found[kMaxStacks];
  int count = 0;
  for (int i = 0; i < arrStacks.GetSize(); ++i) {
    CCalcStack* stack = arrStacks[i];
    const int added = bExp ? stack->AddEMA(value) : stack->AddMA(value);
    if (added) found[count++] = stack->fAvg;
  }
  if (count == 0) return -1;
  std::sort(found, found + count);
  const float lo = found[0];
  const float hi = found[count - 1];
  if (!(hi - lo > 0.0f)) return 0;

  width = scale * 10000.0f * (hi - lo) / lo;
  if (value < lo) {
    pos = -100.0f;
    return 1;
  }
  if (value > hi) {
    pos = 100.0f;
    return 2;
  }
  // Inside the band the quarter count runs from 0 to 8 and is truncated. At the top edge
  // single precision may land just above 8 (8.00000095): that is still the top quarter.
  // Only a quotient that is not a number counts as 0.
  const float quarters = (value - lo) * 200.0f / (hi - lo) / 25.0f;
  const int whole =
      std::isnan(quarters) ? 0 : static_cast<int>(std::clamp(quarters, 0.0f, 8.0f));
  pos = 25.0f * static_cast<float>(whole) - 100.0f;
  return 0;
}

CTrendRevSym* FindTrendRev(const char* sym, int barType, int barInt) {
  return sym ? g_trendRevSyms.Find(MakeKey(sym, barType, barInt)) : nullptr;
}

int TrendReversal(const char* sym, int hostDate, int hostTime, int barType, int barInt,
                  float value, float scale, int fast, int slow, TrendReversalOut& out) {
  out = TrendReversalOut();
  if (hostDate < kEntryMinHostDate) return -1;
  if (!sym) return -2;

  CXMTDateTime dt;
  HostToDateTime(hostDate, hostTime, dt);

  CTrendRevSym* set = FindTrendRev(sym, barType, barInt);
  if (!set) {
    auto fresh = std::make_unique<CTrendRevSym>();
    Start(*fresh, sym, barType, barInt, fast, slow);
    set = fresh.get();
    g_trendRevSyms.Add(MakeKey(sym, barType, barInt), fresh.release());
  } else if (static_cast<const CXMTDateTimePlain&>(dt).Compare(&set->dtLast, 6) < 0) {
    // The host recalculates from the start: the instance begins again.
    Start(*set, sym, barType, barInt, fast, slow);
  }
  set->dtLast = dt;
  return set->Evaluate(value, scale, out.pos, out.width);
}
