// A hash index from ID texts, compared without regard to ASCII letter case, to objects.
//
// The instance registries look an instance up on every bar, and a trader may run thousands
// of instances, so a lookup should touch as little memory as possible. The index is one
// flat table with open addressing (linear probing, a power-of-two size kept at most half
// full). Each slot is one 64-byte cache line holding the full 64-bit hash of the folded key,
// the object, and the key text itself when it is short (up to kInlineKeyBytes; longer keys
// are copied once to the heap and the slot points at the copy). A lookup compares the
// stored hash before any text, so it usually reads a single slot before the object.
//
// Contract:
// - Find returns the object stored under the key (in any letter case), or null.
// - Insert stores key -> obj unless the key is already present, in which case the first
//   object stays. Null objects (and keys of 4 GiB or more) are not stored. The key text is
//   copied.
// - Clear forgets every key (the objects are not the index's to delete).
// - Not locked; one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace folded_key {

inline unsigned char FoldAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// FNV-1a over the folded bytes.
inline uint64_t Hash(std::string_view s) {
  uint64_t h = 1469598103934665603ull;
  for (char c : s) {
    h ^= FoldAscii(static_cast<unsigned char>(c));
    h *= 1099511628211ull;
  }
  return h;
}

inline bool Equal(const char* a, std::string_view b) {
  for (size_t i = 0; i < b.size(); ++i) {
    if (FoldAscii(static_cast<unsigned char>(a[i])) != FoldAscii(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace folded_key

template <class T>
class CFoldedKeyIndex {
 public:
  static constexpr size_t kInlineKeyBytes = 36;

  T* Find(std::string_view key) const {
    if (slots_.empty()) return nullptr;
    const uint64_t hash = folded_key::Hash(key);
    for (size_t i = hash & Mask();; i = (i + 1) & Mask()) {
      const Slot& s = slots_[i];
      if (!s.obj) return nullptr;
      if (s.hash == hash && s.length == key.size() && folded_key::Equal(KeyOf(s), key))
        return s.obj;
    }
  }

  void Insert(std::string_view key, T* obj) {
    if (!obj || key.size() > UINT32_MAX) return;
    if ((count_ + 1) * 2 > slots_.size()) Grow();
    const uint64_t hash = folded_key::Hash(key);
    size_t i = hash & Mask();
    for (;; i = (i + 1) & Mask()) {
      const Slot& s = slots_[i];
      if (!s.obj) break;
      if (s.hash == hash && s.length == key.size() && folded_key::Equal(KeyOf(s), key))
        return;  // the first object stays the one found
    }
    Slot& s = slots_[i];
    if (key.size() <= kInlineKeyBytes) {
      std::memcpy(s.inlineKey, key.data(), key.size());
    } else {
      std::unique_ptr<char[]> copy(new char[key.size()]);
      std::memcpy(copy.get(), key.data(), key.size());
      longKeys_.push_back(std::move(copy));
      s.longKey = longKeys_.back().get();
    }
    s.hash = hash;
    s.length = static_cast<uint32_t>(key.size());
    s.obj = obj;  // last: the slot counts as taken only when it is complete
    ++count_;
  }

  void Clear() {
    slots_.clear();
    slots_.shrink_to_fit();
    longKeys_.clear();
    count_ = 0;
  }

 private:
  struct alignas(64) Slot {
    uint64_t hash = 0;
    T* obj = nullptr;  // null: an empty slot
    const char* longKey = nullptr;  // the heap copy of a key longer than kInlineKeyBytes
    uint32_t length = 0;
    char inlineKey[kInlineKeyBytes] = {};
  };
  static_assert(sizeof(Slot) == 64, "one slot, one cache line");

  static const char* KeyOf(const Slot& s) {
    return s.length <= kInlineKeyBytes ? s.inlineKey : s.longKey;
  }
  size_t Mask() const { return slots_.size() - 1; }

  // Doubles the table (16 slots at first) and puts every slot where it now belongs. The new
  // table is complete before it replaces the old one, so a failed allocation loses nothing.
  void Grow() {
    std::vector<Slot> bigger(slots_.empty() ? 16 : slots_.size() * 2);
    const size_t mask = bigger.size() - 1;
    for (const Slot& s : slots_) {
      if (!s.obj) continue;
      size_t i = s.hash & mask;
      while (bigger[i].obj) i = (i + 1) & mask;
      bigger[i] = s;
    }
    slots_.swap(bigger);
  }

  std::vector<Slot> slots_;
  std::vector<std::unique_ptr<char[]>> longKeys_;
  size_t count_ = 0;
};
