// The pattern registry: a list of owned CPivPatRec, searched linearly (a study uses one or a
// few patterns), emptied when a calculation starts over and released at unload.
#include "pattern/pattern_registry.h"

#include "common/text/text_helpers.h"
#include "common/settings/trace_log.h"
#include "common/text/typed_ptr_array.h"
#include "pattern/pattern_file.h"

namespace {

class PatternRegistry {
 public:
  ~PatternRegistry() { Clear(); }

  void Clear() {
    for (int i = 0; i < list_.GetSize(); ++i) delete list_[i];
    list_.RemoveAll();
  }

  CPivPatRec* Find(const char* name, const char* id) const {
    for (int i = 0; i < list_.GetSize(); ++i) {
      CPivPatRec* p = list_[i];
      if (CompareNoCase(p->m_Name, name, 1) == 0 && CompareNoCase(p->m_ID, id, 1) == 0) return p;
    }
    return nullptr;
  }

  bool Add(CPivPatRec* p) { return list_.Add(p) >= 0; }
  int Count() const { return list_.GetSize(); }

 private:
  STypedPtrArray<CPivPatRec> list_;
};

PatternRegistry g_patterns;

}  // namespace

CPivPatRec* FindPattern(const char* name, const char* id, CTxt& err) {
  if (!name) name = "";
  if (!id) id = "";
  if (CPivPatRec* found = g_patterns.Find(name, id)) return found;

  auto* p = new CPivPatRec;
  CTxt msg;
  if (LoadPattern(p, name, msg) < 0) {
    err.Format("Load Error Name=%s(%s), (%s)", name, static_cast<const char*>(p->m_FilePath),
               static_cast<const char*>(msg));
    LogTrace("PatRec", 1, "%s", static_cast<const char*>(err));
    delete p;
    return nullptr;
  }
  p->m_ID.SetTxt(id);
  if (!g_patterns.Add(p)) {
    err.Format("Load Error Name=%s(%s), (%s)", name, static_cast<const char*>(p->m_FilePath),
               "Out of memory");
    delete p;
    return nullptr;
  }
  return p;
}

void ClearPatterns() { g_patterns.Clear(); }

int PatternCount() { return g_patterns.Count(); }
