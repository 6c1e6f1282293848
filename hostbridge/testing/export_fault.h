// Test support: makes every guarded export throw at its entry while a ScopedExportFault
// lives, with one of three kinds of exception (a failed allocation, a library exception with
// its own text, something that is no std::exception at all).
#pragma once

#include "hostbridge/export_guard.h"

enum class ExportFaultKind { BadAlloc, RuntimeError, NotAnException };

class ScopedExportFault {
 public:
  explicit ScopedExportFault(ExportFaultKind kind);
  ~ScopedExportFault();
  ScopedExportFault(const ScopedExportFault&) = delete;
  ScopedExportFault& operator=(const ScopedExportFault&) = delete;
};

inline constexpr ExportFaultKind kAllExportFaultKinds[] = {
    ExportFaultKind::BadAlloc, ExportFaultKind::RuntimeError, ExportFaultKind::NotAnException};
