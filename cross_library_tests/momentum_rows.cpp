// XMT_MOMENTUM's exports as rows of the bad-argument matrix.

#include <filesystem>
#include <fstream>

#include "cross_library_tests/library_rows.h"
#include "momentum/xmt_momentum.h"

using namespace matrix;

namespace {

// The readable pattern text file of the baseline XMT_PatDetect call.
std::string PatternText() {
  return Platform::Default().NativePath("C:/Database/DO_DER/MxPatDetect.txt");
}

// Args block of XMT_UTC for bar `bar` of the prepared history: intraday 5-minute bars,
// look-back 3, smoothing 2.
std::vector<float> UtcArgs(int bar) {
  const float p = PreparedPrice(bar) / 100.0f;
  std::vector<float> v(92, 0.0f);
  v[0] = static_cast<float>(PreparedDate(bar));
  v[1] = 1600;
  v[2] = p;
  v[3] = p + 0.5f;
  v[4] = p - 0.5f;
  v[5] = p;
  v[6] = 1000;
  v[7] = static_cast<float>(bar);
  v[8] = 5;
  v[9] = 1;
  v[11] = 3;
  v[12] = 2;
  return v;
}

}  // namespace

void PrepareMomentum(const LoadedLibrary& lib) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::create_directories(fs::path(PatternText()).parent_path(), ec);
  std::ofstream(PatternText(), std::ios::binary) << "one\r\ntwo\r\n";
  auto utc = lib.Get<XMT_UTC_fn>("XMT_UTC");
  auto rrs = lib.Get<XMT_RRS_fn>("XMT_RRS");
  if (!utc || !rrs) return;
  for (int bar = 1; bar <= kPreparedBars; ++bar) {
    std::vector<float> args = UtcArgs(bar);
    std::vector<XmtSlot> block(args.size());
    for (size_t i = 0; i < args.size(); ++i) block[i].value = args[i];
    utc("MxUtc", block.data());
    rrs(10, 1, PreparedPrice(bar) / 100.0f, PreparedDate(bar), 1600, 0, 0, 1, 0);
  }
}

std::vector<MatrixEntry> MomentumRows() {
  Param file = Txt(PatternText());
#if XMT_MODAL_BOXES
  file = file.Fixed();  // an unreadable file is reported in a message box
#endif
  return {
      // A null block: -1; a null symbol: -2 (both failures).
      {MakeRow<XMT_UTC_fn>("XMT_UTC", {Txt("MxUtc"), SOut(92, UtcArgs(kPreparedBars))}),
       {-2, -1, -1}},
      {MakeRow<XMT_PatDetect_fn>("XMT_PatDetect", {I(0), file}), {-9, -9}},
      // No pointers: the one "null" call is the baseline on the prepared history.
      {MakeRow<XMT_RRS_fn>("XMT_RRS", {I(10), I(1), F(100), D(), T(), I(0), I(0), I(1), I(0)}),
       {0}},
  };
}
