// The bar manager: the per-instance bar history behind the bar-feeding exports.
//
// A CBarMgr holds one study instance's bars (CBarMgrData), the pivots found in them
// (CBarMgrPivot), a few settings from the section "BarMgr" of the settings file and a flag
// word. The entry frame finds a manager by its ID (bar_mgr_registry.h), feeds it one bar per
// call with AddBar and restarts it with Release when the host starts over. The pivot engine
// (pivot_engine.cpp) reads the bars and keeps the pivot list; pattern evaluation reads the
// pivots. XMT_MOMENTUM compiles the same class and uses the value and object slots.
//
// Contract:
// - The manager owns every bar, pivot, line, date and (unless m_nCustNotOwned is not 0)
//   every CBarMgrCust entry in its lists; records are freed before they are removed.
//   Pointers returned by GetBar / GetPivot / SetPivot stay valid until the record is
//   removed (Release, ConsolidatePivots) or the manager is destroyed.
// - GetBar and GetPivot return null outside their range; nothing else checks indexes.
// - No operation throws, logs (except ConsolidatePivots with the trace bit) or locks.
// - Construction reads the settings (a missing or irregular key is written back) and
//   creates the data folder; the destructor does a full Release.
#pragma once

#include <cstdint>

#include "common/datetime/date_time.h"
#include "common/text/ptr_array.h"
#include "common/text/txt.h"
#include "common/text/typed_ptr_array.h"
#include "hostbridge/slot_block.h"

// Flag-word bits (masks).
inline constexpr int kBarMgrFilterBit = 0x02;  // same-direction pivot filter (pivot engine)
inline constexpr int kBarMgrTraceBit = 0x08;   // log pivot consolidations

// The records keep their field order but natural alignment: packed records would put the
// prices at odd addresses, and every caller that binds a price to a reference (std::max,
// test macros) would read misaligned memory. Nothing stores or passes these records in
// binary form.

// One bar.
struct CBarMgrData {
  CXMTDateTime dateTime;  // seconds 0
  int32_t barNumber = 0;  // as given when the bar was stored
  float open = 0.0f;
  float high = 0.0f;
  float low = 0.0f;
  float close = 0.0f;
  float volume = 0.0f;
};

// One pivot.
struct CBarMgrPivot {
  float price = 0.0f;     // the bar's high for a pivot high, its low for a pivot low
  int32_t bar = -1;       // bar index of the pivot bar
  int8_t direction = 0;   // +1 high, -1 low
  int32_t type = 0;       // strength class; the pivot engine records 2
  uint8_t exp = 0;
  uint8_t show = 0;

  // "Bar=%5u, Prc=%9.4f, Dir=%c%d, Type=%d, Exp=%d, Show=%d". Result: the text's length.
  int Describe(CTxt& out) const;
};

// Drawn lines and custom entries: created and emptied only; nothing fills them yet.
class CBarMgrLine {};
class CBarMgrCust {};

// Two owned memory blocks and their sizes; freed by a full Release.
struct CBarMgrAuxBuffer {
  void* block1 = nullptr;
  int size1 = 0;
  void* block2 = nullptr;
  int size2 = 0;
  void Free();
};

class alignas(64) CBarMgr {
 public:
  CBarMgr();
  ~CBarMgr();
  CBarMgr(const CBarMgr&) = delete;
  CBarMgr& operator=(const CBarMgr&) = delete;

  // --- bars --------------------------------------------------------------------------
  // Stores a bar. match == 1: a bar found by FindBarIndex(barNumber) is overwritten with
  // the new values as given when its date-time differs, and left alone when it is equal.
  // Otherwise (or when none is found) a new record is appended, with open raised to low
  // when low is above it and a close of 0 or less replaced by high. Either way the bar's
  // date-time becomes the last bar date-time. Result: the bar's index.
  int AddBar(const CXMTDateTime& dt, float open, float high, float low, float close,
             float volume, int barNumber, int match);
  // The external block's count when one is set, else the number of bars in the list.
  int GetBarCount() const;
  // Bar record at index, or null when index is negative or not below GetBarCount().
  CBarMgrData* GetBar(int index) const;
  // Index of bar number n, looked for at n - 1 and n - 2 only: -2 no bars, -3 not found.
  int FindBarIndex(int barNumber) const;

  // Full: also deletes every bar and forgets the external block, the smoothed values and
  // the auxiliary buffer. Always: deletes every line, custom entry, pivot and date, zeroes
  // the pivot counters and the value and object slots.
  void Release(int full);

  // A non-empty text becomes the name; empty or null gives "BM_<symbol>_<bar type name>".
  void SetName(const char* text);
  // Builds the data folder "<drive>:/KorvaMgr/_DATA_" from the registry value "DRIVE" of
  // the key "KorvaMgr" (created with the base folder's drive when missing) and creates it.
  void MakeDataDir();
  void SetFlag(int bit, int on);

  // The object slots as the owner's type: slot i (0..9) as a T*, null when empty. The
  // manager never owns or frees what they point to (Release only forgets it).
  template <class T>
  T* GetObjectSlot(int i) const { return static_cast<T*>(m_pObjects[i]); }
  void SetObjectSlot(int i, void* object) { m_pObjects[i] = object; }
  bool HasFlag(int bit) const { return (m_nFlags & bit) != 0; }

  // --- pivots (kept sorted by bar, then direction) --------------------------------------
  int GetPivotCount() const { return m_Pivots.GetSize(); }
  CBarMgrPivot* GetPivot(int index) const;
  // Records a pivot on bar index `bar`. A pivot already on that bar whose type is at least
  // `type` is returned unchanged; otherwise it (or a new record) gets price, bar, direction
  // (-1 when negative, else +1) and type. A bar holds one pivot at most. A new record goes
  // at the end of the list: call SortPivots before relying on the order again.
  CBarMgrPivot* SetPivot(int bar, float price, int direction, int type);
  // Newest pivot of `direction`, walking back from the newest; adjacent == 1 stops (null) at
  // the first pivot of another direction.
  CBarMgrPivot* FindPivotBack(int direction, int adjacent) const;
  // Newest pivot whose direction differs from `direction`.
  CBarMgrPivot* FindOppositePivot(int direction) const;
  void SortPivots();

  // --- pivot engine (pivot_engine.cpp) --------------------------------------------------
  // 1 pivot (value written when not null), 0 not a pivot, -1 no bar at index, -2 not enough
  // bars on the left. direction >= 1 tests highs, below 1 lows. Ties on the right count as
  // a pivot, ties on the left do not.
  int IsPivot(int index, int direction, int left, int right, float* value) const;
  // Tests the bar `right` bars before bar index `current` (lows first) and records a pivot
  // found there, honouring the filter bit. Result: the pivot recorded or found, or null.
  CBarMgrPivot* CalcPivot(int current, int left, int right);
  // Drops the second newest pivot when it has the newest one's direction, writing its four
  // fields into out (bars since counted from `current`). 1 dropped, 0 nothing to do,
  // -1 no pivots, -2 only one pivot.
  int ConsolidatePivots(int current, SlotBlock out);
  // Writes bars since (current - bar), price, direction and bar index into slots 0-3 of out.
  static void WritePivotSlots(const CBarMgrPivot& pivot, int current, SlotBlock out);

  // --- state ---------------------------------------------------------------------------
  // The record is aligned to a cache line and the fields a bar call reads come first: the
  // bar number, flag word, last date-time, external block and bar list share the first
  // line (every bar-feeding call), the owner's value and object slots the second (XMT_UTC),
  // and the pivot list starts the fourth (the pivot engine). Settings, names and the
  // lists nothing fills follow. A field added in front of them costs every call a line.
  int m_nLastBarNumber = -1;  // entry frame; XMT_MOMENTUM's bar count
  int m_nFlags = 0;           // kBarMgrFilterBit, kBarMgrTraceBit
  CXMTDateTime m_LastBarDT;   // date-time of the bar last stored or matched

 private:
  // Set when SetPivot appends a record that belongs before the newest one; cleared by
  // SortPivots. While it is clear the pivot list is in order, which lets SetPivot search
  // from the newest end and SortPivots return at once: a new pivot costs no pass over the
  // whole history.
  bool m_bPivotsOutOfOrder = false;

 public:
  int m_nExtBars = 0;
  CBarMgrData* m_pExtBars = nullptr;  // external bar block (owned when set)
  STypedPtrArray<CBarMgrData> m_Bars;
  float m_fValues[10] = {};   // free for the owner; zeroed by every Release
  void* m_pObjects[10] = {};  // not owned; free for the owner; zeroed by every Release
  int m_nCounter1 = 0;        // reset when the pivots are released
  int m_nCounter2 = 0;
  STypedPtrArray<CBarMgrPivot> m_Pivots;

  int m_nMaxTLAge = 50;       // "MaxTLAge"   } settings read at construction and kept;
  int m_nMaxPivAge1 = 300;    // "MaxPivAge1" } no computation reads them
  int m_nMaxPivAge2 = 60;     // "MaxPivAge2" }
  int m_nPivotLeft = 20;      // "PivotLeft"  }
  int m_nPivotRight = 20;     // "PivotRight" }
  int m_nShowBars = 400;      // "ShowBars"   }
  int m_nSmoothLen = 0;       // "SmoothLen"  }
  int m_nBarType = 99;        // no type
  int m_nBarInterval = 0;
  CTxt m_Symbol;
  CTxt m_DataDir;
  STypedPtrArray<CXMTDateTime> m_Dates;
  CTxt m_Name;
  STypedPtrArray<CBarMgrLine> m_Lines;
  STypedPtrArray<CBarMgrCust> m_Custs;
  SFltArray m_Smoothed;
  CBarMgrAuxBuffer m_Aux;
  int m_nCustNotOwned = 0;  // not 0: the custom entries belong to someone else

  // --- kept with their initial values; nothing reads them --------------------------------
  CTxt m_Reserved1;
  CTxt m_Reserved2;
  int m_nMisc[5] = {1, 0, -1, 0, 1};
  CTxt m_Text;
  int m_nMisc2 = 0;
  CXMTDateTime m_DT1;
  CXMTDateTime m_DT2;
  int m_nMisc3[2] = {0, 0};
  int m_nMisc4 = -1;
};

// Free functions ---------------------------------------------------------------------------

// Bar type text ("Tick%04d", "Intra%04d", "Daily", ...). Result: the text's length, or -1
// with "Invalid BarType %d (Int %d)" for a type without a text.
int GetBarTypeName(int type, int interval, CTxt& out);
// The same into a caller's buffer, without allocating (for per-bar use); the text is cut to
// size - 1 characters. kBarTypeNameSize holds every text whatever the numbers. A null or
// empty buffer gives -1.
inline constexpr int kBarTypeNameSize = 48;
int FormatBarTypeName(int type, int interval, char* out, int size);

// "Bar#%d[%02d/%02d/%04d %02d:%02d]: O=..., H=..., L=..., C=..., Vol=%.0f" with the prices
// to `decimals` places. A null bar gives an empty text. Result: the text's length.
int DumpBar(const CBarMgrData* bar, CTxt& out, int decimals);
