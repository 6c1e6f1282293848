// The excursion store: adding bars in date-time order and scanning the bars after a start
// bar for the largest moves against its low and its high.

#include "signals/find_gem.h"

#include <memory>
#include <new>

#include "common/settings/trace_log.h"
#include "common/text/text_helpers.h"
#include "hostbridge/entry_frame.h"

namespace {

constexpr const char* kBuildDate = "Apr 15 2015";
constexpr const char* kBuildTime = "10:49:04";
constexpr float kBasisPoints = 10000.0f;

CFindGemDB g_findGemDB;

int Compare(const CXMTDateTimePlain& a, const CXMTDateTimePlain& b) { return a.Compare(&b, 6); }

int DateOf(const CXMTDateTimePlain& dt) {
  return (1900 + dt.year) * 10000 + dt.month * 100 + dt.day;
}

// Decodes the packed mode into the store's settings; the mode after the modulo is the
// result (the trace line shows it before the minimum of 2 is applied).
int DecodeMode(CFindGemDB& db, int mode) {
  long long m = mode;
  db.bSameDay = 1;
  if (m < 0) {
    db.bSameDay = 0;
    m = -m;
  }
  db.bBasisPts = m > 1000 ? 1 : 0;
  m %= 1000;
  db.nScope = m > 2 ? static_cast<int>(m) : 2;
  return static_cast<int>(m);
}

// Keeps the largest positive value seen.
void KeepMax(float& best, float value) {
  if (value > best) best = value;
}

// Against a positive reference price ref: the rise of the bar's high above it and the fall
// of the bar's low below it, in price units or (basis) ten-thousandths of ref, each kept
// when it is the largest so far. A reference of 0 or below gives nothing.
void KeepMoves(float ref, float hi, float lo, bool basis, float& bestRise, float& bestFall) {
  if (!(ref > 0)) return;
  float rise = hi - ref;
  float fall = ref - lo;
  if (basis) {
    rise = rise * kBasisPoints / ref;
    fall = fall * kBasisPoints / ref;
  }
  KeepMax(bestRise, rise);
  KeepMax(bestFall, fall);
}

}  // namespace

CFindGemDB& FindGemStore() { return g_findGemDB; }

void CFindGemDB::Reset() {
  for (int i = 0; i < arrPoints.GetSize(); ++i) delete arrPoints[i];
  arrPoints.RemoveAll();
}

int CFindGemDB::LowerBound(const CXMTDateTimePlain& dt) const {
  int lo = 0, hi = arrPoints.GetSize();
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (Compare(arrPoints[mid]->dtBar, dt) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

int CFindGemDB::Find(const CXMTDateTimePlain& dt) const {
  const int i = LowerBound(dt);
  return i < arrPoints.GetSize() && Compare(arrPoints[i]->dtBar, dt) == 0 ? i : -1;
}

int FindGemAdd(const char* sym, int hostDate, int hostTime, int div, const FindGemValues& values,
               int mode) {
  if (hostDate < kEntryMinHostDate) return -1;
  if (!sym) return -2;
  if (div < 1) return -3;

  CFindGemDB& db = g_findGemDB;
  if (CompareNoCase(sym, db.strSymbol, 1) != 0) {
    db.Reset();
    db.strSymbol = sym;
    const int shown = DecodeMode(db, mode);
    LogTrace("GEMDB_FUNC", 1,
             "LoadDB done, Sym=%s, Date=%d (Mode=%d, I=%d, MaxPt=%d. Scope=%d, Version %s %s)",
             sym, HostDateToFull(hostDate), shown, db.bSameDay, db.arrPoints.GetSize(),
             db.nScope, kBuildDate, kBuildTime);
  }

  CXMTDateTime dt;
  HostToDateTime(hostDate, hostTime, dt);
  const int at = db.LowerBound(dt);
  if (at == db.arrPoints.GetSize() || Compare(db.arrPoints[at]->dtBar, dt) != 0) {
    auto point = std::make_unique<CFindGemPoint>();
    point->dtBar = dt;
    const float scale = static_cast<float>(div);
    for (int i = 0; i < 4; ++i)
      point->arrVal.v[i] = static_cast<float>(values.v[i] ? *values.v[i] : 0) / scale;
    point->arrVal.v[4] = static_cast<float>(values.v[4] ? *values.v[4] : 0);
    // Every chart shares the store, so bars may come out of order: each goes to its sorted
    // place (for an ascending feed that is the end), which keeps the binary search sound.
    // A refused insert (no memory) is an allocation failure for the export's guard; the
    // point is freed and the store stays as it was.
    const int before = db.arrPoints.GetSize();
    db.arrPoints.InsertAt(at, point.get());
    if (db.arrPoints.GetSize() == before) throw std::bad_alloc();
    point.release();
  }
  const int count = db.arrPoints.GetSize();
  LogTrace("FindGem", 0, "Add Max=%4d Idx=%4d", count, count - 1);
  return count;
}

int FindGemCalc(const char* sym, int hostDate, int hostTime, FindGemResult& out) {
  out = FindGemResult();
  if (hostDate < kEntryMinHostDate) return -1;
  if (!sym) return -2;

  const CFindGemDB& db = g_findGemDB;
  CXMTDateTime dt;
  HostToDateTime(hostDate, hostTime, dt);
  const int end = db.Find(dt);
  if (end < 0 || end - db.nScope < 0) return -1;

  const int start = end - db.nScope;
  const CFindGemPoint* ref = db.arrPoints[start];
  const float low0 = ref->arrVal.GetAt(2);
  const float high0 = ref->arrVal.GetAt(1);
  const int refDate = DateOf(ref->dtBar);

  const int last = db.arrPoints.GetSize() - 1;
  for (int i = start + 1; i <= end && i <= last; ++i) {
    const CFindGemPoint* bar = db.arrPoints[i];
    if (db.bSameDay == 1 && DateOf(bar->dtBar) != refDate) break;
    const float hi = bar->arrVal.GetAt(1);
    const float lo = bar->arrVal.GetAt(2);
    KeepMoves(low0, hi, lo, db.bBasisPts != 0, out.longMinus, out.longPlus);
    KeepMoves(high0, hi, lo, db.bBasisPts != 0, out.shortPlus, out.shortMinus);
  }
  LogTrace("FindGem", 0, "ret=%4d, Long=%10.4f+ %10.4f-, Short=%10.4f+ %10.4f-", db.nScope,
           out.longPlus, out.longMinus, out.shortPlus, out.shortMinus);
  return db.nScope;
}
