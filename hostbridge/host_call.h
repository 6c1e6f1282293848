// Calling the host's study object: the failure rule and small typed wrappers.
//
// A host call that returns a failed HRESULT throws HostComError carrying that HRESULT and
// the IID of the interface that failed. This is the one exception in the system: it is meant
// for the catch-all of the export that talks to the host and for nothing else, so a chain of
// host reads can be written straight, without a check after every line.
//
// The wrappers below make exactly the host calls named in their comments. A null object
// pointer given to any of them throws HostComError with E_POINTER instead of crashing.
// Objects they return carry the reference the host added (see host_interfaces.h): the caller
// owns it and releases it, normally by holding the object in a HostRef (host_ref.h). A
// missing variable or series comes back as null; it is not an error here, the caller reports
// it with its own code.
#pragma once

#include <exception>

#include "hostbridge/host_interfaces.h"
#include "hostbridge/host_ref.h"

class HostComError : public std::exception {
 public:
  HostComError(HRESULT hr, const IID& iid);
  const char* what() const noexcept override { return message_; }
  HRESULT Result() const { return hr_; }
  const IID& Iid() const { return iid_; }

 private:
  HRESULT hr_;
  IID iid_;
  char message_[96];  // "host call failed: HRESULT 0x80004005, IID {...}"
};

// Throws HostComError(hr, iid) when hr is a failure.
void CheckHost(HRESULT hr, const IID& iid);

// --- study object ------------------------------------------------------------------------
double HostOpen(IHostStudy* study, int barsAgo = 0);   // slot 9
double HostClose(IHostStudy* study, int barsAgo = 0);  // slot 10
double HostLow(IHostStudy* study, int barsAgo = 0);    // slot 11
double HostHigh(IHostStudy* study, int barsAgo = 0);   // slot 12
// Bar counter (slot 8 with 255) plus the offset of slot 7.
int HostBarNumber(IHostStudy* study);
// The study variable or array called name (slot 13 with a VT_BSTR VARIANT), with its
// reference; null when the study has none.
IHostVariable* HostFindVariable(IHostStudy* study, const char* name);
// The series, each with its reference; null when missing.
IHostDateSeries* HostDateSeries(IHostStudy* study);  // slot 23 with 255; null when missing
IHostNumSeries* HostUpTicks(IHostStudy* study);      // slot 24 with 255; null when missing
IHostNumSeries* HostDownTicks(IHostStudy* study);    // slot 25 with 255; null when missing

// --- variables and arrays ---------------------------------------------------------------
int HostDimensions(IHostVariable* variable);                     // slot 26
int HostElementCount(IHostVariable* variable, int dimension = 0);  // slot 29
void HostSelectElement(IHostVariable* variable, int index);      // slot 28, dimension 0
// Value of the selected element (slot 12) converted to single precision with
// VariantChangeType (a failed conversion throws like a failed call).
float HostGetFloat(IHostVariable* variable);
// Stores value into the selected element as VT_R4 (slot 13).
void HostPutFloat(IHostVariable* variable, float value);
// Select index, then get or put it.
float HostGetElement(IHostVariable* variable, int index);
void HostPutElement(IHostVariable* variable, int index, float value);

// --- series ---------------------------------------------------------------------------------
double HostSeriesValue(IHostNumSeries* series, int barsAgo = 0);  // slot 16

struct HostDateFields {
  int year = 0;  // full year, 2015
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
};
// Slots 10 to 14 of the date series for the bar barsAgo back.
HostDateFields HostBarDate(IHostDateSeries* series, int barsAgo = 0);
