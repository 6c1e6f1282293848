// A study object in memory, for tests and the host simulator.
//
// FakeHost implements IHostStudy over a list of bars with a current-bar cursor, and hands out
// IHostVariable objects for named arrays, two IHostNumSeries (up and down ticks) and one
// IHostDateSeries, all owned by the FakeHost and alive as long as it is. It checks its
// callers the way a strict host would: a bars-ago value outside the bars up to the cursor, an
// element index outside an array, a counter/series argument other than 255 or a name that
// is not a VT_BSTR give E_INVALIDARG (DISP_E_BADINDEX for indexes). Tests can make any slot
// of any interface fail with a chosen HRESULT, make a series or an array missing, and read
// the arrays and call counts afterwards.
//
// References are counted as a host counts them: every object handed out through an out
// parameter (GetVariable, the series getters, QueryInterface) gets one AddRef, which the
// receiver must Release. OutstandingRefs() shows references not given back (a leak) and
// OverReleases() the Release calls beyond them (a double release). The host keeps its own
// reference to every object: a removed or replaced array that is still referenced stays
// alive until the FakeHost goes, so a late Release is counted rather than a crash. The
// study object itself is lent to the exports, not handed out, and is not counted. A FakeHost
// must outlive every use of the objects it handed out.
//
// Array values are kept as doubles and handed out as VT_R8, so callers must convert (as the
// real host requires). Stored values are converted with VariantChangeType to VT_R8; a value
// that cannot be converted gives that conversion's error. Name lookups ignore case.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "hostbridge/host_interfaces.h"

// The host's slots we never call: they answer E_NOTIMPL.
#define XMT_FAKE_RESERVED(n) \
  HRESULT STDMETHODCALLTYPE Reserved##n() override { return E_NOTIMPL; }

struct FakeBar {
  double open = 0, high = 0, low = 0, close = 0;
  double upTicks = 0, downTicks = 0;
  int year = 2015, month = 1, day = 1, hour = 0, minute = 0;  // full year
};

// Which of the four interfaces a slot switch or a call count refers to.
enum class FakeIface { Study, Variable, NumSeries, DateSeries };

class FakeHost;

// The references handed out for one object and not yet released.
class FakeRefCount {
 public:
  explicit FakeRefCount(FakeHost* host) : host_(host) {}
  ULONG Add();
  ULONG Drop();  // beyond the handed-out references: counted as an over-release
  int Held() const { return held_; }

 private:
  FakeHost* host_;
  int held_ = 0;
};

class FakeVariable final : public IHostVariable {
 public:
  FakeVariable(FakeHost* host, std::vector<int> dims);
  std::vector<double> values;  // row-major over dims
  std::vector<int> dims;       // empty: a plain variable with one value
  int selected = 0;
  // Type GetValue hands values out as: VT_R8 (the host's own), or, to test callers against
  // a host that answers with the wrong type, VT_BSTR (the text "n/a"), VT_EMPTY or VT_NULL.
  VARTYPE handOutAs = VT_R8;
  FakeRefCount refs;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return refs.Add(); }
  ULONG STDMETHODCALLTYPE Release() override { return refs.Drop(); }
  XMT_FAKE_RESERVED(3) XMT_FAKE_RESERVED(4) XMT_FAKE_RESERVED(5) XMT_FAKE_RESERVED(6)
  XMT_FAKE_RESERVED(7) XMT_FAKE_RESERVED(8) XMT_FAKE_RESERVED(9) XMT_FAKE_RESERVED(10)
  XMT_FAKE_RESERVED(11)
  HRESULT STDMETHODCALLTYPE GetValue(int kind, VARIANT* value) override;
  HRESULT STDMETHODCALLTYPE PutValue(int kind, VARIANT value) override;
  XMT_FAKE_RESERVED(14) XMT_FAKE_RESERVED(15) XMT_FAKE_RESERVED(16) XMT_FAKE_RESERVED(17)
  XMT_FAKE_RESERVED(18) XMT_FAKE_RESERVED(19) XMT_FAKE_RESERVED(20) XMT_FAKE_RESERVED(21)
  XMT_FAKE_RESERVED(22) XMT_FAKE_RESERVED(23) XMT_FAKE_RESERVED(24) XMT_FAKE_RESERVED(25)
  HRESULT STDMETHODCALLTYPE GetDimensions(int* count) override;
  XMT_FAKE_RESERVED(27)
  HRESULT STDMETHODCALLTYPE SelectElement(int dimension, int index) override;
  HRESULT STDMETHODCALLTYPE GetElementCount(int dimension, int* count) override;

 private:
  FakeHost* host_;
};

class FakeNumSeries final : public IHostNumSeries {
 public:
  FakeNumSeries(FakeHost* host, bool up) : refs(host), host_(host), up_(up) {}
  FakeRefCount refs;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return refs.Add(); }
  ULONG STDMETHODCALLTYPE Release() override { return refs.Drop(); }
  XMT_FAKE_RESERVED(3) XMT_FAKE_RESERVED(4) XMT_FAKE_RESERVED(5) XMT_FAKE_RESERVED(6)
  XMT_FAKE_RESERVED(7) XMT_FAKE_RESERVED(8) XMT_FAKE_RESERVED(9) XMT_FAKE_RESERVED(10)
  XMT_FAKE_RESERVED(11) XMT_FAKE_RESERVED(12) XMT_FAKE_RESERVED(13) XMT_FAKE_RESERVED(14)
  XMT_FAKE_RESERVED(15)
  HRESULT STDMETHODCALLTYPE GetValue(int barsAgo, double* value) override;

 private:
  FakeHost* host_;
  bool up_;
};

class FakeDateSeries final : public IHostDateSeries {
 public:
  explicit FakeDateSeries(FakeHost* host) : refs(host), host_(host) {}
  FakeRefCount refs;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return refs.Add(); }
  ULONG STDMETHODCALLTYPE Release() override { return refs.Drop(); }
  XMT_FAKE_RESERVED(3) XMT_FAKE_RESERVED(4) XMT_FAKE_RESERVED(5) XMT_FAKE_RESERVED(6)
  XMT_FAKE_RESERVED(7) XMT_FAKE_RESERVED(8) XMT_FAKE_RESERVED(9)
  HRESULT STDMETHODCALLTYPE GetYear(int barsAgo, int* value) override;
  HRESULT STDMETHODCALLTYPE GetMonth(int barsAgo, int* value) override;
  HRESULT STDMETHODCALLTYPE GetDay(int barsAgo, int* value) override;
  HRESULT STDMETHODCALLTYPE GetHour(int barsAgo, int* value) override;
  HRESULT STDMETHODCALLTYPE GetMinute(int barsAgo, int* value) override;

 private:
  HRESULT Field(int slot, int barsAgo, int FakeBar::*field, int* value);
  FakeHost* host_;
};

class FakeHost final : public IHostStudy {
 public:
  FakeHost();
  ~FakeHost();
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  // --- set-up -------------------------------------------------------------------------
  // Appends a bar; the cursor moves to it (the study sees it as its current bar).
  void AddBar(const FakeBar& bar);
  // Moves the cursor to bar index (0-based); the bars after it stay invisible.
  void SetCursor(int index) { cursor_ = index; }
  int Cursor() const { return cursor_; }
  int BarCount() const { return static_cast<int>(bars_.size()); }
  // Slot 8 gives counter, slot 7 offset. Until this is called, slot 8 gives cursor + 1 and
  // slot 7 gives 0 (the host's usual one-based bar number).
  void SetBarNumberParts(int counter, int offset);
  // Creates (or replaces) a named array with the given dimension sizes, all values 0.
  // An empty dims list makes a plain variable with one value.
  FakeVariable& AddArray(const std::string& name, std::vector<int> dims);
  void RemoveArray(const std::string& name);
  // The array's values (row-major), or null when there is none of that name.
  const std::vector<double>* ArrayValues(const std::string& name) const;
  std::vector<double>* MutableArrayValues(const std::string& name);
  void SetDateSeriesMissing(bool missing) { dateMissing_ = missing; }
  void SetUpTicksMissing(bool missing) { upMissing_ = missing; }
  void SetDownTicksMissing(bool missing) { downMissing_ = missing; }
  // From now on the call at (iface, slot) returns hr (S_OK removes the switch).
  void FailSlot(FakeIface iface, int slot, HRESULT hr);
  // Calls made so far at (iface, slot), failed ones included.
  int Calls(FakeIface iface, int slot) const;
  int TotalCalls() const;
  // References handed out and not released yet, over every object (removed arrays too).
  int OutstandingRefs() const;
  // Release calls made when no handed-out reference was left.
  int OverReleases() const { return overReleases_; }
  void CountOverRelease() { ++overReleases_; }

  // --- IHostStudy ------------------------------------------------------------------------
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  XMT_FAKE_RESERVED(3) XMT_FAKE_RESERVED(4) XMT_FAKE_RESERVED(5) XMT_FAKE_RESERVED(6)
  HRESULT STDMETHODCALLTYPE GetBarOffset(int* value) override;
  HRESULT STDMETHODCALLTYPE GetBarCounter(int arg, int* value) override;
  HRESULT STDMETHODCALLTYPE GetOpen(int barsAgo, double* value) override;
  HRESULT STDMETHODCALLTYPE GetClose(int barsAgo, double* value) override;
  HRESULT STDMETHODCALLTYPE GetLow(int barsAgo, double* value) override;
  HRESULT STDMETHODCALLTYPE GetHigh(int barsAgo, double* value) override;
  HRESULT STDMETHODCALLTYPE GetVariable(VARIANT name, IHostVariable** variable) override;
  XMT_FAKE_RESERVED(14) XMT_FAKE_RESERVED(15) XMT_FAKE_RESERVED(16) XMT_FAKE_RESERVED(17)
  XMT_FAKE_RESERVED(18) XMT_FAKE_RESERVED(19) XMT_FAKE_RESERVED(20) XMT_FAKE_RESERVED(21)
  XMT_FAKE_RESERVED(22)
  HRESULT STDMETHODCALLTYPE GetDateSeries(int arg, IHostDateSeries** series) override;
  HRESULT STDMETHODCALLTYPE GetUpTicks(int arg, IHostNumSeries** series) override;
  HRESULT STDMETHODCALLTYPE GetDownTicks(int arg, IHostNumSeries** series) override;

  // For the objects it hands out: counts the call and gives the switched result (S_OK
  // when none).
  HRESULT Enter(FakeIface iface, int slot);
  // The bar barsAgo back from the cursor, or null when there is none.
  const FakeBar* BarAt(int barsAgo) const;

 private:
  HRESULT Price(int slot, int barsAgo, double FakeBar::*field, double* value);
  static std::string Key(const std::string& name);

  std::vector<FakeBar> bars_;
  int cursor_ = -1;
  bool explicitNumber_ = false;
  int counter_ = 0;
  int offset_ = 0;
  std::map<std::string, FakeVariable*> arrays_;  // upper-cased name -> owned array
  std::vector<FakeVariable*> retired_;  // removed while still referenced; owned
  int overReleases_ = 0;
  FakeNumSeries up_;
  FakeNumSeries down_;
  FakeDateSeries date_;
  bool dateMissing_ = false;
  bool upMissing_ = false;
  bool downMissing_ = false;
  std::map<std::pair<int, int>, HRESULT> failures_;
  std::map<std::pair<int, int>, int> calls_;
};
