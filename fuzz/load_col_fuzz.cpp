// Fuzz target: column files of "C:/Database/LoadCol" as XMT_LoadCol reads them.
//
// The bytes up to the first 0x00 become the file "fuzz.csv"; the rest drives a sequence of
// loads through one CColumnLoader (as the library's process-wide one): the file name (the
// file in another letter case, a missing one, names climbing out of the folder, empty,
// null, very long), the bar's date, time, bar number and column (mostly plausible,
// sometimes any float, NaN and infinities included) and a null or real block and error
// buffer. The block and the error buffer are heap blocks of exactly the documented size.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/platform/platform.h"
#include "common/settings/files.h"
#include "common/testing/test_dirs.h"
#include "fuzz/fuzz_env.h"
#include "hostbridge/slot_block.h"
#include "signals/load_col.h"
#include "signals/xmt_signals.h"

namespace {

constexpr const char* kFolder = "C:/Database/LoadCol";
constexpr int kBlockSlots = 13;  // slots 0, 1, 7 and 11 read, 12 written
const std::string kLong(1200, 'c');
const char* const kNames[] = {"fuzz.csv", "FUZZ.CSV", "missing.csv", "../fuzz.csv",
                              "C:/Database/LoadCol/fuzz.csv", "", nullptr, kLong.c_str()};

// Mostly a value near base, sometimes any float.
float Value(FuzzInput& in, float base) {
  const uint8_t b = in.Byte();
  if (b < 0xF0) return base + static_cast<float>(static_cast<int>(b) - 120);
  return in.FloatBits();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzEnvInit();
  MakeDirPath(kFolder, 0);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const std::string file = in.Text(size);
  const std::string path = std::string(kFolder) + "/fuzz.csv";
  WriteWholeFile(Platform::Default().NativePath(path.c_str()), file);
  CColumnLoader loader;
  float date = 1150326, time = 930, bar = 1;
  for (int n = 0; in.Remaining() > 0 && n < 200; ++n) {
    const uint8_t flags = in.Byte();
    const char* name = kNames[flags % 8 < 3 ? 0 : in.Byte() % 8];
    bar += flags & 8 ? -1.0f : 1.0f;
    time += 5;
    std::vector<XmtSlot> block(kBlockSlots);
    block[0].value = Value(in, date);
    block[1].value = Value(in, time);
    block[7].value = Value(in, bar);
    block[11].value = Value(in, 3) - 117;  // mostly 3 +- a few
    std::vector<char> err(XMT_SIGNALS_ERR_BUF_SIZE);
    loader.Load(name, SlotBlock(flags & 16 ? nullptr : block.data()),
                flags & 32 ? nullptr : err.data());
    if (!(flags & 32) && std::memchr(err.data(), 0, err.size()) == nullptr) __builtin_trap();
  }
  return 0;
}
