// A process-wide registry of per-instance objects, keyed by the study's ID text.
//
// Each library keeps its instances (bar managers, signal states, ...) in a global
// CInstanceRegistry<T>. IDs compare without regard to case (ASCII letters, as the host's
// single-byte texts), over the whole text. Entries are kept in creation order and indexed by
// a hash of the case-folded ID, so a lookup on every bar costs no allocation and no scan.
//
// Contract:
// - The registry owns its objects: it deletes them (after calling the release function
//   given to Clear, if any) in Clear and in its destructor. Objects are never removed one by
//   one: an object found once stays valid until Clear or unload.
// - Find returns the object first added for the ID (in any letter case), or null.
// - Add does not check for duplicates: callers Find first. A null object is not stored.
// - The key text is copied. Null keys are not accepted (Find gives null, Add stores nothing).
// - Not locked; one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace instance_registry_detail {

inline unsigned char FoldAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

struct FoldedHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const {
    uint64_t h = 1469598103934665603ull;  // FNV-1a over the folded bytes
    for (char c : s) {
      h ^= FoldAscii(static_cast<unsigned char>(c));
      h *= 1099511628211ull;
    }
    return static_cast<size_t>(h);
  }
};

struct FoldedEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
      if (FoldAscii(static_cast<unsigned char>(a[i])) !=
          FoldAscii(static_cast<unsigned char>(b[i])))
        return false;
    }
    return true;
  }
};

}  // namespace instance_registry_detail

template <class T>
class CInstanceRegistry {
 public:
  CInstanceRegistry() = default;
  ~CInstanceRegistry() { Clear(nullptr); }
  CInstanceRegistry(const CInstanceRegistry&) = delete;
  CInstanceRegistry& operator=(const CInstanceRegistry&) = delete;

  T* Find(const char* id) const {
    if (!id) return nullptr;
    auto it = index_.find(std::string_view(id));
    return it == index_.end() ? nullptr : objects_[it->second];
  }

  // Appends obj under id (taking ownership). Result: its position in creation order, or -1.
  int Add(const char* id, T* obj) {
    if (!id || !obj) return -1;
    objects_.push_back(obj);
    int pos = static_cast<int>(objects_.size()) - 1;
    index_.emplace(std::string(id), static_cast<size_t>(pos));  // the first one stays
    return pos;
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
    index_.clear();
  }

 private:
  std::vector<T*> objects_;
  std::unordered_map<std::string, size_t, instance_registry_detail::FoldedHash,
                     instance_registry_detail::FoldedEqual>
      index_;
};
