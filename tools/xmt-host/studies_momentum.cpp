// XMT_MOMENTUM studies: the momentum module (XMT_UTC), the robust regression slope
// (XMT_RRS) and the pattern-file loader (XMT_PatDetect).
#include <filesystem>

#include "momentum/xmt_momentum.h"
#include "tools/xmt-host/study_kit.h"

namespace {

// The bar interval the platform would pass: the smallest step in minutes between two bars
// of one day (1 for files without times).
int BarInterval(const BarFile& file) {
  int best = 0;
  for (size_t i = 1; i < file.bars.size(); ++i) {
    const CsvBar &a = file.bars[i - 1], &b = file.bars[i];
    if (a.date != b.date) continue;
    const int step = (b.time / 100 * 60 + b.time % 100) - (a.time / 100 * 60 + a.time % 100);
    if (step > 0 && (best == 0 || step < best)) best = step;
  }
  return best > 0 ? best : 1;
}

class UtcStudy : public Study {
 public:
  explicit UtcStudy(const StudyOptions& o) : o_(o) {}
  bool Bind(Library& lib, std::string* error) override {
    return BindExport(lib, "XMT_UTC", &utc_, error);
  }
  bool Prepare(const BarFile& file, std::string* error) override {
    (void)error;
    type_ = BarType(file);
    interval_ = file.hasTime ? BarInterval(file) : 1;
    return true;
  }
  std::vector<std::string> SlotNames() const override { return {"UTC", "Updated", "Unsmoothed"}; }
  ChartPlan Chart() const override {
    return {{}, {"Unsmoothed", "UTC"},
            "momentum (per mille), smoothed over " + std::to_string(o_.smooth) + " bars"};
  }
  void Feed(const BarFile& file, int i, StudyOutput* out) override {
    XmtSlot block[92] = {};
    block[90].value = 1e9f;  // stays when the call fails before its result
    const float r = Call(file, i, o_.id, o_.smooth, block);
    // The same bars under a shadow symbol without smoothing, for the chart.
    XmtSlot raw[92] = {};
    Call(file, i, o_.id + "~raw", 1, raw);
    // -1 and -2 leave slot 90 alone and repeat on every bar; -99 is a failed computation.
    const bool written = block[90].value == r;
    if (!written || r == -99.0f) {
      out->error = "XMT_UTC gave " + std::to_string(static_cast<int>(r)) + " (see the trace log)";
      out->failed = !written;
    }
    out->results.push_back(written && r != -99.0f ? 1 : 0);
    out->slots.push_back({r, block[91].value, raw[90].value});
  }

 private:
  float Call(const BarFile& file, int i, const std::string& symbol, int smooth, XmtSlot* block) {
    const CsvBar& b = file.bars[i];
    const double values[13] = {double(HostDate(b)), double(b.time), b.open, b.high, b.low, b.close,
                               b.volume, double(i + 1), double(interval_), double(type_), 0,
                               double(o_.lookback), double(smooth)};
    for (int k = 0; k < 13; ++k) block[k].value = static_cast<float>(values[k]);
    return utc_(symbol.c_str(), block);
  }

  StudyOptions o_;
  int type_ = 2, interval_ = 1;
  XMT_UTC_fn utc_ = nullptr;
};

class RrsStudy : public Study {
 public:
  explicit RrsStudy(const StudyOptions& o) : o_(o) {}
  bool Bind(Library& lib, std::string* error) override {
    return BindExport(lib, "XMT_RRS", &rrs_, error);
  }
  std::vector<std::string> SlotNames() const override { return {"RRS"}; }
  ChartPlan Chart() const override {
    return {{}, {"RRS"},
            o_.perMille ? "robust slope of the close, per mille of the close"
                        : "robust slope of the close, times 100"};
  }
  void Feed(const BarFile& file, int i, StudyOutput* out) override {
    const CsvBar& b = file.bars[i];
    const float v = rrs_(o_.regrLen, o_.perMille ? 2 : 1, static_cast<float>(b.close), HostDate(b),
                         b.time, 0, 0, BarType(file), 0);
    out->results.push_back(v < 1e8f ? 1 : 0);
    out->slots.push_back({v});
  }

 private:
  StudyOptions o_;
  XMT_RRS_fn rrs_ = nullptr;
};

class PatDetectStudy : public Study {
 public:
  explicit PatDetectStudy(const StudyOptions& o) : o_(o) {}
  bool Bind(Library& lib, std::string* error) override {
    return BindExport(lib, "XMT_PatDetect", &detect_, error);
  }
  // The library shows a message box for a file it cannot read; the simulator says so
  // before the run instead of waiting for someone to close the box.
  bool Prepare(const BarFile&, std::string* error) override {
    std::error_code ec;
    if (std::filesystem::is_regular_file(o_.pattern, ec)) return true;
    *error = o_.pattern + ": no such pattern file";
    return false;
  }
  std::vector<std::string> SlotNames() const override { return {}; }
  void Feed(const BarFile&, int, StudyOutput* out) override {
    out->results.push_back(detect_(0, o_.pattern.c_str()));
    out->slots.push_back({});
  }

 private:
  StudyOptions o_;
  XMT_PatDetect_fn detect_ = nullptr;
};

}  // namespace

std::unique_ptr<Study> MakeUtcStudy(const StudyOptions& o) { return std::make_unique<UtcStudy>(o); }
std::unique_ptr<Study> MakeRrsStudy(const StudyOptions& o) { return std::make_unique<RrsStudy>(o); }
std::unique_ptr<Study> MakePatDetectStudy(const StudyOptions& o) {
  return std::make_unique<PatDetectStudy>(o);
}
