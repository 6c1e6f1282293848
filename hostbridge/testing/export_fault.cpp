// Test support: exceptions thrown at the entry of every guarded export.

#include "hostbridge/testing/export_fault.h"

#include <new>
#include <stdexcept>

namespace {

void ThrowBadAlloc() { throw std::bad_alloc(); }
void ThrowRuntimeError() { throw std::runtime_error("injected"); }
void ThrowInt() { throw 42; }

}  // namespace

ScopedExportFault::ScopedExportFault(ExportFaultKind kind) {
  switch (kind) {
    case ExportFaultKind::BadAlloc:
      SetExportFaultProbeForTest(ThrowBadAlloc);
      break;
    case ExportFaultKind::RuntimeError:
      SetExportFaultProbeForTest(ThrowRuntimeError);
      break;
    case ExportFaultKind::NotAnException:
      SetExportFaultProbeForTest(ThrowInt);
      break;
  }
}

ScopedExportFault::~ScopedExportFault() { SetExportFaultProbeForTest(nullptr); }
