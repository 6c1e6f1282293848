// Buy/sell pressure: the instances behind XMT_BSP and XMT_BSPCalc.
//
// A bar's up and down ticks give a signed pressure between -1 and +1, weighted by the bar's
// volume against its recent average; each instance keeps running averages of the weighted
// pressure, of its buying and selling sides and of the volume. XMT_BSP finds or creates the
// instance of its key, binds the study's array "arrBSP" and its tick series through the
// study object, re-sizes the averages when the host starts over, and once per bar feeds
// the bar's ticks and writes the pressure and the averages into the array (the element
// layout is in signals/xmt_signals.h).
//
// Contract:
// - Instances live in one registry for the life of the library; a key is found again in
//   any letter case.
// - Host references: the array and the two series an instance binds come through out
//   parameters and are kept across calls (the instance holds those references). A binding
//   is dropped, and its reference released, only when a host call fails (result -9); an
//   array that fails its checks is released at once and asked for again on the next call.
//   At library unload nothing is released: the host may be gone by then.
// - Results and error texts as XMT_BSP documents them; every error except -2 goes through
//   one reporter that logs "sendError: <text>" and copies the text into the caller's
//   buffer, bounded by XMT_SIGNALS_ERR_BUF_SIZE. Nothing escapes: a failing host call, or
//   anything else thrown, ends in the catch-all.
// - BSPCalc checks nothing beyond a null instance or result pointer; all arithmetic is
//   single precision.
#pragma once

#include "common/text/txt.h"
#include "studycore/calc_stack.h"

struct IHostStudy;
struct IHostVariable;
struct IHostNumSeries;

class CBSPSet {
 public:
  CBSPSet() = default;
  // Frees the averages; keeps the host references (see the contract above).
  ~CBSPSet();
  CBSPSet(const CBSPSet&) = delete;
  CBSPSet& operator=(const CBSPSet&) = delete;

  CTxt strID;
  int nLastBar = -1;
  CCalcStack stkVol;
  CCalcStack stkBSP;
  CCalcStack stkBuy;
  CCalcStack stkSell;
  IHostVariable* pArrBSP = nullptr;
  IHostNumSeries* pUpTicks = nullptr;
  IHostNumSeries* pDownTicks = nullptr;

  // Drops the three host bindings, releasing the references held.
  void DropBindings();
};

// Results of BSP.
inline constexpr int kBspReady = 0;
inline constexpr int kBspInitError = -1;
inline constexpr int kBspNullName = -2;
inline constexpr int kBspUpTicksMissing = -3;
inline constexpr int kBspDownTicksMissing = -4;
inline constexpr int kBspArrayMissing = -6;
inline constexpr int kBspArrayDims = -7;
inline constexpr int kBspArraySize = -8;
inline constexpr int kBspHostFailure = -9;

// Elements of "arrBSP".
inline constexpr int kBspArrayMinSize = 10;
inline constexpr int kBspElemPressure = 0;
inline constexpr int kBspElemAvgPressure = 1;
inline constexpr int kBspElemAvgLen = 2;
inline constexpr int kBspElemVolLen = 3;
inline constexpr int kBspElemStyle = 4;
inline constexpr int kBspElemAvgBuy = 5;
inline constexpr int kBspElemAvgSell = 6;
inline constexpr int kBspElemAvgVolume = 7;

int BSP(const char* name, int key1, int key2, char* symErr, IHostStudy* study);
// One bar on an instance; the weighted pressure goes to *pressure. Always 0.
int BSPCalc(CBSPSet* set, float up, float down, int style, float* pressure);

// The instance of a key, or null (for tests).
CBSPSet* FindBSPSet(const char* key);
// Number of instances (for tests).
int BSPSetCount();
