// SPtrArray: the growable array of untyped pointers under every record list of the system,
// and SFltArray / SIntArray, which keep single-precision values and 32-bit integers in the
// same slots.
//
// Contract:
// - The array never owns what its pointers point to: the owner of a list creates its
//   records and frees them before removing them. The destructor frees only the slot block.
// - Index arguments are not checked (GetAt, SetAt, ElementAt, RemoveAt, operator[]), except
//   in SFltArray::GetAt, which reads 1.0e9 outside 0..size-1.
// - The slot block comes from malloc; DropData hands it over to a caller, who frees it with
//   free(). Slots between size and capacity are zero after growing.
// - Growth: the first allocation takes max(first allocation (default 10), n) slots; later
//   the growth step, or with step 0 a quarter of the capacity kept within 4..1024, or n
//   when that is larger.
// - An allocation failure makes SetSize return -1 and leaves the array as it was; SetAtGrow
//   and Add then store nothing and return -1.
// - Copying an array object is not allowed (two objects would free one block); use Copy.
#pragma once

#include <cstdint>

class SPtrArray {
 public:
  using CompareFn = int (*)(const void*, const void*);

  SPtrArray() = default;
  virtual ~SPtrArray();
  SPtrArray(const SPtrArray&) = delete;
  SPtrArray& operator=(const SPtrArray&) = delete;

  // Name of the class record, for diagnostics ("SPtrArray" for all three classes).
  virtual const char* GetRuntimeClass() const { return "SPtrArray"; }

  int GetSize() const { return size_; }
  int GetUpperBound() const { return size_ - 1; }
  int GetCapacity() const { return capacity_; }
  void* GetAt(int i) const { return data_[i]; }
  void SetAt(int i, void* p) { data_[i] = p; }
  void*& ElementAt(int i) { return data_[i]; }
  void* operator[](int i) const { return data_[i]; }
  void*& operator[](int i) { return data_[i]; }
  void** GetData() { return data_; }
  void* const* GetData() const { return data_; }
  void** GetRawData() { return data_; }

  // Grow to at least i + 1 slots when needed, store, raise size to i + 1 when smaller.
  // Result 0, or -1 when memory fails (nothing stored).
  int SetAtGrow(int i, void* p);
  int Add(void* p);  // result the index, -1 when memory fails
  // n 0 frees the block. Otherwise capacity becomes at least n; the size is not changed
  // (the first allocation sets it to 0). Result 0 or -1.
  int SetSize(int n);
  // Growth step unless step is -1; first allocation when first > 0.
  void SetSizeInit(int first, int step);
  void RemoveAll() { SetSize(0); }
  // Open n slots at i filled with p; at or beyond the end the pointers go to i..i+n-1 and
  // size becomes i + n.
  void InsertAt(int i, void* p, int n = 1);
  void InsertAt(int i, const SPtrArray& other);  // all of other's pointers, in order
  void RemoveAt(int i, int n = 1);  // i and n inside the array (not checked)
  int Append(const SPtrArray& other);  // result the old size
  void Copy(const SPtrArray& other);
  void FreeExtra();  // capacity down to size
  void DropData();   // forget the block (the caller took it); back to the constructed state
  int GetPtrIndex(const void* p) const;  // first slot equal to p, -1
  // qsort of the slots; cmp receives pointers to two slots.
  void Sort(CompareFn cmp);
  // Sorted copy into target (emptied and sized first when the sizes differ). An array of
  // fewer than two entries is copied as well, so the target never keeps stale pointers.
  void SortInto(CompareFn cmp, SPtrArray& target) const;

 protected:
  void** data_ = nullptr;
  int size_ = 0;
  int capacity_ = 0;
  int growBy_ = 0;          // 0: automatic
  int firstAlloc_ = 10;
};

// Single-precision values, each as its 32-bit pattern in the low half of a slot.
class SFltArray : public SPtrArray {
 public:
  static constexpr float kOutside = 1.0e9f;  // read outside 0..size-1

  float GetAt(int i) const;
  void SetAt(int i, float v) { data_[i] = ToSlot(v); }
  int SetAtGrow(int i, float v) { return SPtrArray::SetAtGrow(i, ToSlot(v)); }
  int Add(float v) { return SPtrArray::Add(ToSlot(v)); }
  void InsertAt(int i, float v, int n = 1) { SPtrArray::InsertAt(i, ToSlot(v), n); }

  static void* ToSlot(float v);
  static float FromSlot(const void* slot);
};

// 32-bit integers, each in the low half of a slot.
class SIntArray : public SPtrArray {
 public:
  int GetAt(int i) const { return FromSlot(data_[i]); }
  void SetAt(int i, int v) { data_[i] = ToSlot(v); }
  int SetAtGrow(int i, int v) { return SPtrArray::SetAtGrow(i, ToSlot(v)); }
  int Add(int v) { return SPtrArray::Add(ToSlot(v)); }
  void InsertAt(int i, int v, int n = 1) { SPtrArray::InsertAt(i, ToSlot(v), n); }

  static void* ToSlot(int v) {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(static_cast<uint32_t>(v)));
  }
  static int FromSlot(const void* slot) {
    return static_cast<int>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(slot)));
  }
};
