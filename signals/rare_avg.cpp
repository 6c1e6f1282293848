// RareAvg: instances, re-sent bars, the day break, the start-up average, the response
// step, the four fits and the final smoothing.

#include "signals/rare_avg.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <exception>
#include <memory>
#include <new>
#include <string>

#include "common/settings/trace_log.h"
#include "hostbridge/instance_registry.h"
#include "signals/poly_regr.h"

namespace {

CInstanceRegistry<CRareAvgSet> g_rareAvgSets;

// Fits end at bar G; above this many bars x counts modulo 1000 to keep the powers small.
constexpr int kMaxPlainX = 1010;
// Largest repeat count nRespFac can ask for (nRespFac 10000 and above repeat this often).
constexpr int kMaxRepeat = 100;
constexpr int kChangeWindow = 30;
constexpr int kMinChanges = 5;  // the response starts with more changes than this
constexpr int kDefaultFactor = 60;
constexpr int kLogFactor = 61;

// Single-precision exp and log, computed in double and rounded once, so that every build
// gives the same value whatever its own float functions do.
float ExpF(float x) { return static_cast<float>(std::exp(static_cast<double>(x))); }
float LogF(float x) { return static_cast<float>(std::log(static_cast<double>(x))); }

// The registry key: the symbol, then the five numbers. The numbers never contain the
// separator, so read from the end the key is unambiguous.
const char* MakeKey(const char* sym, int scopeRegr, int scopeWgt, int respFac, int barType,
                    int extra) {
  static std::string key;  // keeps its capacity: no allocation per bar
  key.assign(sym);
  for (int n : {scopeRegr, scopeWgt, respFac, barType, extra}) {
    key.push_back('\x1f');
    key.append(std::to_string(n));
  }
  return key.c_str();
}

// Linear weights n - i at index i (the newest value weighs n, the oldest 1), over the
// entries the stack has: a length it refused (a window in the billions) sets none,
// instead of trying each of n indexes.
void SetLinearWeights(CCalcStack& stack, int n) {
  const int entries = std::min(n, static_cast<int>(std::min<uint32_t>(stack.nLength, INT_MAX)));
  for (int i = 0; i < entries; ++i) stack.SetWeight(static_cast<float>(n - i), i);
}

}  // namespace

CRareAvgSet::~CRareAvgSet() { Reset(); }

void CRareAvgSet::Reset() {
  for (int i = 0; i < arrBars.GetSize(); ++i) delete arrBars[i];
  arrBars.RemoveAll();
  stkFinal.Free();
  stkStart.Free();
  stkChg.Free();
  nLastDate = 0;
  nCur = -1;
}

void CRareAvgSet::TakeBack() {
  const int n = arrBars.GetSize();
  if (n == 0) return;
  delete arrBars[n - 1];
  arrBars.RemoveAt(n - 1);
  nCur = arrBars.GetSize() - 1;
}

void CRareAvgSet::AddBar(int date, int time, float value) {
  if (date < nLastDate || nLastDate <= 0) Reset();
  auto bar = std::make_unique<CRareAvgBar>();
  bar->fRaw = bar->fAdj = bar->fRes = value;
  bar->nBarDate = date;
  bar->nBarTime = time;
  // A refused add leaves the list and the newest index as they were.
  if (arrBars.Add(bar.get()) < 0) throw std::bad_alloc();
  bar.release();
  nCur = arrBars.GetSize() - 1;
  nLastDate = date;
}

// Fit of order `order` over the responded values of the bars G - N .. G (N = L - offset),
// with x running up to X (G, or G modulo 1000 past 1010 bars), evaluated at X.
bool CRareAvgSet::Fit(int order, int offset, int g, float& value) const {
  const long long len = nScopeRegr < 1 ? 1 : nScopeRegr;
  const long long n = len - offset;
  const long long x0 = g <= kMaxPlainX ? g : g % 1000;
  CPolyRegr regr;
  regr.SetOrder(order);
  // Bars before the first one do not exist; start at the first that does.
  long long k = g - n < 0 ? n - g : 0;
  for (; k <= n; ++k) {
    const long long index = g - n + k;
    if (index > nCur) break;
    regr.AddPoint(static_cast<double>(x0 - n + k), arrBars[static_cast<int>(index)]->fAdj);
  }
  double fitted = 0;
  if (!regr.Evaluate(static_cast<double>(x0), fitted)) {
    value = kRareAvgNoValue;
    return false;
  }
  value = static_cast<float>(fitted);
  return true;
}

bool CRareAvgSet::Calculate(int factor, float& result) {
  CRareAvgBar* newest = Newest();
  if (!newest) return false;
  const float v = newest->fRaw;

  const int len = nScopeRegr < 1 ? 1 : nScopeRegr;
  if (len == 1) {
    result = v;
    return true;
  }
  const int wgt = nScopeWgt < 1 ? 1 : nScopeWgt;
  const int g = nCur - 1;
  const int h = (len - 1) / 2 < 1 ? 1 : (len - 1) / 2;
  if (nShort >= len) nShort = h;

  switch (factor) {
    case kRareAvgLineOnly:
      return Fit(1, 0, g, result);
    case kRareAvgParabolaOnly:
      return Fit(2, 0, g, result);
    case kRareAvgValueOnly:
      result = v;
      return true;
    default:
      if (factor < 0) factor = kDefaultFactor;
  }

  // Start-up average over the first bars, newest weighing most.
  if (nCur == 0) {
    stkStart.bWeighted = 1;
    SetLengthOrThrow(stkStart, h);
  }
  const int stored = arrBars.GetSize();
  SetLinearWeights(stkStart, stored < h ? stored : h);
  stkStart.AddWgtAvg(v);

  if (g < h) {
    if (nBarType != 0 && nBarType != 1) return false;  // daily and longer bars: no value yet
    result = stkStart.fAvg;
    return true;
  }

  // Response: stretch the change by how rare its size is.
  if (v != 0.0f) {
    const float prev = nCur >= 1 ? arrBars[nCur - 1]->fRaw : 0.0f;
    const float change = v - prev;
    float pct = std::fabs(change) * 100.0f / std::fabs(v);
    if (pct > 100.0f) pct = 100.0f;
    if (stkChg.nCount == 0) SetLengthOrThrow(stkChg, kChangeWindow);
    stkChg.AddMA(pct);
    if (stkChg.nCount > kMinChanges) {
      if (pct > 0.0f) {
        const float ratio = stkChg.fAvg > 0.0f ? pct / stkChg.fAvg : 1.0f;
        if (factor > 0)
          newest->fAdj = prev + change * ExpF(LogF(ratio) * (1.0f + static_cast<float>(factor) /
                                                                       100.0f)) /
                                    ratio;
      } else if (pct == 0.0f) {  // a change that is not a number leaves the value as it is
        newest->fAdj = std::fabs(v);
      }
    }
  }

  float a1 = 0, a2 = 0, a3 = 0, a4 = 0;
  if (!Fit(1, 0, g, a1) || !Fit(1, nShort, g, a2) || !Fit(2, 0, g, a3) ||
      !Fit(2, nShort, g, a4))
    return false;
  float res = (a1 + a2 + a3 + a4) * 0.25f;
  newest->fRes = res;

  if (stkFinal.nCount == 0) {
    stkFinal.bWeighted = 1;
    if (wgt > 1) {
      SetLengthOrThrow(stkFinal, wgt);
      SetLinearWeights(stkFinal, wgt);
    }
  }
  if (wgt > 1) {
    stkFinal.AddWgtAvg(res);
    res = stkFinal.fAvg;
    newest->fRes = res;
  }

  if (g == h) {
    res = (stkStart.fAvg + res) * 0.5f;
    newest->fRes = res;
  }
  result = res;
  return true;
}

CRareAvgSet* FindRareAvg(const char* sym, int scopeRegr, int scopeWgt, int respFac,
                         int barType, int extra) {
  if (!sym) return nullptr;
  return g_rareAvgSets.Find(MakeKey(sym, scopeRegr, scopeWgt, respFac, barType, extra));
}

float RareAvg(const char* sym, int scopeRegr, int scopeWgt, float value, int date, int time,
              int respFac, int aux, int barType, int extra, int barId) {
  int stage = 0;
  try {
    bool resend = false;
    if (date < 0) {
      resend = true;
      date = date == INT_MIN ? INT_MAX : -date;
    }
    if (scopeWgt <= 0) {
      scopeWgt = scopeRegr > 12 ? scopeRegr / 3 : scopeRegr / 2;
      if (scopeWgt < 2) scopeWgt = 2;
    }
    if (!sym) return value;

    stage = 2;
    CRareAvgSet* set = FindRareAvg(sym, scopeRegr, scopeWgt, respFac, barType, extra);
    if (!set) {
      auto fresh = std::make_unique<CRareAvgSet>();
      fresh->strSym = sym;
      fresh->nScopeRegr = scopeRegr;
      fresh->nScopeWgt = scopeWgt;
      fresh->nRespFac = respFac;
      fresh->nBarType = barType;
      fresh->nExtra = extra;
      set = fresh.get();
      g_rareAvgSets.Add(MakeKey(sym, scopeRegr, scopeWgt, respFac, barType, extra),
                        fresh.release());
      LogTrace(nullptr, 1, "RareAvg: Initializing Sym=%s, BarType=%d, Len=%d (%p)", sym,
               barType, scopeRegr, static_cast<void*>(set));
    }
    stage = 3;

    if (barId == set->nLastBarId) resend = true;
    if (barType <= 1 && extra == 0 && date != set->nLastDate && set->arrBars.GetSize() > 1)
      set->Reset();

    int repeat = 1;
    int factor = respFac;
    if (respFac >= 100) {
      // A study repeats a bar a few times; a count in the millions would hold the platform
      // for minutes and fill the history with one bar, so it is held to kMaxRepeat.
      repeat = std::min(respFac / 100, kMaxRepeat);
      factor = respFac % 100;
    }

    stage = 4;
    if (resend)
      for (int i = 0; i < repeat && set->arrBars.GetSize() > 0; ++i) set->TakeBack();
    set->nLastBarId = barId;

    float result = kRareAvgNoValue;
    for (int i = 0; i < repeat; ++i) {
      stage = 4;
      set->AddBar(date, time, value);
      stage = 5;
      bool calculated = false;
      try {
        calculated = set->Calculate(factor, result);
      } catch (...) {
        set->TakeBack();  // the bar was not taken in: the next call brings it again
        throw;
      }
      if (!calculated) return kRareAvgNoValue;
    }
    stage = 6;

    if (factor == kLogFactor)
      LogTrace(nullptr, 1,
               "ret = RareAvg(nScopeRegr,nScopeWgt,%11.5ff,%d,%4d,nRespFac,%d,%d,%d); // "
               "RespFac=%d, Res=%11.5f, Bar=%5d",
               value, date, time, aux, barType, extra, kLogFactor, result,
               set->arrBars.GetSize());
    return result;
  } catch (const std::exception& e) {
    LogTrace("RareAvg", 1,
             "RareAvg: Internal Error1 occured Stage=%d (Sym=%s, Val=%f, Date=%d, Time=%d, "
             "Err=%s)",
             stage, sym ? sym : "", value, date, time, e.what());
  } catch (...) {
    LogTrace("RareAvg", 1,
             "RareAvg: Internal Error2 occured Stage=%d (Sym=%s, Val=%f, Date=%d, Time=%d)",
             stage, sym ? sym : "", value, date, time);
  }
  return kRareAvgNoValue;
}
