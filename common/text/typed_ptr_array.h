// STypedPtrArray<T>: a record list of one type over SPtrArray, adding only casts.
//
// Like SPtrArray it never owns its records: the owner creates them, and frees them before
// removing them (or before the list goes away). Indexes are not checked.
#pragma once

#include "common/text/ptr_array.h"

template <class T>
class STypedPtrArray : public SPtrArray {
 public:
  T* GetAt(int i) const { return static_cast<T*>(data_[i]); }
  void SetAt(int i, T* p) { data_[i] = p; }
  T*& ElementAt(int i) { return reinterpret_cast<T*&>(data_[i]); }
  T* operator[](int i) const { return static_cast<T*>(data_[i]); }
  T*& operator[](int i) { return reinterpret_cast<T*&>(data_[i]); }
  T** GetData() { return reinterpret_cast<T**>(data_); }
  int SetAtGrow(int i, T* p) { return SPtrArray::SetAtGrow(i, p); }
  int Add(T* p) { return SPtrArray::Add(p); }
  void InsertAt(int i, T* p, int n = 1) { SPtrArray::InsertAt(i, p, n); }
  void InsertAt(int i, const STypedPtrArray& other) { SPtrArray::InsertAt(i, other); }
  int GetPtrIndex(const T* p) const { return SPtrArray::GetPtrIndex(p); }
};
