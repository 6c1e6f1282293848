// The series histories of XMT_RRS and one call over them (see rrs.h).

#include "momentum/rrs.h"

#include <cstdint>
#include <memory>
#include <new>
#include <unordered_map>
#include <vector>

#include "common/settings/trace_log.h"
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
        scope_(a.scope < 1 ? 1 : a.scope), window_(scope_) {}

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
  int lastDate_ = 0;
  int newestIndex_ = -1;
  float newest_ = 0;
  RrsWindow window_;
};

// The four numbers that key a history.
struct RrsKey {
  int scope, respFac, barType, extra;
  bool operator==(const RrsKey&) const = default;
};

struct RrsKeyHash {
  size_t operator()(const RrsKey& k) const {
    uint64_t h = 1469598103934665603ull;  // FNV-1a over the four numbers
    for (int v : {k.scope, k.respFac, k.barType, k.extra}) {
      h ^= static_cast<uint32_t>(v);
      h *= 1099511628211ull;
    }
    return static_cast<size_t>(h);
  }
};

// The histories in creation order (freed at unload), and an index by key so that a call
// finds its history without walking the list. A key has one history at most.
struct RrsHistories {
  std::vector<std::unique_ptr<RrsHistory>> list;
  std::unordered_map<RrsKey, RrsHistory*, RrsKeyHash> index;
};

RrsHistories& Histories() {
  static RrsHistories histories;
  return histories;
}

RrsHistory* FindOrCreate(const RrsArgs& a) {
  RrsHistories& all = Histories();
  const RrsKey key{a.scope, a.respFac, a.barType, a.extra};
  auto found = all.index.find(key);
  if (found != all.index.end()) return found->second;
  std::unique_ptr<RrsHistory> h(new (std::nothrow) RrsHistory(a));
  if (!h) return nullptr;
  RrsHistory* added = h.get();
  try {
    all.list.push_back(std::move(h));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  try {
    all.index.emplace(key, added);
  } catch (const std::bad_alloc&) {
    all.list.pop_back();  // a history the index cannot find must not stay
    return nullptr;
  }
  return added;
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

void ReleaseRrsHistories() {
  RrsHistories& all = Histories();
  all.index.clear();
  all.list.clear();
  all.list.shrink_to_fit();
}

int RrsHistoryCount() { return static_cast<int>(Histories().list.size()); }
