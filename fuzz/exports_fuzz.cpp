// Fuzz target: sequences of XMT_PATTERN export calls as a host (or a careless study) makes
// them.
//
// Each call takes a few bytes: the export, the instance ID (including an empty, a very
// long and a null one), mostly plausible but sometimes arbitrary dates, bar numbers, price
// scales, prices, window lengths and bar positions, and null or real result blocks. The
// result blocks and the error buffer are heap blocks of exactly the documented size, so a
// write past them is caught. The exports are linked in statically so that coverage sees
// them; every instance and pattern is released after each input. XMT_PATTERN64 calls go to
// an in-memory study object whose bars, date fields, tick series, bar-number parts and
// "arrValIn" values come from the bytes (sometimes as arbitrary doubles), whose arrays may
// be missing, short or two-dimensional and whose calls may fail.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/platform/platform.h"
#include "common/settings/files.h"
#include "common/testing/test_dirs.h"
#include "fuzz/fuzz_env.h"
#include "hostbridge/testing/fake_host.h"
#include "pattern/pattern64.h"
#include "pattern/pattern_file.h"
#include "pattern/pattern_registry.h"
#include "pattern/rs_check.h"
#include "pattern/xmt_pattern.h"
#include "studycore/barmgr/bar_mgr_registry.h"

#ifndef XMT_TESTDATA_DIR
#define XMT_TESTDATA_DIR "testdata"
#endif

namespace {

const std::string kLongText(1500, 'Q');
const char* const kIds[] = {"A", "a", "B", "", nullptr, kLongText.c_str()};
const char* const kNames[] = {"Swing3", "XABCD_Bull", "Missing", "", nullptr,
                              kLongText.c_str(), "../Swing3"};
constexpr int kZZSlots = 12;
constexpr int kPatternSlots = 100;  // far more than the sample patterns' outputs

struct Calls : FuzzBarClock {
  int prices[4] = {1000, 1100, 900, 1050};

  void NextBar(FuzzInput& in) {
    FuzzBarClock::NextBar();
    for (int& p : prices) p += static_cast<signed char>(in.Byte());
  }

  int* Prices(FuzzInput& in, int i) { return in.Byte() % 16 == 0 ? nullptr : &prices[i]; }

  void AddBar(FuzzInput& in, bool pattern) {
    NextBar(in);
    uint8_t flags = in.Byte();
    int progress = flags & 1 ? -1 : 0;
    int d = flags & 2 ? in.Int() : date;
    int t = flags & 4 ? in.Int() : time;
    int n = flags & 8 ? -in.NumberNear(bar) : in.NumberNear(bar);
    int scale = flags & 16 ? in.Int() : 10 * (1 + (flags >> 5));
    const char* id = in.Pick(kIds);
    int* o = Prices(in, 0);
    int* h = Prices(in, 1);
    int* l = Prices(in, 2);
    int* c = Prices(in, 3);
    if (pattern)
      XMT_PATTERN_AddBar(progress, id, d, t, n, scale, o, h, l, c, in.Int());
    else
      XMT_ZZ_AddBar(progress, id, d, t, n, scale, o, h, l, c, in.Int());
  }

  void CalcPiv(FuzzInput& in) {
    const char* id = in.Pick(kIds);
    int pos = in.NumberNear(bar);  // the newest bar's position (index + 1)
    int left = in.NumberNear(8);
    int right = in.NumberNear(8);
    std::vector<XmtSlot> block(kZZSlots);
    XMT_ZZ_CalcPiv(0, id, pos, left, right, in.Byte() & 1 ? block.data() : nullptr);
  }

  void CalcPat(FuzzInput& in) {
    const char* id = in.Pick(kIds);
    int pos = in.NumberNear(bar);  // the newest bar's position (index + 1)
    int left = in.NumberNear(8);
    int right = in.NumberNear(8);
    const char* name = in.Pick(kNames);
    uint8_t flags = in.Byte();
    std::vector<XmtSlot> block(kPatternSlots);
    std::vector<char> err(XMT_PATTERN_ERR_BUF_SIZE);
    XMT_PATTERN_CalcPat(in.Int(), id, pos, left, right, flags & 1 ? block.data() : nullptr,
                        name, flags & 2 ? err.data() : nullptr);
  }

  void ChkPiv(FuzzInput& in) {
    NextBar(in);
    uint8_t flags = in.Byte();
    int d = flags & 2 ? in.Int() : date;
    int n = flags & 8 ? -in.NumberNear(bar) : in.NumberNear(bar);
    int scale = flags & 16 ? in.Int() : 100;
    int junk = in.Int();
    const char* id = in.Pick(kIds);
    int left = in.NumberNear(3);
    int right = in.NumberNear(3);
    std::vector<XmtSlot> block(kRsResultSlots);
    XMT_RS_ChkPiv(id, d, time, n, scale, &junk, nullptr, &junk, Prices(in, 3), in.Int(), left,
                  right, flags & 1 ? block.data() : nullptr);
  }

};

// Mostly a small value, sometimes any double (NaN and infinities included).
double Real(FuzzInput& in, double base) {
  uint8_t b = in.Byte();
  if (b < 0xF0) return base + (static_cast<int>(b) - 120) / 8.0;
  uint64_t bits = static_cast<unsigned>(in.Int());
  bits |= static_cast<uint64_t>(static_cast<unsigned>(in.Int())) << 32;
  double v = 0;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

// One XMT_PATTERN64 call on a new bar of the study object.
void CallPattern64(FakeHost& host, FuzzInput& in) {
  const uint8_t flags = in.Byte();
  FakeBar bar;
  const FakeBar* prev = host.BarAt(0);
  const double last = prev ? prev->close : 1.2;
  bar.open = Real(in, last);
  bar.high = Real(in, last + 0.5);
  bar.low = Real(in, last - 0.5);
  bar.close = Real(in, last);
  bar.upTicks = Real(in, 10);
  bar.downTicks = Real(in, 10);
  if (prev) {
    // The next day after the previous bar (the 28th wraps to the next month's 1st).
    bar.year = prev->year;
    bar.month = prev->month;
    bar.day = prev->day + 1;
  }
  if (flags & 1) {
    bar.year = in.Int();
    bar.month = static_cast<signed char>(in.Byte());
    bar.day = static_cast<signed char>(in.Byte());
    bar.hour = static_cast<signed char>(in.Byte());
    bar.minute = static_cast<signed char>(in.Byte());
  }
  if (bar.day > 28 && !(flags & 1) && bar.month >= 1 && bar.month <= 12) {
    bar.day = 1;
    bar.month = bar.month % 12 + 1;
  }
  host.AddBar(bar);
  if (flags & 2) host.SetBarNumberParts(in.NumberNear(host.BarCount()), in.Int());
  if (flags & 4) {
    // Arrays of another shape, or none.
    const int size = static_cast<int>(in.Byte());
    switch (in.Byte() % 4) {
      case 0: host.RemoveArray(in.Byte() & 1 ? "arrValIn" : "arrValOut"); break;
      case 1: host.AddArray(in.Byte() & 1 ? "arrValIn" : "arrValOut", {size}); break;
      case 2: host.AddArray("arrValIn", {size, 2}); break;
      default: host.AddArray("arrValOut", {}); break;
    }
  }
  if (flags & 8) {
    host.SetDateSeriesMissing(in.Byte() % 8 == 0);
    host.SetUpTicksMissing(in.Byte() % 8 == 0);
    host.SetDownTicksMissing(in.Byte() % 8 == 0);
  }
  if (flags & 16) {
    const FakeIface iface = static_cast<FakeIface>(in.Byte() % 4);
    host.FailSlot(iface, in.Byte() % 32, in.Byte() & 1 ? E_FAIL : E_INVALIDARG);
  }
  if (std::vector<double>* values = host.MutableArrayValues("arrValIn")) {
    const double style = (flags & 128) ? 2.0 : 1.0;
    const double defaults[4] = {3, 3, style, 0};
    for (size_t i = 0; i < 4 && i < values->size(); ++i) (*values)[i] = Real(in, defaults[i]);
  }
  std::vector<char> err(XMT_PATTERN_ERR_BUF_SIZE);
  std::vector<char> patErr(XMT_PATTERN_ERR_BUF_SIZE);
  XMT_PATTERN64(in.Pick(kIds), flags & 32 ? err.data() : nullptr,
                (flags & 64) && in.Byte() == 0 ? nullptr : static_cast<IHostStudy*>(&host),
                in.Pick(kNames), patErr.data());
  // Whatever path the call took, every host object it received went back exactly once.
  if (host.OutstandingRefs() != 0 || host.OverReleases() != 0) std::abort();
}

void CopyPattern(const char* name) {
  std::string text;
  ReadWholeFile(std::string(XMT_TESTDATA_DIR) + "/patterns/PR_" + name + ".txt", &text);
  std::string host = std::string(kPatternDir) + "/PR_" + name + ".txt";
  WriteWholeFile(Platform::Default().NativePath(host.c_str()), text);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzEnvInit();
  MakeDirPath(kPatternDir, 0);
  CopyPattern("Swing3");
  CopyPattern("XABCD_Bull");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  Calls calls;
  FakeHost host;
  host.AddArray("arrValIn", {kP64InputCount});
  host.AddArray("arrValOut", {kP64OutputCount});
  for (int n = 0; in.Remaining() > 0 && n < 2000; ++n) {
    switch (in.Byte() % 6) {
      case 5: CallPattern64(host, in); break;
      case 0: calls.AddBar(in, false); break;
      case 1: calls.AddBar(in, true); break;
      case 2: calls.CalcPiv(in); break;
      case 3: calls.CalcPat(in); break;
      default: calls.ChkPiv(in); break;
    }
  }
  ReleaseAllBarMgrs();
  ClearPatterns();
  return 0;
}
