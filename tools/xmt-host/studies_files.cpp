// XMT_SIGNALS studies of files: the three bar exports side by side (XMT_SaveDataToCsv,
// XMT_SaveDataToCsv2, XMT_SaveDataToTxt) and the round trip of a column file that
// XMT_SaveDataToCsv2 writes and XMT_LoadCol hands back bar by bar.
//
// The exports write into "<host folder>/../CSV"; the files they wrote are listed in the
// study's output and copied beside its CSV.
#include <cstring>
#include <filesystem>

#include "common/platform/platform.h"
#include "common/settings/settings.h"
#include "signals/xmt_signals.h"
#include "tools/xmt-host/study_kit.h"

namespace fs = std::filesystem;

namespace {

// The folder the bar exports write into ("<host folder>/../CSV"), as this process sees it.
fs::path ExportFolder() {
  return fs::path(BaseDirFromProgramPath(Platform::Default().MainProgramPath(), false)) / ".." /
         "CSV";
}

// Csv2's parameter block for one bar: layout 0 (the user's usual file) or 1 (yyyymmdd and
// hhmmss, the form XMT_LoadCol reads), with the symbol column or without.
void FillCsv2Block(const BarFile& file, int i, int layout, bool symbolColumn, XmtSlot* block) {
  const CsvBar& b = file.bars[i];
  double up = 0, down = 0;
  UpDownVolume(file, i, &up, &down);
  const double values[16] = {double(HostDate(b)), double(b.time), b.open, b.high, b.low, b.close,
                             up, 0, 0, 0, 0, down, 0, 1, symbolColumn ? 1.0 : 0.0,
                             double(layout)};
  for (int k = 0; k < 16; ++k) block[k].value = static_cast<float>(values[k]);
}

class ExportStudy : public Study {
 public:
  explicit ExportStudy(const StudyOptions& o) : o_(o), csv2Symbol_(o.id + "_2") {}
  bool Bind(Library& lib, std::string* error) override {
    return BindExport(lib, "XMT_SaveDataToCsv", &csv_, error) &&
           BindExport(lib, "XMT_SaveDataToCsv2", &csv2_, error) &&
           BindExport(lib, "XMT_SaveDataToTxt", &txt_, error);
  }
  bool Prepare(const BarFile& file, std::string* error) override {
    return ChooseScale(file, o_.scale, &scale_, error);
  }
  std::vector<std::string> SlotNames() const override { return {"Csv2Line", "TxtLine"}; }
  // Csv and Txt each keep their own run, so they go bar by bar together; Csv2 shares its
  // run with Csv and gets a second pass over the bars in Finish.
  void Feed(const BarFile& file, int i, StudyOutput* out) override {
    ScaledBar s(file.bars[i], scale_);
    const int time = file.hasTime ? s.time : -1;
    const int r = csv_(0, o_.id.c_str(), s.date, time, scale_, &s.open, &s.high, &s.low,
                       &s.close, &s.volume, 0);
    const int t = txt_(0, o_.id.c_str(), s.date, time, scale_, &s.open, &s.high, &s.low,
                       &s.close, &s.volume, file.closeOnly ? 1 : 0);
    Check(r, "XMT_SaveDataToCsv", out);
    Check(t, "XMT_SaveDataToTxt", out);
    out->results.push_back(r);
    out->slots.push_back({0.0, double(t)});
  }
  void Finish(const BarFile& file, StudyOutput* out) override {
    for (size_t i = 0; i < out->slots.size(); ++i) {
      XmtSlot block[16] = {};
      FillCsv2Block(file, static_cast<int>(i), 0, true, block);
      char error[XMT_SIGNALS_ERR_BUF_SIZE] = "";
      const int r = csv2_(csv2Symbol_.c_str(), block, error);
      if (error[0]) out->error = error;
      Check(r, "XMT_SaveDataToCsv2", out);
      out->slots[i][0] = r;
    }
    const fs::path folder = ExportFolder();
    out->libraryFiles = {(folder / (o_.id + ".csv")).string(),
                         (folder / (csv2Symbol_ + ".csv")).string(),
                         (folder / (o_.id + ".txt")).string()};
  }

 private:
  // -9 and -10 repeat on every bar: the run stops with the reason.
  static void Check(int result, const char* name, StudyOutput* out) {
    if (result >= 0 || out->failed) return;
    out->failed = true;
    out->error = std::string(name) + " gave " + std::to_string(result) +
                 (result == -10 ? " (the file cannot be written, or the ID is no plain file name)"
                                : "");
  }

  StudyOptions o_;
  std::string csv2Symbol_;
  int scale_ = 100;
  XMT_SaveDataToCsv_fn csv_ = nullptr;
  XMT_SaveDataToCsv2_fn csv2_ = nullptr;
  XMT_SaveDataToTxt_fn txt_ = nullptr;
};

class LoadColStudy : public Study {
 public:
  explicit LoadColStudy(const StudyOptions& o) : o_(o), fileName_(o.id + "_COL.csv") {}
  bool Bind(Library& lib, std::string* error) override {
    return BindExport(lib, "XMT_SaveDataToCsv2", &csv2_, error) &&
           BindExport(lib, "XMT_LoadCol", &load_, error);
  }
  // Writes the column file with XMT_SaveDataToCsv2 (layout 1, no symbol column) and puts
  // it into the folder XMT_LoadCol reads, as a user would.
  bool Prepare(const BarFile& file, std::string* error) override {
    const std::string symbol = o_.id + "_COL";
    for (int i = 0; i < static_cast<int>(file.bars.size()); ++i) {
      XmtSlot block[16] = {};
      FillCsv2Block(file, i, 1, false, block);
      char text[XMT_SIGNALS_ERR_BUF_SIZE] = "";
      if (csv2_(symbol.c_str(), block, text) < 0) {
        *error = "XMT_SaveDataToCsv2 cannot write " + symbol + ".csv " + text;
        return false;
      }
    }
    const fs::path folder = Platform::Default().NativePath("C:/Database/LoadCol");
    std::error_code ec;
    fs::create_directories(folder, ec);
    const fs::path target = folder / fileName_;
    fs::remove(target, ec);  // MinGW's copy_file does not overwrite
    fs::copy_file(ExportFolder() / (symbol + ".csv"), target, ec);
    if (ec) {
      *error = "cannot copy the column file into " + folder.string() + ": " + ec.message();
      return false;
    }
    columnFile_ = target.string();
    return true;
  }
  std::vector<std::string> SlotNames() const override { return {"Value"}; }
  ChartPlan Chart() const override {
    // Prices are drawn over the price; other columns get the lower panel.
    if (o_.column >= 3 && o_.column <= 6) return {{"Value"}, {}, ""};
    return {{}, {"Value"}, "column " + std::to_string(o_.column)};
  }
  void Feed(const BarFile& file, int i, StudyOutput* out) override {
    const CsvBar& b = file.bars[i];
    XmtSlot block[16] = {};
    block[0].value = static_cast<float>(HostDate(b));
    block[1].value = static_cast<float>(b.time);
    block[7].value = static_cast<float>(i + 1);
    block[11].value = static_cast<float>(o_.column);
    char error[XMT_SIGNALS_ERR_BUF_SIZE] = "";
    const int r = load_(fileName_.c_str(), block, error);
    if (error[0]) out->error = error;
    if (r == -1 || r == -9) out->failed = true;
    out->results.push_back(r);
    out->slots.push_back({block[12].value});
  }
  void Finish(const BarFile&, StudyOutput* out) override { out->libraryFiles = {columnFile_}; }

 private:
  StudyOptions o_;
  std::string fileName_;
  std::string columnFile_;
  XMT_SaveDataToCsv2_fn csv2_ = nullptr;
  XMT_LoadCol_fn load_ = nullptr;
};

}  // namespace

std::unique_ptr<Study> MakeExportStudy(const StudyOptions& o) {
  return std::make_unique<ExportStudy>(o);
}
std::unique_ptr<Study> MakeLoadColStudy(const StudyOptions& o) {
  return std::make_unique<LoadColStudy>(o);
}
