// CCalcStack: the ring, its adds, weights, step-back and median (see calc_stack.h).

#include "studycore/calc_stack.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

#include "common/settings/trace_log.h"

namespace {

constexpr int kMaxStackLength = 1000000;
constexpr const char* kCategory = "VozoReru";

float* NewTable(int n) { return static_cast<float*>(malloc(sizeof(float) * static_cast<size_t>(n))); }

}  // namespace

void CCalcStack::Free() {
  free(pVal);
  free(pWgt);
  pVal = nullptr;
  pWgt = nullptr;
  bWeighted = 0;
  nCount = 0;
  nSize = 0;
  nLength = 0;
}

int CCalcStack::SetLength(int n) {
  if (pVal == nullptr || n <= 0 || static_cast<uint32_t>(n) != nLength) {
    const int32_t weighted = bWeighted;
    Free();
    bWeighted = weighted;
    if (n <= 0) return 1;  // emptied, not initialised
    if (n > kMaxStackLength) {
      LogTrace(kCategory, 0, "Excessive Stack Length: %d", n);
      return 0;
    }
    pVal = NewTable(n);
    if (pVal == nullptr) {
      LogTrace(kCategory, 0, "Out of Memory (Max=%d)", n);
      return 0;
    }
    if (bWeighted == 1 && pWgt == nullptr) {
      pWgt = NewTable(n);
      if (pWgt == nullptr) {
        LogTrace(kCategory, 0, "Out of Memory (MaxWgt=%d)", n);
        // Without its weights the stack does not count as initialised: drop the values
        // too, so that no add can write into a ring whose size was never set.
        Free();
        bWeighted = weighted;
        return 0;
      }
    }
  }
  std::fill(pVal, pVal + n, 0.0f);
  if (pWgt != nullptr) std::fill(pWgt, pWgt + n, 0.0f);
  nLength = nSize = static_cast<uint32_t>(n);
  nPos = 0;
  nCount = 0;
  return 1;
}

bool CCalcStack::StoreValue(float x, const char* op) {
  if (pVal == nullptr) {
    LogTrace(kCategory, 0, "%s: Stack not initialized", op);
    return false;
  }
  if (nCount == 0) fMax = fMin = x;
  if (x > fMax) fMax = x;
  if (x < fMin) fMin = x;
  if (nPos >= nSize && nSize != 0) nPos = 0;
  pVal[nPos] = x;
  ++nPos;
  if (nCount < nSize) ++nCount;
  return true;
}

int CCalcStack::Add(float x) { return StoreValue(x, "Add") ? 1 : 0; }

int CCalcStack::AddMA(float x) {
  if (!StoreValue(x, "AddMA")) return 0;
  float sum = 0.0f;
  for (uint32_t i = 0; i < nCount; ++i) sum += pVal[i];
  fAvg = sum / static_cast<float>(nCount);
  return 1;
}

int CCalcStack::AddEMA(float x) {
  if (!StoreValue(x, "AddEMA")) return 0;
  if (nCount == 1) {
    fAvg = x;
  } else {
    const float factor = 2.0f / static_cast<float>(nLength + 1);
    fAvg = fAvg + factor * (x - fAvg);
  }
  return 1;
}

int CCalcStack::AddWgtAvg(float x) {
  if (!StoreValue(x, "AddWgtAvg")) return 0;
  float weighted = 0.0f, weights = 0.0f;
  int64_t at = nPos;
  for (uint32_t k = 0; k < nCount; ++k) {
    if (--at < 0) at = static_cast<int64_t>(nCount) - 1;
    float w = 1.0f;
    // Weights of 0 or below count as 1; one that is not a number stays and shows in fAvg.
    if (pWgt != nullptr && !(pWgt[k] <= 0.0f)) w = pWgt[k];
    weighted += w * pVal[at];
    weights += w;
  }
  fAvg = weighted / weights;
  return 1;
}

int CCalcStack::SetWeight(float w, int index) {
  if (index < 0 || static_cast<uint32_t>(index) >= nLength) return 0;
  if (pWgt == nullptr) {
    pWgt = NewTable(static_cast<int>(nLength));
    if (pWgt == nullptr) {
      LogTrace(kCategory, 0, "Out of Memory (MaxWgt=%d)", static_cast<int>(nLength));
      return 0;
    }
    std::fill(pWgt, pWgt + nLength, 0.0f);
  }
  if (bWeighted == 0) std::fill(pWgt, pWgt + nLength, 0.0f);
  pWgt[index] = w;
  return 1;
}

int CCalcStack::Rewind(int k) {
  if (pVal == nullptr) return -1;
  if (nCount == 0) return -2;
  if (k > static_cast<int>(nCount)) k = static_cast<int>(nCount);
  for (int i = 0; i < k; ++i) {
    if (nPos >= nSize && nSize != 0) nPos = 0;
    int64_t at = static_cast<int64_t>(nPos) - 1;
    if (at < 0) at += nCount;
    nPos = static_cast<uint32_t>(at);
    pVal[nPos] = 0.0f;
  }
  return 0;
}

float CCalcStack::Median() {
  if (nCount == 0 || pVal == nullptr) return 0.0f;
  if (nCount == 1) return pVal[0];
  // Numbers ascending, every NaN after them: a strict weak order even with NaN present,
  // and the plain ascending order when there is none.
  std::sort(pVal, pVal + nCount, [](float a, float b) {
    if (std::isnan(b)) return !std::isnan(a);
    return a < b;
  });
  const uint32_t n = nCount;
  if (n % 2 == 1) return pVal[n / 2];
  return (pVal[n / 2 - 1] + pVal[n / 2]) * 0.5f;
}

int SetLengthOrThrow(CCalcStack& stack, int n) {
  const int result = stack.SetLength(n);
  if (result == 0 && n >= 1 && n <= kMaxStackLength) throw std::bad_alloc();
  return result;
}
