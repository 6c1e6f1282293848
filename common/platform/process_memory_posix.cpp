// ResidentBytes on Linux: the second field of /proc/self/statm, in pages.
#include "common/platform/process_memory.h"

#include <unistd.h>

#include <cstdio>

size_t ResidentBytes() {
  FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return 0;
  unsigned long long total = 0, resident = 0;
  const bool read = std::fscanf(f, "%llu %llu", &total, &resident) == 2;
  std::fclose(f);
  const long page = sysconf(_SC_PAGESIZE);
  return read && page > 0 ? static_cast<size_t>(resident) * static_cast<size_t>(page) : 0;
}
