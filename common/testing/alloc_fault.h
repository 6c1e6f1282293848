// Test support: makes the Nth allocation of a test program fail.
//
// Every form of operator new and delete is replaced (plain, array, nothrow, aligned; the
// throwing forms throw std::bad_alloc, the nothrow forms give null), malloc, calloc and
// realloc are wrapped at link time, and the platform's task memory (the texts' allocator)
// is counted by AllocFaultPlatform. All of them count into one counter while armed; the
// allocation that reaches the armed number fails, and every later one succeeds again.
//
// alloc_fault.cpp must be one of the program's own sources, and the program linked with
// -Wl,--wrap=malloc -Wl,--wrap=calloc -Wl,--wrap=realloc (see xmt_alloc_fault_test in
// common/testing/CMakeLists.txt). Never part of a library.
#pragma once

#include <cstddef>

#include "common/testing/platform_wrapper.h"

namespace alloc_fault {
// Counts from now on; allocation number n (from 1) fails. 0 counts without failing.
void Arm(long n);
// Stops counting. Result: whether the armed failure was reached.
bool Disarm();
// Allocations counted since Arm.
long Counted();
// Called by every counted allocator: true when this allocation is to fail.
bool FailThisOne();
}  // namespace alloc_fault

// The platform's task memory counted with the heap. Message boxes are answered at once
// (IDOK): a failure that shows one must not wait for a person.
class AllocFaultPlatform : public PlatformWrapper {
 public:
  void* TaskAlloc(size_t n) override;
  void* TaskRealloc(void* p, size_t n) override;
  int MessageBox(const char* text, const char* caption, unsigned flags) override;
};
