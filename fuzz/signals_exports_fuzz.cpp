// Fuzz target: sequences of XMT_SIGNALS export calls as a host (or a careless study) makes
// them.
//
// Each call takes a few bytes: the export, the symbol or name (a few real ones in either
// letter case, empty, null, very long, with path characters), mostly plausible but
// sometimes arbitrary dates, times, divisors, prices, lengths, modes and floats (NaN and
// infinities included), and null or real pointers. Blocks, error buffers and single
// values are heap blocks of exactly the documented size, so a write past them is caught.
// The exports are linked in statically so that coverage sees them. XMT_BSP works on one
// study object that lives as long as the process (the library keeps what a study lends
// it, as the platform's study does): the input moves its cursor over 500 bars, sets its
// array's inputs and bar-number parts and makes its calls fail.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/platform/platform.h"
#include "common/settings/files.h"
#include "common/testing/test_dirs.h"
#include "fuzz/fuzz_env.h"
#include "hostbridge/testing/fake_host.h"
#include "signals/xmt_signals.h"

namespace {

const std::string kLong(1500, 'S');
const char* const kSyms[] = {"ES", "es", "NQ", "", nullptr, kLong.c_str(), "../x", "CON"};
const char* const kCommands[] = {"Speak", "speakwait", "Stop", "", nullptr, "Other"};
constexpr int kCsv2Slots = 16;
constexpr int kLoadColSlots = 13;
constexpr int kStudyBars = 500;

// Mostly a value near base, sometimes any float.
float Real(FuzzInput& in, float base) {
  const uint8_t b = in.Byte();
  if (b < 0xF0) return base + static_cast<float>(static_cast<int>(b) - 120) / 8.0f;
  return in.FloatBits();
}

FakeHost& Study() {
  static FakeHost* host = [] {
    auto* h = new FakeHost;  // lives as long as the process
    FakeVariable& array = h->AddArray("arrBSP", {10});
    array.values[2] = array.values[3] = 5;
    array.values[4] = 1;
    for (int i = 0; i < kStudyBars; ++i) {
      FakeBar bar;
      bar.upTicks = 10 + i % 7;
      bar.downTicks = 5 + i % 11;
      bar.day = 1 + i % 28;
      h->AddBar(bar);
    }
    return h;
  }();
  return *host;
}

struct Calls : FuzzBarClock {
  int prices[5] = {10000, 10100, 9900, 10050, 500};

  void NextBar(FuzzInput& in) {
    FuzzBarClock::NextBar();
    for (int& p : prices) p += static_cast<signed char>(in.Byte());
  }
  const int* Price(FuzzInput& in, int i) { return in.Byte() % 16 == 0 ? nullptr : &prices[i]; }
  int Date(FuzzInput& in, uint8_t flags) { return flags & 2 ? in.Int() : date; }
  int Time(FuzzInput& in, uint8_t flags) { return flags & 4 ? in.Int() : time; }

  void Bsp(FuzzInput& in) {
    FakeHost& host = Study();
    const uint8_t flags = in.Byte();
    host.SetCursor(in.Byte() % kStudyBars);
    if (flags & 1) host.SetBarNumberParts(in.NumberNear(bar), flags & 2 ? in.Int() : 0);
    if (std::vector<double>* v = host.MutableArrayValues("arrBSP")) {
      for (int i = 2; i <= 4; ++i) (*v)[static_cast<size_t>(i)] = Real(in, i == 4 ? 1 : 5);
    }
    if (flags & 4) {
      host.FailSlot(static_cast<FakeIface>(in.Byte() % 4), in.Byte() % 32,
                    in.Byte() & 1 ? E_FAIL : E_INVALIDARG);
    }
    std::vector<char> err(XMT_SIGNALS_ERR_BUF_SIZE);
    const char* key = in.Pick(kSyms);
    if (key) std::strncpy(err.data(), key, err.size() - 1);
    XMT_BSP(in.Pick(kSyms), in.NumberNear(1), in.NumberNear(2), flags & 8 ? nullptr : err.data(),
            flags & 16 ? nullptr : static_cast<IHostStudy*>(&host), 0);
    float out = 0;
    XMT_BSPCalc(nullptr, Real(in, 10), Real(in, 5), in.NumberNear(1), flags & 32 ? nullptr : &out);
  }

  void GemAdd(FuzzInput& in) {
    NextBar(in);
    const uint8_t flags = in.Byte();
    XMT_FindGemAdd(0, in.Pick(kSyms), Date(in, flags), Time(in, flags), in.NumberNear(100),
                   Price(in, 0), Price(in, 1), Price(in, 2), Price(in, 3), Price(in, 4),
                   flags & 8 ? in.Int() : in.NumberNear(5));
  }

  void GemCalc(FuzzInput& in) {
    const uint8_t flags = in.Byte();
    std::vector<float> out(4);
    XMT_FindGemCalc(0, in.Pick(kSyms), Date(in, flags) - (flags & 8 ? in.Byte() : 0),
                    Time(in, flags), flags & 16 ? nullptr : &out[0], &out[1],
                    flags & 32 ? nullptr : &out[2], &out[3]);
  }

  void RareAvg(FuzzInput& in) {
    NextBar(in);
    const uint8_t flags = in.Byte();
    const int respFacs[] = {60, 0, 99, 260, -1818, -1819, -1820, -5, 61, 10099};
    XMT_RareAvg(in.Pick(kSyms), in.NumberNear(10), in.NumberNear(0), Real(in, prices[3] / 100.0f),
                flags & 1 ? -date : Date(in, flags), Time(in, flags),
                flags & 8 ? in.Int() : respFacs[in.Byte() % 10], 0, in.Byte() % 4,
                in.Byte() % 3, flags & 16 ? bar - 1 : bar);
  }

  void Trend(FuzzInput& in) {
    NextBar(in);
    const uint8_t flags = in.Byte();
    float pos = 0, width = 0;
    XMT_TrendReversal(0, in.Pick(kSyms), Date(in, flags), Time(in, flags), in.Byte() % 4,
                      in.NumberNear(1), Real(in, prices[3] / 100.0f), Real(in, 1), in.NumberNear(3),
                      in.NumberNear(12), flags & 8 ? nullptr : &pos, flags & 16 ? nullptr : &width);
  }

  void Save(FuzzInput& in) {
    NextBar(in);
    const uint8_t flags = in.Byte();
    const char* sym = in.Pick(kSyms);
    if (flags & 8) {
      XMT_SaveDataToTxt(0, sym, Date(in, flags), flags & 16 ? -1 : Time(in, flags),
                        in.NumberNear(100), Price(in, 0), Price(in, 1), Price(in, 2), Price(in, 3),
                        Price(in, 4), flags & 32);
    } else {
      XMT_SaveDataToCsv(0, sym, Date(in, flags), flags & 16 ? -1 : Time(in, flags),
                        in.NumberNear(100), Price(in, 0), Price(in, 1), Price(in, 2), Price(in, 3),
                        Price(in, 4), flags & 32);
    }
  }

  void SaveCsv2(FuzzInput& in) {
    NextBar(in);
    const uint8_t flags = in.Byte();
    std::vector<XmtSlot> block(kCsv2Slots);
    const float base[kCsv2Slots] = {static_cast<float>(date), static_cast<float>(time), 100,
                                    101, 99, 100, 10, 0, 0, 0, 0, 5, 0, 1, 1, 0};
    for (int i = 0; i < kCsv2Slots; ++i) block[static_cast<size_t>(i)].value = Real(in, base[i]);
    block[15].value = static_cast<float>(in.Byte() % 4);
    std::vector<char> err(XMT_SIGNALS_ERR_BUF_SIZE);
    XMT_SaveDataToCsv2(in.Pick(kSyms), flags & 1 ? nullptr : block.data(),
                       flags & 2 ? nullptr : err.data());
  }

  void LoadCol(FuzzInput& in) {
    const uint8_t flags = in.Byte();
    std::vector<XmtSlot> block(kLoadColSlots);
    block[0].value = Real(in, static_cast<float>(date));
    block[1].value = Real(in, static_cast<float>(time));
    block[7].value = Real(in, static_cast<float>(bar));
    block[11].value = Real(in, 3);
    std::vector<char> err(XMT_SIGNALS_ERR_BUF_SIZE);
    const char* files[] = {"fuzz.csv", "FUZZ.csv", "missing.csv", "../fuzz.csv", nullptr};
    XMT_LoadCol(files[in.Byte() % 5], flags & 1 ? nullptr : block.data(),
                flags & 2 ? nullptr : err.data());
  }

  void Small(FuzzInput& in) {
    const uint8_t flags = in.Byte();
    switch (flags % 4) {
      case 0: {
        int v[5] = {in.Int(), in.Int(), 7, -7, 0};
        XMT_F_PrcNorm(Real(in, 1), &v[0], flags & 8 ? nullptr : &v[1], &v[2], &v[3], &v[4]);
        break;
      }
      case 1: XMT_IfRealtime(in.NumberNear(1), in.NumberNear(0)); break;
      case 2: XMT_Speak(in.Pick(kCommands), in.Pick(kSyms), 0); break;
      default: XMT_OnCreate(); XMT_OnDestroy(); break;
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzEnvInit();
  MakeDirPath("C:/Database/LoadCol", 0);
  WriteWholeFile(Platform::Default().NativePath("C:/Database/LoadCol/fuzz.csv"),
                 "20150101,0930,1,2,3\r\n20150101,1000,4,5,6\r\n20150102,0930,7,8,9\r\n");
  Study();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  Calls calls;
  for (int n = 0; in.Remaining() > 0 && n < 2000; ++n) {
    switch (in.Byte() % 9) {
      case 0: calls.Bsp(in); break;
      case 1: calls.GemAdd(in); break;
      case 2: calls.GemCalc(in); break;
      case 3: calls.RareAvg(in); break;
      case 4: calls.Trend(in); break;
      case 5: calls.Save(in); break;
      case 6: calls.SaveCsv2(in); break;
      case 7: calls.LoadCol(in); break;
      default: calls.Small(in); break;
    }
  }
  // The study's failing calls end with the input.
  FakeHost& host = Study();
  for (int iface = 0; iface < 4; ++iface) {
    for (int slot = 0; slot < 32; ++slot) host.FailSlot(static_cast<FakeIface>(iface), slot, S_OK);
  }
  return 0;
}
