// The one guard every exported function of the study libraries runs its body through.
//
// The libraries live inside the trading platform's process: anything thrown out of an
// export ends that process. GuardExport runs the body and turns whatever it throws (an
// allocation failure, a failed host call nobody caught, anything else) into the export's
// own failure value, after one "Internal Error" line in the library's trace log under the
// export's name without its "XMT_" (so that it fits the 16-character category). Exports whose work has a catch-all of its own keep it: their bodies catch
// first, with their own value and line, and this guard only sees what escapes a handler.
//
// Contract: never throws; logging failures are swallowed; no locks.
#pragma once

// One "Internal Error" line under the export's name, "XMT_" left off. Never throws.
void LogExportFailure(const char* exportName) noexcept;

// Tests only: a function every guarded body runs first (null in the libraries), so that a
// test can make each export throw at its entry.
using ExportFaultProbe = void (*)();
void SetExportFaultProbeForTest(ExportFaultProbe probe) noexcept;
void RunExportFaultProbe();

template <class Result, class Body>
Result GuardExport(const char* exportName, Result failure, Body&& body) noexcept {
  try {
    RunExportFaultProbe();
    return body();
  } catch (...) {
    LogExportFailure(exportName);
    return failure;
  }
}

// GuardExport for a body that fills `out` for the caller's result pointers: when the body
// fails, `out` is set back to its empty value, so that the caller gets zeros rather than
// half a result. `Out` is a plain struct of values.
template <class Result, class Out, class Body>
Result GuardExportFilling(const char* exportName, Result failure, Out& out, Body&& body) noexcept {
  bool done = false;
  const Result result = GuardExport(exportName, failure, [&] {
    const Result r = body();
    done = true;
    return r;
  });
  if (!done) out = Out();
  return result;
}
