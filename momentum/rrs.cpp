// The series histories of XMT_RRS and one call over them (see rrs.h).

#include "momentum/rrs.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "common/settings/trace_log.h"
#include "momentum/rrs_row_budget.h"
#include "momentum/rrs_window.h"

namespace {

constexpr float kNoNewestPoint = 1.0e9f;
constexpr int kTraceRespFac = 61;

// The points of one key combination since its last emptying. Only the newest point and the
// window before it are kept: the window holds the last min(scope, n - 1) points but the
// newest, which is all a slope reads.
class RrsHistory {
 public:
  RrsHistory(const RrsArgs& a)
      : scopeKey_(a.scope), respKey_(a.respFac), extraKey_(a.extra), barTypeKey_(a.barType),
        scope_(a.scope < 1 ? 1 : a.scope),
        rowBytes_(TakeRrsRowBudget(scope_)),
        window_(scope_, rowBytes_ > 0 ? RrsWindow::kMaxSortedPoints : 0) {}
  ~RrsHistory() { GiveBackRrsRowBudget(rowBytes_); }
  RrsHistory(const RrsHistory&) = delete;
  RrsHistory& operator=(const RrsHistory&) = delete;

  bool KeepsRows() const { return window_.KeepsRows(); }

  // The key numbers it was made with (other fields zero).
  RrsArgs Key() const {
    RrsArgs a;
    a.scope = scopeKey_;
    a.respFac = respKey_;
    a.barType = barTypeKey_;
    a.extra = extraKey_;
    return a;
  }

  bool Matches(const RrsArgs& a) const {
    return scopeKey_ == a.scope && respKey_ == a.respFac && barTypeKey_ == a.barType &&
           extraKey_ == a.extra;
  }

  float Call(const RrsArgs& a) {
    // Tick and intraday bars restart every day unless nExtra says otherwise.
    if (a.barType <= 1 && a.extra == 0 && a.date != lastDate_ && newestIndex_ >= 1) Empty();
    // The host starting over from the first bar, or a history never dated.
    if (a.date < lastDate_ || lastDate_ <= 0) Empty();
    Append(a.value);
    lastDate_ = a.date;
    if (newestIndex_ < 0) return kNoNewestPoint;

    if (scope_ == 1) return newest_;
    if (newestIndex_ < 2) return 0.0f;
    float r = window_.Slope() * 100;
    if (a.resMode == 2) r = r / newest_ * 1000;
    return r;
  }

  void Empty() {
    window_.Clear();
    lastDate_ = 0;
    newestIndex_ = -1;
  }

 private:
  // The previous newest point moves into the window, which drops its oldest point once it
  // holds the whole scope.
  void Append(float v) {
    if (scope_ >= 2 && newestIndex_ >= 0) {
      if (window_.Size() < window_.MaxSize())
        window_.Push(newest_);
      else
        window_.Slide(newest_);
    }
    newest_ = v;
    ++newestIndex_;
  }

  const int scopeKey_, respKey_, extraKey_, barTypeKey_;
  const int scope_;
  const long long rowBytes_;  // taken from the row budget, given back when freed
  int lastDate_ = 0;
  int newestIndex_ = -1;
  float newest_ = 0;
  RrsWindow window_;
};

size_t KeyHash(const RrsArgs& a) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a over the four key numbers
  for (int v : {a.scope, a.respFac, a.barType, a.extra}) {
    h ^= static_cast<uint32_t>(v);
    h *= 1099511628211ull;
  }
  return static_cast<size_t>(h ^ (h >> 29));
}

// The histories in creation order (freed at unload), and an open-addressing index over them
// so that a call finds its history without walking the list. A key has one history at most.
// The index starts with room for 48 histories at load time and doubles when three quarters
// full, so a new history costs no allocation of the index's own until then.
class RrsHistories {
 public:
  RrsHistories() { slots_.assign(64, nullptr); }

  RrsHistory* Find(const RrsArgs& a) const {
    const size_t mask = slots_.size() - 1;
    for (size_t i = KeyHash(a) & mask;; i = (i + 1) & mask) {
      RrsHistory* h = slots_[i];
      if (!h || h->Matches(a)) return h;
    }
  }

  // Takes h (whose key no history has yet); false when memory fails (h is then freed).
  bool Add(const RrsArgs& a, std::unique_ptr<RrsHistory> h) {
    try {
      if ((list_.size() + 1) * 4 > slots_.size() * 3) Grow();
      list_.push_back(std::move(h));
    } catch (const std::bad_alloc&) {
      return false;
    }
    Place(KeyHash(a), list_.back().get());
    return true;
  }

  size_t Count() const { return list_.size(); }

  void Clear() {
    list_.clear();
    list_.shrink_to_fit();
    std::fill(slots_.begin(), slots_.end(), nullptr);
  }

 private:
  void Place(size_t hash, RrsHistory* h) {
    const size_t mask = slots_.size() - 1;
    size_t i = hash & mask;
    while (slots_[i]) i = (i + 1) & mask;
    slots_[i] = h;
  }

  void Grow() {
    std::vector<RrsHistory*> bigger(slots_.size() * 2, nullptr);
    slots_.swap(bigger);
    for (const auto& h : list_) Place(KeyHash(h->Key()), h.get());
  }

  std::vector<std::unique_ptr<RrsHistory>> list_;
  std::vector<RrsHistory*> slots_;  // a power of two in size
};

RrsHistories g_histories;  // built at load, before the first call

RrsHistory* FindOrCreate(const RrsArgs& a) {
  if (RrsHistory* found = g_histories.Find(a)) return found;
  std::unique_ptr<RrsHistory> h(new (std::nothrow) RrsHistory(a));
  if (!h) return nullptr;
  RrsHistory* added = h.get();
  return g_histories.Add(a, std::move(h)) ? added : nullptr;
}

}  // namespace

float CalcRrs(const RrsArgs& a) {
  RrsHistory* h = FindOrCreate(a);
  if (!h) return a.value;
  float r;
  try {
    r = h->Call(a);
  } catch (...) {
    // The window could not grow (no memory): start the history afresh rather than keep a
    // gap in it.
    h->Empty();
    return a.value;
  }
  if (a.respFac == kTraceRespFac) {
    LogTrace(nullptr, 1,
             "ret = (pFunc)(nScopeRegr,1,%8.2ff,%d,%4d,nRespFac,%d,%d,%d); // RespFac=%d, "
             "Res=%8.2f",
             static_cast<double>(a.value), a.date, a.time, a.aux, a.barType, a.extra,
             kTraceRespFac, static_cast<double>(r));
  }
  return r;
}

void ReleaseRrsHistories() { g_histories.Clear(); }

int RrsHistoryCount() { return static_cast<int>(g_histories.Count()); }

bool RrsHistoryKeepsRows(const RrsArgs& key) {
  const RrsHistory* h = g_histories.Find(key);
  return h && h->KeepsRows();
}
