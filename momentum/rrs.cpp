// The series histories of XMT_RRS and one call over them (see rrs.h).

#include "momentum/rrs.h"

#include <memory>
#include <new>
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

// Creation order; freed at unload.
std::vector<std::unique_ptr<RrsHistory>>& Histories() {
  static std::vector<std::unique_ptr<RrsHistory>> list;
  return list;
}

RrsHistory* FindOrCreate(const RrsArgs& a) {
  auto& list = Histories();
  for (auto& h : list)
    if (h->Matches(a)) return h.get();
  std::unique_ptr<RrsHistory> h(new (std::nothrow) RrsHistory(a));
  if (!h) return nullptr;
  try {
    list.push_back(std::move(h));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  return list.back().get();
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
  auto& list = Histories();
  list.clear();
  list.shrink_to_fit();
}

int RrsHistoryCount() { return static_cast<int>(Histories().size()); }
