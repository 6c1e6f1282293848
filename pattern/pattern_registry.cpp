// The pattern registry: a list of owned CPivPatRec in creation order with a hash index over
// (name, ID), so that a lookup on every bar stays one probe however many study instances
// hold patterns; emptied when a calculation starts over and released at unload.
#include "pattern/pattern_registry.h"

#include <memory>
#include <string>
#include <string_view>

#include "common/settings/trace_log.h"
#include "common/text/typed_ptr_array.h"
#include "hostbridge/folded_key_index.h"
#include "pattern/pattern_file.h"

namespace {

class PatternRegistry {
 public:
  ~PatternRegistry() { Clear(); }

  void Clear() {
    index_.Clear();
    for (int i = 0; i < list_.GetSize(); ++i) delete list_[i];
    list_.RemoveAll();
  }

  // The first pattern added whose name and ID equal these, without regard to ASCII case.
  CPivPatRec* Find(const char* name, const char* id) const {
    return index_.Find(Key(name, id));
  }

  // Appends p, indexed by its own name and ID: all or nothing (false, or std::bad_alloc
  // with the registry as it was).
  bool Add(CPivPatRec* p) {
    const std::string_view key = Key(p->m_Name, p->m_ID);
    const int at = list_.Add(p);
    if (at < 0) return false;
    try {
      index_.Insert(key, p);
    } catch (...) {
      list_.RemoveAt(at);
      throw;
    }
    return true;
  }
  int Count() const { return list_.GetSize(); }

 private:
  // Name and ID joined by a zero byte, which neither text can hold, so the pair is one key.
  std::string_view Key(const char* name, const char* id) const {
    key_.assign(name);
    key_.push_back('\0');
    key_.append(id);
    return key_;
  }

  STypedPtrArray<CPivPatRec> list_;
  CFoldedKeyIndex<CPivPatRec> index_;
  mutable std::string key_;  // keeps its capacity: no allocation per bar
};

PatternRegistry g_patterns;

}  // namespace

CPivPatRec* FindPattern(const char* name, const char* id, CTxt& err) {
  if (!name) name = "";
  if (!id) id = "";
  if (CPivPatRec* found = g_patterns.Find(name, id)) return found;

  auto owned = std::make_unique<CPivPatRec>();
  CPivPatRec* p = owned.get();
  CTxt msg;
  if (LoadPattern(p, name, msg) < 0) {
    err.Format("Load Error Name=%s(%s), (%s)", name, static_cast<const char*>(p->m_FilePath),
               static_cast<const char*>(msg));
    LogTrace("PatRec", 1, "%s", static_cast<const char*>(err));
    return nullptr;
  }
  if (p->m_ID.SetTxt(id) < 0 || !g_patterns.Add(p)) {
    err.Format("Load Error Name=%s(%s), (%s)", name, static_cast<const char*>(p->m_FilePath),
               "Out of memory");
    return nullptr;
  }
  return owned.release();
}

void ClearPatterns() { g_patterns.Clear(); }

int PatternCount() { return g_patterns.Count(); }
