// The export guard's log line and its test probe.

#include "hostbridge/export_guard.h"

#include <cstring>

#include "common/settings/trace_log.h"

namespace {
ExportFaultProbe g_probe = nullptr;
}  // namespace

void LogExportFailure(const char* exportName) noexcept {
  try {
    // The category column holds 16 characters: the name without its "XMT_" fits.
    const char* category = exportName;
    if (category && std::strncmp(category, "XMT_", 4) == 0) category += 4;
    LogTrace(category, 1, "Internal Error");
  } catch (...) {
    // Logging needs memory too; with none left the failure value alone must do.
  }
}

void SetExportFaultProbeForTest(ExportFaultProbe probe) noexcept { g_probe = probe; }

void RunExportFaultProbe() {
  if (g_probe) g_probe();
}
