// XMT_PATTERN's exports as rows of the bad-argument matrix.

#include "pattern/xmt_pattern.h"
#include "robustness/library_rows.h"

using namespace matrix;

std::vector<MatrixEntry> PatternRows() {
  const int kErr = XMT_PATTERN_ERR_BUF_SIZE;
  // Bar arguments around a valid daily bar in cents.
  auto bar = [](const char* id) {
    return std::vector<Param>{I(1),      Txt(id).Key(),    D(),        T(),        I(1),    I(100),
                              PIn(10000), PIn(10100), PIn(9900), PIn(10050), I(1000)};
  };
  return {
      // Null id: -2; a null price reads as 0 (the bar index 0 of a fresh instance).
      {MakeRow<XMT_ZZ_AddBar_fn>("XMT_ZZ_AddBar", bar("MxZZ")), {-2, 0, 0, 0, 0, -2}},
      {MakeRow<XMT_PATTERN_AddBar_fn>("XMT_PATTERN_AddBar", bar("MxPat")), {-2, 0, 0, 0, 0, -2}},
      {MakeRow<XMT_ZZ_CalcPiv_fn>("XMT_ZZ_CalcPiv",
                                  {I(0), Txt("MxZZ"), I(5), I(2), I(2), SOut(12)}),
       {-2, 0, -2}},
      {MakeRow<XMT_PATTERN_CalcPat_fn>("XMT_PATTERN_CalcPat",
                                       {I(0), Txt("MxPat").Key(), I(5), I(2), I(2), SOut(100),
                                        Txt("MxMissing"), Err(kErr)}),
       {-2, -5, -5, -5, -2}},
      {MakeRow<XMT_RS_ChkPiv_fn>("XMT_RS_ChkPiv",
                                 {Txt("MxRS"), D(), T(), I(1), I(100), PIn(0), PIn(0), PIn(0),
                                  PIn(10000), I(1000), I(2), I(2), SOut(20)}),
       {-2, 0, 0, 0, 0, 0, -2}},
      {MakeRow<XMT_PATTERN64_fn>("XMT_PATTERN64", {Txt("Mx64").Key(), Err(kErr), Study(),
                                                   Txt("MxMissing"), Err(kErr)}),
       {-2, 0, -104, 0, 0, -104}},
  };
}
