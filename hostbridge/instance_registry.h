// A process-wide registry of per-instance objects, keyed by the study's ID text.
//
// Each library keeps its instances (bar managers, signal states, ...) in a global
// CInstanceRegistry<T>. IDs compare without regard to case (ASCII letters, as the host's
// single-byte texts), over the whole text. Entries are kept in creation order and indexed by
// a hash of the case-folded ID (CFoldedKeyIndex), so a lookup on every bar costs no
// allocation and no scan.
//
// Contract:
// - The registry owns its objects: it deletes them (after calling the release function
//   given to Clear, if any) in Clear and in its destructor. Objects are never removed one by
//   one: an object found once stays valid until Clear or unload.
// - Find returns the object first added for the ID (in any letter case), or null.
// - Add does not check for duplicates: callers Find first. A null object is not stored.
// - Add either stores the object or leaves the registry as it was: when memory fails it
//   deletes the object and throws std::bad_alloc, so nothing is lost and no half-added
//   entry (listed but not found) stays behind.
// - The key text is copied. Null keys are not accepted (Find gives null, Add stores nothing).
// - Not locked; one thread at a time.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "hostbridge/folded_key_index.h"

template <class T>
class CInstanceRegistry {
 public:
  CInstanceRegistry() = default;
  ~CInstanceRegistry() { Clear(nullptr); }
  CInstanceRegistry(const CInstanceRegistry&) = delete;
  CInstanceRegistry& operator=(const CInstanceRegistry&) = delete;

  T* Find(const char* id) const {
    if (!id) return nullptr;
    return index_.Find(std::string_view(id));
  }

  // Appends obj under id (taking ownership). Result: its position in creation order, or -1
  // (nothing stored, obj stays the caller's) for a null id or object.
  int Add(const char* id, T* obj) {
    if (!id || !obj) return -1;
    std::unique_ptr<T> owned(obj);
    if (objects_.size() == objects_.capacity())
      objects_.reserve(objects_.empty() ? 16 : objects_.size() * 2);
    index_.Insert(std::string_view(id), obj);  // the first one stays; all or nothing
    objects_.push_back(owned.release());        // cannot fail: the room is reserved
    return static_cast<int>(objects_.size()) - 1;
  }

  int GetCount() const { return static_cast<int>(objects_.size()); }
  T* GetAt(int i) const {
    return i >= 0 && i < GetCount() ? objects_[static_cast<size_t>(i)] : nullptr;
  }

  // Calls release (when given) on every object, deletes it, and empties the registry.
  void Clear(void (*release)(T*)) {
    for (T* obj : objects_) {
      if (release) release(obj);
      delete obj;
    }
    objects_.clear();
    index_.Clear();
  }

 private:
  std::vector<T*> objects_;
  CFoldedKeyIndex<T> index_;
};
