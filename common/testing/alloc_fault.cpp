// Test support: the failing allocators (see alloc_fault.h).

#include "common/testing/alloc_fault.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {
bool g_armed = false;
long g_failAt = 0;
long g_counted = 0;
bool g_reached = false;
}  // namespace

void alloc_fault::Arm(long n) {
  g_counted = 0;
  g_failAt = n;
  g_reached = false;
  g_armed = true;
}

bool alloc_fault::Disarm() {
  g_armed = false;
  return g_reached;
}

long alloc_fault::Counted() { return g_counted; }

bool alloc_fault::FailThisOne() {
  if (!g_armed) return false;
  if (++g_counted != g_failAt) return false;
  g_reached = true;
  return true;
}

extern "C" {
void* __real_malloc(size_t n);
void* __real_calloc(size_t n, size_t size);
void* __real_realloc(void* p, size_t n);

void* __wrap_malloc(size_t n) { return alloc_fault::FailThisOne() ? nullptr : __real_malloc(n); }
void* __wrap_calloc(size_t n, size_t size) {
  return alloc_fault::FailThisOne() ? nullptr : __real_calloc(n, size);
}
void* __wrap_realloc(void* p, size_t n) {
  return alloc_fault::FailThisOne() ? nullptr : __real_realloc(p, n);
}
}  // extern "C"

// Every new goes through the wrapped malloc (one count per allocation), every delete to free.
namespace {
void* NewOrNull(size_t n) { return std::malloc(n ? n : 1); }
void* NewOrThrow(size_t n) {
  if (void* p = NewOrNull(n)) return p;
  throw std::bad_alloc();
}
// Aligned blocks come from the wrapped malloc too: room for the alignment and, just before
// the block, the pointer malloc gave.
void* AlignedOrNull(size_t n, std::align_val_t a) {
  const size_t align =
      static_cast<size_t>(a) < sizeof(void*) ? sizeof(void*) : static_cast<size_t>(a);
  void* raw = std::malloc(n + align + sizeof(void*));
  if (!raw) return nullptr;
  const uintptr_t start = reinterpret_cast<uintptr_t>(raw) + sizeof(void*);
  const uintptr_t aligned = (start + align - 1) & ~static_cast<uintptr_t>(align - 1);
  reinterpret_cast<void**>(aligned)[-1] = raw;
  return reinterpret_cast<void*>(aligned);
}
void AlignedFree(void* p) {
  if (p) std::free(static_cast<void**>(p)[-1]);
}
void* AlignedOrThrow(size_t n, std::align_val_t a) {
  if (void* p = AlignedOrNull(n, a)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(size_t n) { return NewOrThrow(n); }
void* operator new[](size_t n) { return NewOrThrow(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return NewOrNull(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return NewOrNull(n); }
void* operator new(size_t n, std::align_val_t a) { return AlignedOrThrow(n, a); }
void* operator new[](size_t n, std::align_val_t a) { return AlignedOrThrow(n, a); }
void* operator new(size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
  return AlignedOrNull(n, a);
}
void* operator new[](size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
  return AlignedOrNull(n, a);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { AlignedFree(p); }
void operator delete[](void* p, std::align_val_t) noexcept { AlignedFree(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { AlignedFree(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { AlignedFree(p); }

void* AllocFaultPlatform::TaskAlloc(size_t n) {
  return alloc_fault::FailThisOne() ? nullptr : PlatformWrapper::TaskAlloc(n);
}
void* AllocFaultPlatform::TaskRealloc(void* p, size_t n) {
  return alloc_fault::FailThisOne() ? nullptr : PlatformWrapper::TaskRealloc(p, n);
}
int AllocFaultPlatform::MessageBox(const char*, const char*, unsigned) { return 1; }
