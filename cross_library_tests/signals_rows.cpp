// XMT_SIGNALS's exports as rows of the bad-argument matrix.

#include <filesystem>
#include <fstream>

#include "cross_library_tests/library_rows.h"
#include "signals/xmt_signals.h"

using namespace matrix;

void PrepareSignals(const LoadedLibrary& lib) {
  namespace fs = std::filesystem;
  const std::string folder = Platform::Default().NativePath("C:/Database/LoadCol");
  std::error_code ec;
  fs::create_directories(folder, ec);
  {
    std::ofstream col(folder + "/MxCol.csv", std::ios::binary);
    for (int bar = 1; bar <= kPreparedBars; ++bar) {
      col << 19000000 + PreparedDate(bar) << "," << 1600 << "," << bar << "," << bar * 2
          << "\r\n";
    }
  }
  auto gem = lib.Get<XMT_FindGemAdd_fn>("XMT_FindGemAdd");
  auto rare = lib.Get<XMT_RareAvg_fn>("XMT_RareAvg");
  auto trend = lib.Get<XMT_TrendReversal_fn>("XMT_TrendReversal");
  if (!gem || !rare || !trend) return;
  for (int bar = 1; bar <= kPreparedBars; ++bar) {
    const int p = PreparedPrice(bar), hi = p + 50, lo = p - 50, d = PreparedDate(bar);
    gem(0, "MxGem", d, 1600, 100, &p, &hi, &lo, &p, &p, 5);
    rare("MxRare", 10, 10, p / 100.0f, d, 1600, 60, 0, 1, 0, bar);
    float pos = 0, width = 0;
    trend(0, "MxTrend", d, 1600, 1, 1, p / 100.0f, 1, 2, 5, &pos, &width);
  }
}

std::vector<MatrixEntry> SignalsRows() {
  const int kErr = XMT_SIGNALS_ERR_BUF_SIZE;
  auto prices = [] {
    return std::vector<Param>{PIn(10000), PIn(10100), PIn(9900), PIn(10050), PIn(1000)};
  };
  auto save = [&](const char* sym) {
    std::vector<Param> p{I(0), Txt(sym).Key(), D(), T(), I(100)};
    for (Param& q : prices()) p.push_back(q);
    p.push_back(I(0));
    return p;
  };
  std::vector<Param> gem{I(0), Txt("MxGem").Key(), D(), T(), I(100)};
  for (Param& q : prices()) gem.push_back(q);
  gem.push_back(I(5));
  // Bar block of XMT_SaveDataToCsv2: date, time, open, high, low, close, volumes, flags.
  const std::vector<float> csv2{1150415, 1600, 100, 101, 99, 100.5f, 10, 0, 0, 0, 0, 5,
                                0,       1,    1,   0};
  // Column block of XMT_LoadCol: date, time, bar number (slot 7), column (slot 11).
  const std::vector<float> col{1150415, 1600, 0, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0};
  return {
      {MakeRow<XMT_BSP_fn>("XMT_BSP", {Txt("MxBsp"), I(1).Key(), I(2), TxtBuf("MXSYM", kErr),
                                       Study(), I(0)}),
       {-2, 0, -9, -9}},
      {MakeRow<XMT_BSPCalc_fn>("XMT_BSPCalc", {Opaque(), F(10), F(5), I(1), FOut()}),
       {0, 0, 0}},
      {MakeRow<XMT_FindGemAdd_fn>("XMT_FindGemAdd", gem), {-2, 1, 1, 1, 1, 1, -2}},
      {MakeRow<XMT_FindGemCalc_fn>("XMT_FindGemCalc",
                                   {I(0), Txt("MxGem"), D(), T(), FOut(), FOut(), FOut(), FOut()}),
       {-2, -1, -1, -1, -1, -2}},
      {MakeRow<XMT_RareAvg_fn>("XMT_RareAvg", {Txt("MxRare"), I(10), I(10), F(100), D(), T(),
                                               I(60), I(0), I(1), I(0), I(kPreparedBars)}),
       {100, 100}},
      {MakeRow<XMT_TrendReversal_fn>("XMT_TrendReversal",
                                     {I(0), Txt("MxTrend"), D(), T(), I(1), I(1), F(100), F(1),
                                      I(2), I(5), FOut(), FOut()}),
       {-2, 0, 0, -2}},
      {MakeRow<XMT_SaveDataToCsv_fn>("XMT_SaveDataToCsv", save("MxCsv")),
       {-9, 1, 1, 1, 1, 1, -9}},
      {MakeRow<XMT_SaveDataToCsv2_fn>("XMT_SaveDataToCsv2",
                                      {Txt("MxCsv2").Key(), SIn(16, csv2), Err(kErr)}),
       {-9, 1, 1, -9}},
      {MakeRow<XMT_SaveDataToTxt_fn>("XMT_SaveDataToTxt", save("MxTxt")),
       {-9, 1, 1, 1, 1, 1, -9}},
      {MakeRow<XMT_LoadCol_fn>("XMT_LoadCol", {Txt("MxCol.csv"), SOut(13, col), Err(kErr)}),
       // One column state serves the process: the null block reads the first line again
       // (next line 2), and the call after it finds the file used up for the baseline bar.
       {-9, 2, -4, -9}},
      {MakeRow<XMT_TickSound_fn>("XMT_TickSound", {I(0), I(40), I(60), I(1)}), {0}},
      {MakeRow<XMT_Speak_fn>("XMT_Speak", {Txt("Stop"), Txt("x"), I(0)}), {-2, -3, -2}},
      {MakeRow<XMT_F_PrcNorm_fn>("XMT_F_PrcNorm", {F(2), PInOut(10), PInOut(20), PInOut(30),
                                                   PInOut(40), PInOut(50)}),
       {0, 0, 0, 0, 0, 0}},
      {MakeRow<XMT_IfRealtime_fn>("XMT_IfRealtime", {I(0), I(5)}), {-1}},
      {MakeRow<XMT_OnCreate_fn>("XMT_OnCreate", {}), {0}},
      {MakeRow<XMT_OnDestroy_fn>("XMT_OnDestroy", {}), {0}},
  };
}
