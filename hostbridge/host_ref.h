// HostRef<T>: holds the one reference that comes with a host object received through an out
// parameter, and releases it when the holder goes away.
//
// By COM's rules the study object adds a reference to every object it hands out (variables,
// arrays, series), and the receiver releases it. An export that uses such objects only
// within the call keeps each one in a HostRef, so it is released before the export returns
// on every path: normal results, early error returns and HostComError alike.
//
//   HostRef<IHostVariable> array(HostFindVariable(study, "arrValIn"));
//   if (!array) return ...;            // a missing variable is a null holder
//   HostDimensions(array.Get());
//
// Contract: a holder owns at most one reference; it is moved, never copied; Reset releases
// the held object (if any) and adopts another; Detach hands the reference on without
// releasing it; Out() releases what is held and gives the address for an out parameter.
#pragma once

#include "hostbridge/com_types.h"

template <class T>
class HostRef {
 public:
  HostRef() = default;
  // Takes over the reference that comes with object (null is fine).
  explicit HostRef(T* object) : p_(object) {}
  ~HostRef() { Reset(); }

  HostRef(HostRef&& other) noexcept : p_(other.Detach()) {}
  HostRef& operator=(HostRef&& other) noexcept {
    if (this != &other) Reset(other.Detach());
    return *this;
  }
  HostRef(const HostRef&) = delete;
  HostRef& operator=(const HostRef&) = delete;

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // Releases the held object and adopts object's reference instead.
  void Reset(T* object = nullptr) {
    T* old = p_;
    p_ = object;
    if (old) old->Release();
  }
  // The held object, no longer released by this holder.
  T* Detach() {
    T* p = p_;
    p_ = nullptr;
    return p;
  }
  // For a host call's out parameter: empties the holder and gives the slot to fill.
  T** Out() {
    Reset();
    return &p_;
  }

 private:
  T* p_ = nullptr;
};
