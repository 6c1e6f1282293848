// Reading and writing the caller's blocks of 8-byte slots.
//
// Studies hand result and parameter blocks to the libraries as arrays of 8-byte slots; each
// slot carries a single-precision value in its first four bytes. Whatever the caller keeps in
// the other four bytes is its own business: this helper never reads or writes them. All
// access goes through memcpy, so the block needs no particular alignment.
//
// Contract:
// - A SlotBlock wraps a caller's pointer and never owns it. A null block is allowed: Set
//   does nothing and Get returns the given fallback, so an export never crashes on a null
//   block.
// - Slot numbers are not checked against the caller's array: the caller promises a block
//   large enough for the slots the export documents.
#pragma once

#include <climits>
#include <cstddef>
#include <cstring>

inline constexpr int kSlotBytes = 8;

// A value from a caller's block or the host used as a whole number: truncated toward zero,
// NaN reads as 0 and values beyond the int range as its ends, so no conversion is undefined.
inline int TruncToIntSaturated(double v) {
  if (v != v) return 0;
  if (v >= 2147483647.0) return INT_MAX;
  if (v <= -2147483648.0) return INT_MIN;
  return static_cast<int>(v);
}

class SlotBlock {
 public:
  SlotBlock() = default;
  explicit SlotBlock(void* base) : base_(static_cast<unsigned char*>(base)) {}

  bool IsNull() const { return base_ == nullptr; }

  // A view that starts `first` slots further on (null stays null).
  SlotBlock From(int first) const {
    return base_ ? SlotBlock(base_ + static_cast<std::ptrdiff_t>(first) * kSlotBytes) : SlotBlock();
  }

  // Stores value into the first four bytes of slot i.
  void Set(int i, float value) const {
    if (base_) std::memcpy(base_ + static_cast<std::ptrdiff_t>(i) * kSlotBytes, &value, sizeof value);
  }

  // The value in the first four bytes of slot i, or fallback for a null block.
  float Get(int i, float fallback = 0.0f) const {
    if (!base_) return fallback;
    float value;
    std::memcpy(&value, base_ + static_cast<std::ptrdiff_t>(i) * kSlotBytes, sizeof value);
    return value;
  }

 private:
  unsigned char* base_ = nullptr;
};
