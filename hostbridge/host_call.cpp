// The host-call wrappers: each one makes its call, turns a failed HRESULT into HostComError
// and hands back the plain value.
#include "hostbridge/host_call.h"

#include <climits>
#include <cstdio>

HostComError::HostComError(HRESULT hr, const IID& iid) : hr_(hr), iid_(iid) {
  std::snprintf(message_, sizeof message_,
                "host call failed: HRESULT 0x%08X, IID "
                "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(hr), static_cast<unsigned>(iid.Data1), iid.Data2, iid.Data3,
                iid.Data4[0], iid.Data4[1], iid.Data4[2], iid.Data4[3], iid.Data4[4],
                iid.Data4[5], iid.Data4[6], iid.Data4[7]);
}

void CheckHost(HRESULT hr, const IID& iid) {
  if (FAILED(hr)) throw HostComError(hr, iid);
}

namespace {

template <typename T>
T* NotNull(T* object, const IID& iid) {
  if (!object) throw HostComError(E_POINTER, iid);
  return object;
}

// Frees the name VARIANT whatever happens to the call.
struct VariantGuard {
  VARIANT* v;
  ~VariantGuard() { VariantClear(v); }
};

}  // namespace

namespace {

using PriceGetter = HRESULT (STDMETHODCALLTYPE IHostStudy::*)(int, double*);

double StudyPrice(IHostStudy* study, PriceGetter get, int barsAgo) {
  double value = 0.0;
  CheckHost((NotNull(study, kIidHostStudy)->*get)(barsAgo, &value), kIidHostStudy);
  return value;
}

using SeriesGetter = HRESULT (STDMETHODCALLTYPE IHostStudy::*)(int, IHostNumSeries**);

IHostNumSeries* StudyTicks(IHostStudy* study, SeriesGetter get) {
  IHostNumSeries* series = nullptr;
  CheckHost((NotNull(study, kIidHostStudy)->*get)(kHostSeriesArg, &series), kIidHostStudy);
  return series;
}

}  // namespace

double HostOpen(IHostStudy* study, int barsAgo) {
  return StudyPrice(study, &IHostStudy::GetOpen, barsAgo);
}
double HostClose(IHostStudy* study, int barsAgo) {
  return StudyPrice(study, &IHostStudy::GetClose, barsAgo);
}
double HostLow(IHostStudy* study, int barsAgo) {
  return StudyPrice(study, &IHostStudy::GetLow, barsAgo);
}
double HostHigh(IHostStudy* study, int barsAgo) {
  return StudyPrice(study, &IHostStudy::GetHigh, barsAgo);
}

int HostBarNumber(IHostStudy* study) {
  NotNull(study, kIidHostStudy);
  int counter = 0;
  int offset = 0;
  CheckHost(study->GetBarCounter(kHostSeriesArg, &counter), kIidHostStudy);
  CheckHost(study->GetBarOffset(&offset), kIidHostStudy);
  // A host answering nonsense must not make the sum overflow: it is held at the int range.
  long long sum = static_cast<long long>(counter) + offset;
  if (sum > INT_MAX) return INT_MAX;
  if (sum < INT_MIN) return INT_MIN;
  return static_cast<int>(sum);
}

IHostVariable* HostFindVariable(IHostStudy* study, const char* name) {
  NotNull(study, kIidHostStudy);
  VARIANT key = MakeBstrVariant(name);
  VariantGuard guard{&key};
  if (key.vt != VT_BSTR) throw HostComError(E_OUTOFMEMORY, kIidHostStudy);
  IHostVariable* variable = nullptr;
  CheckHost(study->GetVariable(key, &variable), kIidHostStudy);
  return variable;
}

IHostDateSeries* HostDateSeries(IHostStudy* study) {
  IHostDateSeries* series = nullptr;
  CheckHost(NotNull(study, kIidHostStudy)->GetDateSeries(kHostSeriesArg, &series),
            kIidHostStudy);
  return series;
}

IHostNumSeries* HostUpTicks(IHostStudy* study) {
  return StudyTicks(study, &IHostStudy::GetUpTicks);
}

IHostNumSeries* HostDownTicks(IHostStudy* study) {
  return StudyTicks(study, &IHostStudy::GetDownTicks);
}

int HostDimensions(IHostVariable* variable) {
  int count = 0;
  CheckHost(NotNull(variable, kIidHostVariable)->GetDimensions(&count), kIidHostVariable);
  return count;
}

int HostElementCount(IHostVariable* variable, int dimension) {
  int count = 0;
  CheckHost(NotNull(variable, kIidHostVariable)->GetElementCount(dimension, &count),
            kIidHostVariable);
  return count;
}

void HostSelectElement(IHostVariable* variable, int index) {
  CheckHost(NotNull(variable, kIidHostVariable)->SelectElement(0, index), kIidHostVariable);
}

float HostGetFloat(IHostVariable* variable) {
  VARIANT value;
  VariantInit(&value);
  VariantGuard guard{&value};
  CheckHost(NotNull(variable, kIidHostVariable)->GetValue(0, &value), kIidHostVariable);
  CheckHost(VariantChangeType(&value, &value, 0, VT_R4), kIidHostVariable);
  return value.fltVal;
}

void HostPutFloat(IHostVariable* variable, float value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_R4;
  v.fltVal = value;
  CheckHost(NotNull(variable, kIidHostVariable)->PutValue(0, v), kIidHostVariable);
}

float HostGetElement(IHostVariable* variable, int index) {
  HostSelectElement(variable, index);
  return HostGetFloat(variable);
}

void HostPutElement(IHostVariable* variable, int index, float value) {
  HostSelectElement(variable, index);
  HostPutFloat(variable, value);
}

double HostSeriesValue(IHostNumSeries* series, int barsAgo) {
  double value = 0.0;
  CheckHost(NotNull(series, kIidHostNumSeries)->GetValue(barsAgo, &value), kIidHostNumSeries);
  return value;
}

HostDateFields HostBarDate(IHostDateSeries* series, int barsAgo) {
  NotNull(series, kIidHostDateSeries);
  HostDateFields f;
  CheckHost(series->GetYear(barsAgo, &f.year), kIidHostDateSeries);
  CheckHost(series->GetMonth(barsAgo, &f.month), kIidHostDateSeries);
  CheckHost(series->GetDay(barsAgo, &f.day), kIidHostDateSeries);
  CheckHost(series->GetHour(barsAgo, &f.hour), kIidHostDateSeries);
  CheckHost(series->GetMinute(barsAgo, &f.minute), kIidHostDateSeries);
  return f;
}
