// Host bridge: vtable slot numbers of the host interfaces, the VARIANT/BSTR layer (the real
// oleaut32 one on win64, so both builds must agree), the failure-to-exception rule and the
// fake study object driven through the wrappers.
#include <gtest/gtest.h>

#include <climits>

#include <cstdint>
#include <cstring>
#include <new>

#include "hostbridge/export_guard.h"
#include "hostbridge/host_call.h"
#include "hostbridge/testing/fake_host.h"

namespace {

// Slot of a virtual member in the Itanium C++ ABI that both g++ and MinGW g++ use: the
// pointer-to-member holds 1 + the byte offset of its vtable entry.
template <typename F>
int SlotOf(F member) {
  static_assert(sizeof(F) == 2 * sizeof(uintptr_t));
  uintptr_t raw = 0;
  std::memcpy(&raw, &member, sizeof raw);
  EXPECT_EQ(raw % sizeof(void*), 1u) << "not a virtual member";
  return static_cast<int>((raw - 1) / sizeof(void*));
}

TEST(HostInterfaces, SlotsAreTheHostSlots) {
  EXPECT_EQ(SlotOf(&IHostStudy::AddRef), 1);  // QueryInterface is overloaded in <unknwn.h>
  EXPECT_EQ(SlotOf(&IHostStudy::Release), 2);
  EXPECT_EQ(SlotOf(&IHostStudy::GetBarOffset), 7);
  EXPECT_EQ(SlotOf(&IHostStudy::GetBarCounter), 8);
  EXPECT_EQ(SlotOf(&IHostStudy::GetOpen), 9);
  EXPECT_EQ(SlotOf(&IHostStudy::GetClose), 10);
  EXPECT_EQ(SlotOf(&IHostStudy::GetLow), 11);
  EXPECT_EQ(SlotOf(&IHostStudy::GetHigh), 12);
  EXPECT_EQ(SlotOf(&IHostStudy::GetVariable), 13);
  EXPECT_EQ(SlotOf(&IHostStudy::GetDateSeries), 23);
  EXPECT_EQ(SlotOf(&IHostStudy::GetUpTicks), 24);
  EXPECT_EQ(SlotOf(&IHostStudy::GetDownTicks), 25);

  EXPECT_EQ(SlotOf(&IHostVariable::GetValue), 12);
  EXPECT_EQ(SlotOf(&IHostVariable::PutValue), 13);
  EXPECT_EQ(SlotOf(&IHostVariable::GetDimensions), 26);
  EXPECT_EQ(SlotOf(&IHostVariable::SelectElement), 28);
  EXPECT_EQ(SlotOf(&IHostVariable::GetElementCount), 29);

  EXPECT_EQ(SlotOf(&IHostNumSeries::GetValue), 16);

  EXPECT_EQ(SlotOf(&IHostDateSeries::GetYear), 10);
  EXPECT_EQ(SlotOf(&IHostDateSeries::GetMonth), 11);
  EXPECT_EQ(SlotOf(&IHostDateSeries::GetDay), 12);
  EXPECT_EQ(SlotOf(&IHostDateSeries::GetHour), 13);
  EXPECT_EQ(SlotOf(&IHostDateSeries::GetMinute), 14);
}

TEST(HostInterfaces, ObjectsAnswerTheirIids) {
  FakeHost host;
  void* out = nullptr;
  EXPECT_EQ(host.QueryInterface(kIidHostStudy, &out), S_OK);
  EXPECT_EQ(out, static_cast<IHostStudy*>(&host));
  EXPECT_EQ(host.QueryInterface(kIidHostVariable, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_FALSE(SameIid(kIidHostNumSeries, kIidHostDateSeries));
  EXPECT_EQ(kIidHostStudy.Data1, 0x7CEEB700u);
}

TEST(ComTypes, BstrKeepsLengthAndEmbeddedZeros) {
  const OLECHAR text[] = {L'a', L'\0', L'b'};
  BSTR b = SysAllocStringLen(text, 3);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(SysStringLen(b), 3u);
  EXPECT_EQ(b[2], L'b');
  EXPECT_EQ(b[3], L'\0');
  SysFreeString(b);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);

  VARIANT v = MakeBstrVariant("arrValIn");
  ASSERT_EQ(v.vt, VT_BSTR);
  EXPECT_EQ(SysStringLen(v.bstrVal), 8u);
  EXPECT_EQ(v.bstrVal[3], L'V');
  EXPECT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(v.vt, VT_EMPTY);
}

TEST(ComTypes, NumbersConvertAmongThemselves) {
  VARIANT src, dst;
  VariantInit(&src);
  VariantInit(&dst);
  src.vt = VT_R8;
  src.dblVal = 1.23456;
  ASSERT_EQ(VariantChangeType(&dst, &src, 0, VT_R4), S_OK);
  EXPECT_EQ(dst.vt, VT_R4);
  EXPECT_EQ(dst.fltVal, 1.23456f);

  src.dblVal = 2.5;  // integers round half to even
  ASSERT_EQ(VariantChangeType(&dst, &src, 0, VT_I4), S_OK);
  EXPECT_EQ(dst.lVal, 2);
  src.dblVal = -3.5;
  ASSERT_EQ(VariantChangeType(&dst, &src, 0, VT_I4), S_OK);
  EXPECT_EQ(dst.lVal, -4);

  src.vt = VT_I4;
  src.lVal = -7;
  ASSERT_EQ(VariantChangeType(&src, &src, 0, VT_R8), S_OK);  // in place
  EXPECT_EQ(src.vt, VT_R8);
  EXPECT_EQ(src.dblVal, -7.0);

  VariantInit(&src);  // empty reads as zero
  ASSERT_EQ(VariantChangeType(&dst, &src, 0, VT_R4), S_OK);
  EXPECT_EQ(dst.fltVal, 0.0f);
}

TEST(ComTypes, OverflowAndBadTextFailAndLeaveDestination) {
  VARIANT src, dst;
  VariantInit(&src);
  VariantInit(&dst);
  dst.vt = VT_I4;
  dst.lVal = 42;
  src.vt = VT_R8;
  src.dblVal = 1e40;
  EXPECT_EQ(VariantChangeType(&dst, &src, 0, VT_R4), DISP_E_OVERFLOW);
  src.dblVal = 3e9;
  EXPECT_EQ(VariantChangeType(&dst, &src, 0, VT_I4), DISP_E_OVERFLOW);
  EXPECT_EQ(dst.vt, VT_I4);
  EXPECT_EQ(dst.lVal, 42);

  VARIANT text = MakeBstrVariant("12abc");
  EXPECT_EQ(VariantChangeType(&dst, &text, 0, VT_R4), DISP_E_TYPEMISMATCH);
  VariantClear(&text);
}

TEST(ComTypes, TextAndNumbersRoundTrip) {
  VARIANT text = MakeBstrVariant("1.5");
  VARIANT num;
  VariantInit(&num);
  ASSERT_EQ(VariantChangeType(&num, &text, 0, VT_R4), S_OK);
  EXPECT_EQ(num.fltVal, 1.5f);
  ASSERT_EQ(VariantChangeType(&text, &num, 0, VT_BSTR), S_OK);  // frees the old text
  ASSERT_EQ(text.vt, VT_BSTR);
  ASSERT_EQ(SysStringLen(text.bstrVal), 3u);
  EXPECT_EQ(text.bstrVal[0], L'1');
  EXPECT_EQ(text.bstrVal[1], L'.');
  EXPECT_EQ(text.bstrVal[2], L'5');
  VariantClear(&text);
}

TEST(HostCall, FailedResultThrowsWithResultAndIid) {
  EXPECT_NO_THROW(CheckHost(S_OK, kIidHostStudy));
  EXPECT_NO_THROW(CheckHost(S_FALSE, kIidHostStudy));
  try {
    CheckHost(E_FAIL, kIidHostVariable);
    FAIL() << "no exception";
  } catch (const HostComError& e) {
    EXPECT_EQ(e.Result(), E_FAIL);
    EXPECT_TRUE(SameIid(e.Iid(), kIidHostVariable));
    EXPECT_STREQ(e.what(), "host call failed: HRESULT 0x80004005, IID "
                           "{7CEEB6FB-D59E-11D3-8394-00C04F7BDF10}");
  }
  EXPECT_THROW(HostOpen(nullptr), HostComError);
  EXPECT_THROW(HostGetFloat(nullptr), HostComError);
}

// A body that filled half its results and then failed leaves zeros, not half a result; a body
// that finishes keeps what it filled.
TEST(ExportGuard, FillingBodyThatFailsLeavesTheEmptyResult) {
  struct Out {
    float a = 0, b = 0;
  };
  Out out;
  EXPECT_EQ(-1, GuardExportFilling("XMT_Test", -1, out, [&]() -> int {
              out.a = 5;
              throw std::bad_alloc();
            }));
  EXPECT_EQ(0.0f, out.a);
  EXPECT_EQ(7, GuardExportFilling("XMT_Test", -1, out, [&] {
              out.a = 5;
              out.b = 6;
              return 7;
            }));
  EXPECT_EQ(5.0f, out.a);
  EXPECT_EQ(6.0f, out.b);
}

class FakeHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeBar a;
    a.open = 1.1; a.high = 1.3; a.low = 1.0; a.close = 1.2; a.upTicks = 10; a.downTicks = 4;
    a.year = 2015; a.month = 4; a.day = 15; a.hour = 9; a.minute = 30;
    host.AddBar(a);
    FakeBar b = a;
    b.open = 2.1; b.high = 2.3; b.low = 2.0; b.close = 2.2; b.upTicks = 7; b.downTicks = 9;
    b.minute = 35;
    host.AddBar(b);
  }
  FakeHost host;
  IHostStudy* study() { return &host; }
};

TEST_F(FakeHostTest, BarPricesSeriesAndDateThroughWrappers) {
  EXPECT_EQ(HostOpen(study()), 2.1);
  EXPECT_EQ(HostHigh(study()), 2.3);
  EXPECT_EQ(HostLow(study()), 2.0);
  EXPECT_EQ(HostClose(study()), 2.2);
  EXPECT_EQ(HostClose(study(), 1), 1.2);
  EXPECT_THROW(HostClose(study(), 2), HostComError);  // before the first bar

  EXPECT_EQ(HostSeriesValue(HostUpTicks(study())), 7.0);
  EXPECT_EQ(HostSeriesValue(HostDownTicks(study()), 1), 4.0);
  HostDateFields d = HostBarDate(HostDateSeries(study()));
  EXPECT_EQ(d.year, 2015);
  EXPECT_EQ(d.month, 4);
  EXPECT_EQ(d.day, 15);
  EXPECT_EQ(d.hour, 9);
  EXPECT_EQ(d.minute, 35);

  host.SetCursor(0);  // the later bar is invisible again
  EXPECT_EQ(HostOpen(study()), 1.1);
  EXPECT_EQ(HostBarNumber(study()), 1);
  host.SetBarNumberParts(500, -3);
  EXPECT_EQ(HostBarNumber(study()), 497);
  // Nonsense from the host is held at the int range instead of overflowing.
  host.SetBarNumberParts(INT_MAX, 5);
  EXPECT_EQ(HostBarNumber(study()), INT_MAX);
  host.SetBarNumberParts(INT_MIN, -5);
  EXPECT_EQ(HostBarNumber(study()), INT_MIN);
}

TEST_F(FakeHostTest, ArraysRoundTripAsSinglePrecision) {
  host.AddArray("arrValOut", {100});
  IHostVariable* out = HostFindVariable(study(), "ARRVALOUT");  // names ignore case
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(HostDimensions(out), 1);
  EXPECT_EQ(HostElementCount(out), 100);
  HostPutElement(out, 99, 0.1f);
  HostPutElement(out, 0, -2.0f);
  const std::vector<double>* values = host.ArrayValues("arrValOut");
  ASSERT_NE(values, nullptr);
  EXPECT_EQ((*values)[99], static_cast<double>(0.1f));
  EXPECT_EQ((*values)[0], -2.0);
  EXPECT_EQ(HostGetElement(out, 99), 0.1f);
  EXPECT_THROW(HostSelectElement(out, 100), HostComError);

  (*host.MutableArrayValues("arrValOut"))[5] = 123.456;  // the host holds doubles
  EXPECT_EQ(HostGetElement(out, 5), 123.456f);

  host.AddArray("grid", {3, 4});
  EXPECT_EQ(HostDimensions(HostFindVariable(study(), "grid")), 2);
  EXPECT_EQ(HostElementCount(HostFindVariable(study(), "grid"), 1), 4);
}

TEST_F(FakeHostTest, MissingInputsAreNullNotErrors) {
  EXPECT_EQ(HostFindVariable(study(), "arrValIn"), nullptr);
  host.SetDateSeriesMissing(true);
  host.SetUpTicksMissing(true);
  host.SetDownTicksMissing(true);
  EXPECT_EQ(HostDateSeries(study()), nullptr);
  EXPECT_EQ(HostUpTicks(study()), nullptr);
  EXPECT_EQ(HostDownTicks(study()), nullptr);
  EXPECT_THROW(HostSeriesValue(HostUpTicks(study())), HostComError);  // null, not a crash
}

TEST_F(FakeHostTest, SwitchedSlotFailureReachesTheCaller) {
  host.AddArray("arrValIn", {50});
  IHostVariable* in = HostFindVariable(study(), "arrValIn");
  host.FailSlot(FakeIface::Variable, 12, E_UNEXPECTED);
  try {
    HostGetElement(in, 3);
    FAIL() << "no exception";
  } catch (const HostComError& e) {
    EXPECT_EQ(e.Result(), E_UNEXPECTED);
    EXPECT_TRUE(SameIid(e.Iid(), kIidHostVariable));
  }
  EXPECT_EQ(host.Calls(FakeIface::Variable, 28), 1);
  EXPECT_EQ(host.Calls(FakeIface::Variable, 12), 1);
  host.FailSlot(FakeIface::Variable, 12, S_OK);
  EXPECT_EQ(HostGetElement(in, 3), 0.0f);

  host.FailSlot(FakeIface::Study, 7, E_FAIL);
  EXPECT_THROW(HostBarNumber(study()), HostComError);
  host.FailSlot(FakeIface::DateSeries, 14, E_FAIL);
  EXPECT_THROW(HostBarDate(HostDateSeries(study())), HostComError);
}

// Every object handed out carries one reference, whichever getter gave it: the fake shows
// a reference not given back and a Release too many, and HostRef gives back exactly one.
TEST_F(FakeHostTest, HandedOutReferencesAreCountedAndHostRefReleasesThem) {
  host.AddArray("arrValIn", {5});
  using Getter = IUnknown* (*)(IHostStudy*);
  const struct {
    const char* what;
    Getter get;
  } getters[] = {
      {"variable", [](IHostStudy* s) -> IUnknown* { return HostFindVariable(s, "arrValIn"); }},
      {"dates", [](IHostStudy* s) -> IUnknown* { return HostDateSeries(s); }},
      {"up ticks", [](IHostStudy* s) -> IUnknown* { return HostUpTicks(s); }},
      {"down ticks", [](IHostStudy* s) -> IUnknown* { return HostDownTicks(s); }},
  };
  const IID unknown = {0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};  // IUnknown's own IID
  int overReleases = 0;
  for (const auto& g : getters) {
    SCOPED_TRACE(g.what);
    {
      HostRef<IUnknown> first(g.get(study()));
      HostRef<IUnknown> second(g.get(study()));
      ASSERT_TRUE(first && second);
      EXPECT_EQ(host.OutstandingRefs(), 2);
      const HostRef<IUnknown> moved(std::move(first));  // hands the reference on
      EXPECT_FALSE(first);
      void* again = nullptr;
      ASSERT_EQ(moved->QueryInterface(unknown, &again), S_OK);  // one more reference
      HostRef<IUnknown> viaQuery(static_cast<IUnknown*>(again));
      EXPECT_EQ(host.OutstandingRefs(), 3);
      second.Reset();
      EXPECT_EQ(host.OutstandingRefs(), 2);
    }
    EXPECT_EQ(host.OutstandingRefs(), 0);
    EXPECT_EQ(host.OverReleases(), overReleases);
    IUnknown* extra = g.get(study());
    extra->Release();
    extra->Release();  // a double release
    EXPECT_EQ(host.OverReleases(), ++overReleases);
  }

  // Out() gives the slot for a host call and releases what the holder had before.
  HostRef<IHostNumSeries> series;
  ASSERT_EQ(study()->GetUpTicks(kHostSeriesArg, series.Out()), S_OK);
  ASSERT_EQ(study()->GetUpTicks(kHostSeriesArg, series.Out()), S_OK);
  EXPECT_EQ(host.OutstandingRefs(), 1);
  series.Reset();

  // An array removed while referenced stays alive, so the late Release is still counted.
  IHostVariable* kept = HostFindVariable(study(), "arrValIn");
  host.RemoveArray("arrValIn");
  EXPECT_EQ(host.OutstandingRefs(), 1);
  kept->Release();
  EXPECT_EQ(host.OutstandingRefs(), 0);
  EXPECT_EQ(host.OverReleases(), overReleases);
}

}  // namespace
