// ResidentBytes on Windows: the working set of this process.
#include "common/platform/process_memory.h"

#include "common/platform/win32_api.h"

#include <psapi.h>

size_t ResidentBytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return counters.WorkingSetSize;
}
