// The bar manager: construction, bar storage, release, naming and the data folder.
//
// The pivot list operations live in bar_mgr_pivots.cpp, the pivot engine in
// pivot_engine.cpp.

#include "studycore/barmgr/bar_mgr.h"

#include <cstdio>
#include <cstdlib>

#include "common/settings/files.h"
#include "common/settings/reg_string.h"
#include "common/settings/settings.h"

namespace {

constexpr int kListGrowth = 100000;
const char* const kSettingsSection = "BarMgr";

}  // namespace

void CBarMgrAuxBuffer::Free() {
  std::free(block1);
  std::free(block2);
  block1 = nullptr;
  block2 = nullptr;
  size1 = 0;
  size2 = 0;
}

CBarMgr::CBarMgr() {
  m_nPivotLeft = ReadIniInt(kSettingsSection, "PivotLeft", 20);
  m_nPivotRight = ReadIniInt(kSettingsSection, "PivotRight", 20);
  m_nShowBars = ReadIniInt(kSettingsSection, "ShowBars", 400);
  m_nSmoothLen = ReadIniInt(kSettingsSection, "SmoothLen", 0);
  m_nMaxTLAge = ReadIniInt(kSettingsSection, "MaxTLAge", 50);
  m_nMaxPivAge1 = ReadIniInt(kSettingsSection, "MaxPivAge1", 300);
  m_nMaxPivAge2 = ReadIniInt(kSettingsSection, "MaxPivAge2", 60);
  m_Bars.SetSizeInit(0, kListGrowth);
  m_Smoothed.SetSizeInit(0, kListGrowth);
  MakeDataDir();
}

CBarMgr::~CBarMgr() { Release(1); }

int CBarMgr::AddBar(const CXMTDateTime& dt, float open, float high, float low, float close,
                    float volume, int barNumber, int match) {
  int index = -1;
  if (match == 1) {
    int found = FindBarIndex(barNumber);
    CBarMgrData* bar = GetBar(found);
    if (bar) {
      // The host feeds bars again after a recalculation: keep the record unless the bar
      // really changed (its time differs), and then take the new values as they come.
      if (bar->dateTime.Compare(&dt) != 0) {
        bar->dateTime = dt;
        bar->open = open;
        bar->high = high;
        bar->low = low;
        bar->close = close;
        bar->volume = volume;
      }
      index = found;
      m_LastBarDT = bar->dateTime;
    }
  }
  if (index < 0) {
    auto* bar = new CBarMgrData;
    bar->dateTime = dt;
    bar->barNumber = barNumber;
    // Incomplete bars from the host: an open below the low and a missing close.
    bar->open = low > open ? low : open;
    bar->high = high;
    bar->low = low;
    bar->close = close <= 0.0f ? high : close;
    bar->volume = volume;
    index = m_Bars.Add(bar);
    if (index < 0) {  // out of memory: the bar is not kept
      delete bar;
      return -1;
    }
    m_LastBarDT = dt;
  }
  return index;
}

int CBarMgr::GetBarCount() const { return m_pExtBars ? m_nExtBars : m_Bars.GetSize(); }

CBarMgrData* CBarMgr::GetBar(int index) const {
  if (index < 0 || index >= GetBarCount()) return nullptr;
  return m_pExtBars ? &m_pExtBars[index] : m_Bars.GetAt(index);
}

int CBarMgr::FindBarIndex(int barNumber) const {
  if (GetBarCount() <= 0) return -2;
  // Bar numbers start at 1 and the host seldom skips one, so the bar is at n - 1, or at
  // n - 2 when a number was skipped; nothing else is searched.
  // Widened so that the most negative number cannot wrap around to a valid index.
  for (long long index : {barNumber - 1LL, barNumber - 2LL}) {
    if (index < 0) continue;
    const CBarMgrData* bar = GetBar(static_cast<int>(index));
    if (bar && bar->barNumber == barNumber) return static_cast<int>(index);
  }
  return -3;
}

void CBarMgr::Release(int full) {
  if (full) {
    for (int i = 0; i < m_Bars.GetSize(); ++i) delete m_Bars.GetAt(i);
    m_Bars.RemoveAll();
    std::free(m_pExtBars);
    m_pExtBars = nullptr;
    m_nExtBars = 0;
    m_Smoothed.RemoveAll();
    m_Smoothed.SetSizeInit(0, kListGrowth);
    m_Aux.Free();
  }
  for (int i = 0; i < m_Lines.GetSize(); ++i) delete m_Lines.GetAt(i);
  m_Lines.RemoveAll();
  if (m_nCustNotOwned == 0) {
    for (int i = 0; i < m_Custs.GetSize(); ++i) delete m_Custs.GetAt(i);
  }
  m_Custs.RemoveAll();
  for (int i = 0; i < m_Pivots.GetSize(); ++i) delete m_Pivots.GetAt(i);
  m_Pivots.RemoveAll();
  m_nCounter1 = 0;
  m_nCounter2 = 0;
  for (int i = 0; i < m_Dates.GetSize(); ++i) delete m_Dates.GetAt(i);
  m_Dates.RemoveAll();
  for (float& v : m_fValues) v = 0.0f;
  for (void*& p : m_pObjects) p = nullptr;
}

void CBarMgr::SetName(const char* text) {
  if (text && *text) {
    m_Name = text;
    return;
  }
  CTxt typeName;
  GetBarTypeName(m_nBarType, m_nBarInterval, typeName);
  m_Name.Format("BM_%s_%s", static_cast<const char*>(m_Symbol),
                static_cast<const char*>(typeName));
}

void CBarMgr::MakeDataDir() {
  CTxt base;
  GetBaseDir(base);
  // A base folder without a drive letter (a POSIX host) counts as drive C, the host's usual
  // home; host paths on drive C map below the system's root folder there.
  CTxt drive("C:");
  if (base.GetLength() >= 2 && base[1] == ':') drive.Format("%c:", base[0]);
  CTxt value;
  ReadRegString("DRIVE", value, drive, "KorvaMgr", 1);
  // Without a readable registry value the data folder goes to drive C as well.
  char letter = value.GetLength() > 0 ? value[0] : 'C';
  m_DataDir.Format("%c:/%s/%s", letter, "KorvaMgr", "_DATA_");
  MakeDirPath(m_DataDir, 0);
}

void CBarMgr::SetFlag(int bit, int on) {
  if (on)
    m_nFlags |= bit;
  else
    m_nFlags &= ~bit;
}

int FormatBarTypeName(int type, int interval, char* out, int size) {
  if (!out || size <= 0) return -1;
  const char* form = nullptr;
  switch (type) {
    case 0: form = "Tick%04d"; break;
    case 1: form = "Intra%04d"; break;
    case 2: form = "Daily"; break;
    case 3: form = "Weekly"; break;
    case 4: form = "Monthly"; break;
    case 5: form = "PF%04d"; break;
    case 9: form = "KASE%04d"; break;
    case 10: form = "LinBrk%04d"; break;
    case 11: form = "Mom%04d"; break;
    case 12: form = "Range%04d"; break;
    default: break;
  }
  if (!form) {
    snprintf(out, static_cast<size_t>(size), "Invalid BarType %d (Int %d)", type, interval);
    return -1;
  }
  const int n = snprintf(out, static_cast<size_t>(size), form, interval);
  return n < size ? n : size - 1;
}

int GetBarTypeName(int type, int interval, CTxt& out) {
  char name[kBarTypeNameSize];
  const int result = FormatBarTypeName(type, interval, name, sizeof name);
  out = name;
  return result;
}

int DumpBar(const CBarMgrData* bar, CTxt& out, int decimals) {
  if (!bar) {
    out.MakeEmpty();
    return 0;
  }
  const CXMTDateTime& dt = bar->dateTime;
  return out.Format("Bar#%d[%02d/%02d/%04d %02d:%02d]: O=%.*f, H=%.*f, L=%.*f, C=%.*f, Vol=%.0f",
                    static_cast<int>(bar->barNumber), dt.GetMonth(), dt.GetDay(), dt.GetYear(),
                    dt.GetHour(), dt.GetMinute(), decimals, static_cast<double>(bar->open),
                    decimals, static_cast<double>(bar->high), decimals,
                    static_cast<double>(bar->low), decimals, static_cast<double>(bar->close),
                    static_cast<double>(bar->volume));
}
