// Test support: the wrapped allocators, the counting platform and the meter (see
// cost_meter.h).

#include "common/testing/cost_meter.h"

#include <cstdlib>
#include <new>

#include "common/testing/heap_block_size.h"

namespace cost_meter {
bool counting = false;
long heapCalls = 0;
long long heapBytes = 0;
}  // namespace cost_meter

using cost_meter::counting;

namespace {

// The allocator's usable size of a block, added when it comes and taken off when it goes.
void Added(void* p) {
  if (p) cost_meter::heapBytes += static_cast<long long>(HeapBlockSize(p));
}
void Removed(void* p) {
  if (p) cost_meter::heapBytes -= static_cast<long long>(HeapBlockSize(p));
}

}  // namespace

extern "C" {
void* __real_malloc(size_t n);
void* __real_calloc(size_t n, size_t size);
void* __real_realloc(void* p, size_t n);

void* __wrap_malloc(size_t n) {
  void* p = __real_malloc(n);
  if (counting) {
    ++cost_meter::heapCalls;
    Added(p);
  }
  return p;
}
void* __wrap_calloc(size_t n, size_t size) {
  void* p = __real_calloc(n, size);
  if (counting) {
    ++cost_meter::heapCalls;
    Added(p);
  }
  return p;
}
void* __wrap_realloc(void* p, size_t n) {
  if (!counting) return __real_realloc(p, n);
  ++cost_meter::heapCalls;
  const long long before = p ? static_cast<long long>(HeapBlockSize(p)) : 0;
  void* q = __real_realloc(p, n);
  if (q || n == 0) {  // a failed realloc leaves the block as it was
    cost_meter::heapBytes -= before;
    Added(q);
  }
  return q;
}
}  // extern "C"

void cost_meter::Freeing(void* p) {
  if (counting) Removed(p);
}

// The C++ runtime's own operator new may live in a shared library whose malloc calls no
// link-time wrap reaches; these send every new of the program through the wrapped malloc.
void* operator new(size_t n) {
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t n) { return operator new(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return std::malloc(n ? n : 1); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return std::malloc(n ? n : 1); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

void* CountingPlatform::TaskAlloc(size_t n) {
  if (counting) ++taskAllocs;
  return PlatformWrapper::TaskAlloc(n);
}
void* CountingPlatform::TaskRealloc(void* p, size_t n) {
  if (counting) ++taskAllocs;
  return PlatformWrapper::TaskRealloc(p, n);
}
int CountingPlatform::ReadProfileString(const char* section, const char* key, const char* def,
                                        char* out, int size, const char* file) {
  if (counting) ++settingsCalls;
  return PlatformWrapper::ReadProfileString(section, key, def, out, size, file);
}
bool CountingPlatform::WriteProfileString(const char* section, const char* key,
                                          const char* value, const char* file) {
  if (counting) ++settingsCalls;
  return PlatformWrapper::WriteProfileString(section, key, value, file);
}
long CountingPlatform::RegOpen(RegRoot root, const char* keyPath, bool create, bool wow64_32,
                               void** key) {
  if (counting) ++registryOpens;
  return PlatformWrapper::RegOpen(root, keyPath, create, wow64_32, key);
}
FILE* CountingPlatform::OpenFile(const char* path, const char* mode) {
  if (counting) ++fileOpens;
  return PlatformWrapper::OpenFile(path, mode);
}
void CountingPlatform::WriteRaw(FILE* f, const void* data, size_t n) {
  if (counting) ++logWrites;
  PlatformWrapper::WriteRaw(f, data, n);
}
void* CountingPlatform::FindTopWindow(const char* className, const char* titlePrefix) {
  if (counting) ++windowLookups;
  return PlatformWrapper::FindTopWindow(className, titlePrefix);
}

Meter::Meter(CountingPlatform& p) : p_(p) {
  start_ = Snapshot();
  counting = true;
}

Cost Meter::Stop() {
  counting = false;
  Cost now = Snapshot();
  return {now.heap - start_.heap, now.task - start_.task, now.other - start_.other,
          now.logs - start_.logs};
}

Cost Meter::Snapshot() const {
  return {cost_meter::heapCalls, p_.taskAllocs,
          p_.settingsCalls + p_.registryOpens + p_.fileOpens + p_.windowLookups, p_.logWrites};
}

std::string Describe(const Cost& c) {
  return "heap=" + std::to_string(c.heap) + " task=" + std::to_string(c.task) +
         " other=" + std::to_string(c.other) + " logs=" + std::to_string(c.logs);
}
