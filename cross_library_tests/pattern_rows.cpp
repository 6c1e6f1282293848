// XMT_PATTERN's exports as rows of the bad-argument matrix.

#include <filesystem>
#include <fstream>

#include "cross_library_tests/library_rows.h"
#include "pattern/xmt_pattern.h"

using namespace matrix;

void PreparePattern(const LoadedLibrary& lib) {
  namespace fs = std::filesystem;
  const std::string folder = Platform::Default().NativePath("C:/Database/DO_DER");
  std::error_code ec;
  fs::create_directories(folder, ec);
  fs::copy_file(XMT_TESTDATA_DIR "/patterns/PR_Swing3.txt", folder + "/PR_MxSwing.txt",
                fs::copy_options::overwrite_existing, ec);
  auto zz = lib.Get<XMT_ZZ_AddBar_fn>("XMT_ZZ_AddBar");
  auto pat = lib.Get<XMT_PATTERN_AddBar_fn>("XMT_PATTERN_AddBar");
  auto rs = lib.Get<XMT_RS_ChkPiv_fn>("XMT_RS_ChkPiv");
  auto calc = lib.Get<XMT_PATTERN_CalcPat_fn>("XMT_PATTERN_CalcPat");
  if (!zz || !pat || !rs || !calc) return;
  XmtSlot block[100];
  char err[XMT_PATTERN_ERR_BUF_SIZE];
  for (int bar = 1; bar <= kPreparedBars; ++bar) {
    const int p = PreparedPrice(bar), hi = p + 50, lo = p - 50, d = PreparedDate(bar);
    zz(1, "MxZZ", d, 1600, bar, 100, &p, &hi, &lo, &p, 1000);
    const int pos = pat(1, "MxPat", d, 1600, bar, 100, &p, &hi, &lo, &p, 1000);
    calc(0, "MxPat", pos + 1, 2, 2, block, "MxSwing", err);
    rs("MxRS", d, 1600, bar, 100, nullptr, nullptr, nullptr, &p, 1000, 2, 2, block);
  }
}

std::vector<MatrixEntry> PatternRows() {
  const int kErr = XMT_PATTERN_ERR_BUF_SIZE;
  // Bar arguments around a valid daily bar in cents.
  auto bar = [](const char* id) {
    return std::vector<Param>{I(1),      Txt(id).Key(),    D(),        T(),        I(kPreparedBars), I(100),
                              PIn(10000), PIn(10100), PIn(9900), PIn(10050), I(1000)};
  };
  return {
      // Null id: -2; a null price reads as 0 (the bar index 0 of a fresh instance).
      {MakeRow<XMT_ZZ_AddBar_fn>("XMT_ZZ_AddBar", bar("MxZZ")), {-2, 0, 0, 0, 0, -2}},
      {MakeRow<XMT_PATTERN_AddBar_fn>("XMT_PATTERN_AddBar", bar("MxPat")), {-2, 0, 0, 0, 0, -2}},
      {MakeRow<XMT_ZZ_CalcPiv_fn>("XMT_ZZ_CalcPiv",
                                  {I(0), Txt("MxZZ"), I(kPreparedBars), I(2), I(2), SOut(12)}),
       {-2, 0, -2}},
      {MakeRow<XMT_PATTERN_CalcPat_fn>("XMT_PATTERN_CalcPat",
                                       {I(0), Txt("MxPat").Key(), I(kPreparedBars), I(2), I(2),
                                        SOut(100), Txt("MxSwing"), Err(kErr)}),
       {-2, 0, -5, 0, -2}},
      {MakeRow<XMT_RS_ChkPiv_fn>("XMT_RS_ChkPiv",
                                 {Txt("MxRS"), D(), T(), I(kPreparedBars), I(100), PIn(0), PIn(0), PIn(0),
                                  PIn(10000), I(1000), I(2), I(2), SOut(20)}),
       {-2, 0, 0, 0, 0, 0, -2}},
      {MakeRow<XMT_PATTERN64_fn>("XMT_PATTERN64", {Txt("Mx64").Key(), Err(kErr), Study(),
                                                   Txt("MxMissing"), Err(kErr)}),
       {-2, 0, -104, 0, 0, -104}},
  };
}
