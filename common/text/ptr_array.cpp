// SPtrArray, SFltArray and SIntArray: slot block management, growth, insertion, removal
// and sorting.
#include "common/text/ptr_array.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Growth steps of at least this many slots (64 KB), larger than the block they grow, take a
// fresh zeroed block.
constexpr int kFreshBlockSlots = 8192;

void ZeroSlots(void** slots, int n) {
  if (n > 0) memset(slots, 0, static_cast<size_t>(n) * sizeof(void*));
}

}  // namespace

SPtrArray::~SPtrArray() { free(data_); }

int SPtrArray::SetSize(int n) {
  if (n <= 0) {
    free(data_);
    data_ = nullptr;
    size_ = 0;
    capacity_ = 0;
    return 0;
  }
  if (static_cast<size_t>(n) > SIZE_MAX / sizeof(void*)) return -1;
  if (!data_) {
    int slots = n > firstAlloc_ ? n : firstAlloc_;
    void** block = static_cast<void**>(calloc(static_cast<size_t>(slots), sizeof(void*)));
    if (!block) return -1;
    data_ = block;
    size_ = 0;
    capacity_ = slots;
    return 0;
  }
  if (n <= capacity_) return 0;
  int step = growBy_;
  if (step <= 0) {
    step = capacity_ / 4;
    if (step < 4) step = 4;
    if (step > 1024) step = 1024;
  }
  long long wanted = static_cast<long long>(capacity_) + step;
  if (wanted < n) wanted = n;
  if (wanted > INT_MAX) wanted = n;
  int slots = static_cast<int>(wanted);
  void** block = nullptr;
  const int added = slots - capacity_;
  if (added >= kFreshBlockSlots && capacity_ < added) {
    // A large first step (the bar lists reserve 100000 slots at a time): a fresh zeroed
    // block comes from the system untouched, so the new slots take memory only as they are
    // used. Zeroing them by hand would touch every page of the step at once, for every
    // instance. Later steps of a long list grow in place: copying it would cost more.
    block = static_cast<void**>(calloc(static_cast<size_t>(slots), sizeof(void*)));
    if (!block) return -1;
    memcpy(block, data_, static_cast<size_t>(capacity_) * sizeof(void*));
    free(data_);
  } else {
    block = static_cast<void**>(realloc(data_, static_cast<size_t>(slots) * sizeof(void*)));
    if (!block) return -1;
    ZeroSlots(block + capacity_, slots - capacity_);
  }
  data_ = block;
  capacity_ = slots;
  return 0;
}

void SPtrArray::SetSizeInit(int first, int step) {
  if (step != -1) growBy_ = step;
  if (first > 0) firstAlloc_ = first;
}

int SPtrArray::SetAtGrow(int i, void* p) {
  if (i < 0) return -1;
  if (i >= capacity_ && (i == INT_MAX || SetSize(i + 1) != 0)) return -1;
  data_[i] = p;
  if (size_ < i + 1) size_ = i + 1;
  return 0;
}

int SPtrArray::Add(void* p) {
  int index = size_;
  return SetAtGrow(index, p) == 0 ? index : -1;
}

void SPtrArray::InsertAt(int i, void* p, int n) {
  if (i < 0 || n < 1) return;
  if (n > INT_MAX - (i > size_ ? i : size_)) return;  // the new size would not fit an int
  if (i >= size_) {
    if (SetAtGrow(i + n - 1, p) != 0) return;
    for (int k = i; k < i + n; k++) data_[k] = p;
    return;
  }
  int oldSize = size_;
  if (SetSize(oldSize + n) != 0) return;
  memmove(data_ + i + n, data_ + i, static_cast<size_t>(oldSize - i) * sizeof(void*));
  for (int k = i; k < i + n; k++) data_[k] = p;
  size_ = oldSize + n;
}

void SPtrArray::InsertAt(int i, const SPtrArray& other) {
  if (other.size_ <= 0) return;
  // Inserting an array into itself: take the pointers first.
  std::vector<void*> source(other.data_, other.data_ + other.size_);
  int n = static_cast<int>(source.size());
  int before = size_;
  InsertAt(i, source[0], n);
  if (size_ == before) return;  // memory failed
  memcpy(data_ + i, source.data(), static_cast<size_t>(n) * sizeof(void*));
}

void SPtrArray::RemoveAt(int i, int n) {
  if (n < 1) return;
  int tail = size_ - (i + n);
  if (tail > 0) memmove(data_ + i, data_ + i + n, static_cast<size_t>(tail) * sizeof(void*));
  size_ -= n;
  ZeroSlots(data_ + size_, n);
}

int SPtrArray::Append(const SPtrArray& other) {
  int oldSize = size_;
  int n = other.size_;
  if (n <= 0) return oldSize;
  if (SetSize(oldSize + n) != 0) return -1;
  // After SetSize other.data_ is valid again even when other is this array.
  memcpy(data_ + oldSize, other.data_, static_cast<size_t>(n) * sizeof(void*));
  size_ = oldSize + n;
  return oldSize;
}

void SPtrArray::Copy(const SPtrArray& other) {
  if (this == &other) return;
  if (other.size_ <= 0) {
    RemoveAll();
    return;
  }
  if (SetSize(other.size_) != 0) return;
  memcpy(data_, other.data_, static_cast<size_t>(other.size_) * sizeof(void*));
  if (size_ > other.size_) ZeroSlots(data_ + other.size_, size_ - other.size_);
  size_ = other.size_;
}

void SPtrArray::FreeExtra() {
  if (size_ == capacity_) return;
  if (size_ == 0) {
    RemoveAll();
    return;
  }
  void** block = static_cast<void**>(realloc(data_, static_cast<size_t>(size_) * sizeof(void*)));
  if (!block) return;  // keeping the larger block is harmless
  data_ = block;
  capacity_ = size_;
}

void SPtrArray::DropData() {
  data_ = nullptr;
  size_ = 0;
  capacity_ = 0;
  growBy_ = 0;
  firstAlloc_ = 10;
}

int SPtrArray::GetPtrIndex(const void* p) const {
  for (int i = 0; i < size_; i++) {
    if (data_[i] == p) return i;
  }
  return -1;
}

void SPtrArray::Sort(CompareFn cmp) {
  if (size_ < 2 || !cmp) return;
  qsort(data_, static_cast<size_t>(size_), sizeof(void*), cmp);
}

void SPtrArray::SortInto(CompareFn cmp, SPtrArray& target) const {
  if (&target == this) {
    target.Sort(cmp);
    return;
  }
  // Even one entry (or none) is copied, so the target never keeps stale pointers.
  if (target.size_ != size_) target.RemoveAll();
  target.Copy(*this);
  target.Sort(cmp);
}

float SFltArray::GetAt(int i) const {
  if (i < 0 || i >= size_) return kOutside;
  return FromSlot(data_[i]);
}

void* SFltArray::ToSlot(float v) {
  uint32_t bits;
  memcpy(&bits, &v, sizeof bits);
  return reinterpret_cast<void*>(static_cast<uintptr_t>(bits));
}

float SFltArray::FromSlot(const void* slot) {
  uint32_t bits = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(slot));
  float v;
  memcpy(&v, &bits, sizeof v);
  return v;
}
