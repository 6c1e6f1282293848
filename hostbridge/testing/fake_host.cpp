// The in-memory study object: bars, series and named arrays behind the host interfaces,
// with switches that let tests make any call fail.
#include "hostbridge/testing/fake_host.h"

#include <cctype>

namespace {

template <typename Self>
HRESULT AnswerQuery(Self* self, REFIID riid, const IID& own, void** object) {
  if (!object) return E_POINTER;
  static const IID kIidUnknown = {0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  if (SameIid(riid, own) || SameIid(riid, kIidUnknown)) {
    *object = self;
    self->AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

// The series getters: a switched failure first, then the argument check, then the object
// (null when the test made it missing).
template <typename T>
HRESULT HandOut(HRESULT entered, int arg, T* object, T** out) {
  if (FAILED(entered)) return entered;
  if (!out) return E_POINTER;
  if (arg != kHostSeriesArg) return E_INVALIDARG;
  *out = object;
  if (object) object->AddRef();
  return S_OK;
}

int ElementCount(const std::vector<int>& dims) {
  int n = 1;
  for (int d : dims) n *= d;
  return n;
}

}  // namespace

// --- FakeRefCount ----------------------------------------------------------------------

ULONG FakeRefCount::Add() {
  ++held_;
  return static_cast<ULONG>(held_) + 1;  // the host's own reference included
}

ULONG FakeRefCount::Drop() {
  if (held_ == 0) {
    host_->CountOverRelease();
    return 1;
  }
  --held_;
  return static_cast<ULONG>(held_) + 1;
}

// --- FakeVariable ----------------------------------------------------------------------

FakeVariable::FakeVariable(FakeHost* host, std::vector<int> dimensions)
    : values(static_cast<size_t>(ElementCount(dimensions)), 0.0),
      dims(std::move(dimensions)),
      refs(host),
      host_(host) {}

HRESULT FakeVariable::QueryInterface(REFIID riid, void** object) {
  return AnswerQuery(this, riid, kIidHostVariable, object);
}

HRESULT FakeVariable::GetValue(int kind, VARIANT* value) {
  if (HRESULT hr = host_->Enter(FakeIface::Variable, 12); FAILED(hr)) return hr;
  if (!value) return E_POINTER;
  if (kind != 0) return E_INVALIDARG;
  if (static_cast<size_t>(selected) >= values.size()) return DISP_E_BADINDEX;
  VariantClear(value);
  value->vt = handOutAs;
  if (handOutAs == VT_R8) value->dblVal = values[static_cast<size_t>(selected)];
  if (handOutAs == VT_BSTR) value->bstrVal = SysAllocString(L"n/a");
  return S_OK;
}

HRESULT FakeVariable::PutValue(int kind, VARIANT value) {
  if (HRESULT hr = host_->Enter(FakeIface::Variable, 13); FAILED(hr)) return hr;
  if (kind != 0) return E_INVALIDARG;
  if (static_cast<size_t>(selected) >= values.size()) return DISP_E_BADINDEX;
  VARIANT copy;
  VariantInit(&copy);
  HRESULT hr = VariantChangeType(&copy, &value, 0, VT_R8);
  if (FAILED(hr)) return hr;
  values[static_cast<size_t>(selected)] = copy.dblVal;
  return S_OK;
}

HRESULT FakeVariable::GetDimensions(int* count) {
  if (HRESULT hr = host_->Enter(FakeIface::Variable, 26); FAILED(hr)) return hr;
  if (!count) return E_POINTER;
  *count = static_cast<int>(dims.size());
  return S_OK;
}

HRESULT FakeVariable::SelectElement(int dimension, int index) {
  if (HRESULT hr = host_->Enter(FakeIface::Variable, 28); FAILED(hr)) return hr;
  // Only dimension 0 is addressed this way; for a multi-dimensional array it selects the
  // first element of that row.
  if (dimension != 0 || dims.empty()) return E_INVALIDARG;
  if (index < 0 || index >= dims[0]) return DISP_E_BADINDEX;
  selected = index * (ElementCount(dims) / dims[0]);
  return S_OK;
}

HRESULT FakeVariable::GetElementCount(int dimension, int* count) {
  if (HRESULT hr = host_->Enter(FakeIface::Variable, 29); FAILED(hr)) return hr;
  if (!count) return E_POINTER;
  if (dimension < 0 || dimension >= static_cast<int>(dims.size())) return E_INVALIDARG;
  *count = dims[static_cast<size_t>(dimension)];
  return S_OK;
}

// --- FakeNumSeries and FakeDateSeries ----------------------------------------------------

HRESULT FakeNumSeries::QueryInterface(REFIID riid, void** object) {
  return AnswerQuery(this, riid, kIidHostNumSeries, object);
}

HRESULT FakeNumSeries::GetValue(int barsAgo, double* value) {
  if (HRESULT hr = host_->Enter(FakeIface::NumSeries, 16); FAILED(hr)) return hr;
  if (!value) return E_POINTER;
  const FakeBar* bar = host_->BarAt(barsAgo);
  if (!bar) return E_INVALIDARG;
  *value = up_ ? bar->upTicks : bar->downTicks;
  return S_OK;
}

HRESULT FakeDateSeries::QueryInterface(REFIID riid, void** object) {
  return AnswerQuery(this, riid, kIidHostDateSeries, object);
}

HRESULT FakeDateSeries::Field(int slot, int barsAgo, int FakeBar::*field, int* value) {
  if (HRESULT hr = host_->Enter(FakeIface::DateSeries, slot); FAILED(hr)) return hr;
  if (!value) return E_POINTER;
  const FakeBar* bar = host_->BarAt(barsAgo);
  if (!bar) return E_INVALIDARG;
  *value = bar->*field;
  return S_OK;
}

HRESULT FakeDateSeries::GetYear(int b, int* v) { return Field(10, b, &FakeBar::year, v); }
HRESULT FakeDateSeries::GetMonth(int b, int* v) { return Field(11, b, &FakeBar::month, v); }
HRESULT FakeDateSeries::GetDay(int b, int* v) { return Field(12, b, &FakeBar::day, v); }
HRESULT FakeDateSeries::GetHour(int b, int* v) { return Field(13, b, &FakeBar::hour, v); }
HRESULT FakeDateSeries::GetMinute(int b, int* v) { return Field(14, b, &FakeBar::minute, v); }

// --- FakeHost ----------------------------------------------------------------------------

FakeHost::FakeHost() : up_(this, true), down_(this, false), date_(this) {}

FakeHost::~FakeHost() {
  for (auto& entry : arrays_) delete entry.second;
  for (FakeVariable* variable : retired_) delete variable;
}

void FakeHost::AddBar(const FakeBar& bar) {
  bars_.push_back(bar);
  cursor_ = static_cast<int>(bars_.size()) - 1;
}

void FakeHost::SetBarNumberParts(int counter, int offset) {
  explicitNumber_ = true;
  counter_ = counter;
  offset_ = offset;
}

std::string FakeHost::Key(const std::string& name) {
  std::string key = name;
  for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return key;
}

FakeVariable& FakeHost::AddArray(const std::string& name, std::vector<int> dims) {
  RemoveArray(name);
  FakeVariable* variable = new FakeVariable(this, std::move(dims));
  arrays_[Key(name)] = variable;
  return *variable;
}

void FakeHost::RemoveArray(const std::string& name) {
  auto it = arrays_.find(Key(name));
  if (it == arrays_.end()) return;
  if (it->second->refs.Held() > 0) {
    retired_.push_back(it->second);  // still referenced: alive until the host goes
  } else {
    delete it->second;
  }
  arrays_.erase(it);
}

const std::vector<double>* FakeHost::ArrayValues(const std::string& name) const {
  auto it = arrays_.find(Key(name));
  return it == arrays_.end() ? nullptr : &it->second->values;
}

std::vector<double>* FakeHost::MutableArrayValues(const std::string& name) {
  auto it = arrays_.find(Key(name));
  return it == arrays_.end() ? nullptr : &it->second->values;
}

void FakeHost::FailSlot(FakeIface iface, int slot, HRESULT hr) {
  auto key = std::make_pair(static_cast<int>(iface), slot);
  if (hr == S_OK) {
    failures_.erase(key);
  } else {
    failures_[key] = hr;
  }
}

int FakeHost::Calls(FakeIface iface, int slot) const {
  auto it = calls_.find(std::make_pair(static_cast<int>(iface), slot));
  return it == calls_.end() ? 0 : it->second;
}

int FakeHost::OutstandingRefs() const {
  int held = up_.refs.Held() + down_.refs.Held() + date_.refs.Held();
  for (const auto& entry : arrays_) held += entry.second->refs.Held();
  for (const FakeVariable* variable : retired_) held += variable->refs.Held();
  return held;
}

int FakeHost::TotalCalls() const {
  int total = 0;
  for (const auto& entry : calls_) total += entry.second;
  return total;
}

HRESULT FakeHost::Enter(FakeIface iface, int slot) {
  auto key = std::make_pair(static_cast<int>(iface), slot);
  ++calls_[key];
  auto it = failures_.find(key);
  return it == failures_.end() ? S_OK : it->second;
}

const FakeBar* FakeHost::BarAt(int barsAgo) const {
  int index = cursor_ - barsAgo;
  if (barsAgo < 0 || index < 0 || index >= static_cast<int>(bars_.size())) return nullptr;
  return &bars_[static_cast<size_t>(index)];
}

HRESULT FakeHost::QueryInterface(REFIID riid, void** object) {
  return AnswerQuery(this, riid, kIidHostStudy, object);
}

HRESULT FakeHost::GetBarOffset(int* value) {
  if (HRESULT hr = Enter(FakeIface::Study, 7); FAILED(hr)) return hr;
  if (!value) return E_POINTER;
  *value = explicitNumber_ ? offset_ : 0;
  return S_OK;
}

HRESULT FakeHost::GetBarCounter(int arg, int* value) {
  if (HRESULT hr = Enter(FakeIface::Study, 8); FAILED(hr)) return hr;
  if (!value) return E_POINTER;
  if (arg != kHostSeriesArg) return E_INVALIDARG;
  *value = explicitNumber_ ? counter_ : cursor_ + 1;
  return S_OK;
}

HRESULT FakeHost::Price(int slot, int barsAgo, double FakeBar::*field, double* value) {
  if (HRESULT hr = Enter(FakeIface::Study, slot); FAILED(hr)) return hr;
  if (!value) return E_POINTER;
  const FakeBar* bar = BarAt(barsAgo);
  if (!bar) return E_INVALIDARG;
  *value = bar->*field;
  return S_OK;
}

HRESULT FakeHost::GetOpen(int b, double* v) { return Price(9, b, &FakeBar::open, v); }
HRESULT FakeHost::GetClose(int b, double* v) { return Price(10, b, &FakeBar::close, v); }
HRESULT FakeHost::GetLow(int b, double* v) { return Price(11, b, &FakeBar::low, v); }
HRESULT FakeHost::GetHigh(int b, double* v) { return Price(12, b, &FakeBar::high, v); }

HRESULT FakeHost::GetVariable(VARIANT name, IHostVariable** variable) {
  if (HRESULT hr = Enter(FakeIface::Study, 13); FAILED(hr)) return hr;
  if (!variable) return E_POINTER;
  *variable = nullptr;
  if (name.vt != VT_BSTR) return E_INVALIDARG;
  std::string narrow;
  for (UINT i = 0, n = SysStringLen(name.bstrVal); i < n; ++i) {
    narrow.push_back(static_cast<char>(name.bstrVal[i]));
  }
  auto it = arrays_.find(Key(narrow));
  if (it != arrays_.end()) {
    *variable = it->second;
    it->second->AddRef();
  }
  return S_OK;  // a missing variable is a null object, not a failure
}

HRESULT FakeHost::GetDateSeries(int arg, IHostDateSeries** series) {
  return HandOut<IHostDateSeries>(Enter(FakeIface::Study, 23), arg,
                                  dateMissing_ ? nullptr : &date_, series);
}

HRESULT FakeHost::GetUpTicks(int arg, IHostNumSeries** series) {
  return HandOut<IHostNumSeries>(Enter(FakeIface::Study, 24), arg, upMissing_ ? nullptr : &up_,
                                 series);
}

HRESULT FakeHost::GetDownTicks(int arg, IHostNumSeries** series) {
  return HandOut<IHostNumSeries>(Enter(FakeIface::Study, 25), arg,
                                 downMissing_ ? nullptr : &down_, series);
}
