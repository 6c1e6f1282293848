// Test support: what a call costs in heap allocations, task memory, settings, registry,
// file and window calls and log writes.
//
// Heap allocations are counted on both sides of a library compiled into the test program:
// malloc, calloc and realloc are wrapped at link time (cost_meter.cpp must be one of the
// program's own sources, and the program linked with the options below; --wrap works for
// ELF and PE alike), operator new is routed through malloc, and the
// platform's task memory (the texts' allocator, COM task memory on Windows) is counted by
// CountingPlatform, a platform wrapper that counts what it forwards.
//
// In CMake: target_link_options(<test> PRIVATE -Wl,--wrap=malloc -Wl,--wrap=calloc
// -Wl,--wrap=realloc).
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "common/testing/platform_wrapper.h"

namespace cost_meter {
// True while a Meter runs; the wrapped allocators count only then.
extern bool counting;
// malloc, calloc and realloc calls while counting.
extern long heapCalls;
// Usable bytes of the blocks allocated while counting, less those freed while counting
// (frees are seen only where the program reports them through Freeing).
extern long long heapBytes;
// Takes a block that is about to be freed off heapBytes while counting. A program that
// counts bytes wraps free (-Wl,--wrap=free) and calls this from its __wrap_free.
void Freeing(void* p);
}  // namespace cost_meter

// Forwards everything to the real platform and counts what a hot path must not need.
class CountingPlatform : public PlatformWrapper {
 public:
  long taskAllocs = 0;
  long settingsCalls = 0;  // profile-string reads and writes
  long registryOpens = 0;
  long fileOpens = 0;
  long logWrites = 0;
  long windowLookups = 0;

  void* TaskAlloc(size_t n) override;
  void* TaskRealloc(void* p, size_t n) override;
  int ReadProfileString(const char* section, const char* key, const char* def, char* out,
                        int size, const char* file) override;
  bool WriteProfileString(const char* section, const char* key, const char* value,
                          const char* file) override;
  long RegOpen(RegRoot root, const char* keyPath, bool create, bool wow64_32,
               void** key) override;
  FILE* OpenFile(const char* path, const char* mode) override;
  void WriteRaw(FILE* f, const void* data, size_t n) override;
  void* FindTopWindow(const char* className, const char* titlePrefix) override;
};

// What one measured call (or group of calls) cost.
struct Cost {
  long heap = 0;
  long task = 0;
  long other = 0;  // settings, registry, files, windows
  long logs = 0;
};

// Counts from construction to Stop.
class Meter {
 public:
  explicit Meter(CountingPlatform& p);
  Cost Stop();

 private:
  Cost Snapshot() const;
  CountingPlatform& p_;
  Cost start_;
};

// "heap=%ld task=%ld other=%ld logs=%ld".
std::string Describe(const Cost& c);
