// XMT_SIGNALS studies of one value per bar: buy/sell pressure through the host's study
// object (XMT_BSP), the excursion store (XMT_FindGemAdd + XMT_FindGemCalc), the adaptive
// average (XMT_RareAvg), the trend band (XMT_TrendReversal) and the price scaler
// (XMT_F_PrcNorm).
#include <cstring>

#include "hostbridge/testing/fake_host.h"
#include "signals/xmt_signals.h"
#include "tools/xmt-host/study_kit.h"

namespace {

// 1 when a float export gave a value, 0 for the libraries' "no value" (1e9).
int HasValue(float v) { return v < 1e8f ? 1 : 0; }

class BspStudy : public Study {
 public:
  explicit BspStudy(const StudyOptions& o) : o_(o) {
    host_.AddArray("arrBSP", {10});
    std::vector<double>& a = *host_.MutableArrayValues("arrBSP");
    a[2] = o.avgLen;
    a[3] = o.volLen;
    a[4] = o.bspStyle;
  }
  bool Bind(Library& lib, std::string* error) override {
    return BindExport(lib, "XMT_BSP", &bsp_, error);
  }
  std::vector<std::string> SlotNames() const override {
    return {"UpTicks", "DownTicks", "Pressure", "PressureAvg", "BuyAvg", "SellAvg", "VolumeAvg"};
  }
  ChartPlan Chart() const override {
    return {{}, {"Pressure", "PressureAvg", "BuyAvg", "SellAvg"}, "buy/sell pressure"};
  }
  void Feed(const BarFile& file, int i, StudyOutput* out) override {
    FakeBar bar = HostObjectBar(file.bars[i]);
    UpDownVolume(file, i, &bar.upTicks, &bar.downTicks);
    host_.AddBar(bar);
    // The symbol is part of the instance key and the buffer of the error text.
    char symErr[XMT_SIGNALS_ERR_BUF_SIZE] = "";
    std::strncpy(symErr, o_.id.c_str(), sizeof symErr - 1);
    const int r = bsp_("xmt-host", 1, 0, symErr, &host_, 0);
    if (r < 0) {
      out->error = symErr;
      out->failed = r != -9;  // anything but a failed host call repeats on every bar
    }
    const std::vector<double>& a = *host_.ArrayValues("arrBSP");
    out->results.push_back(r);
    out->slots.push_back({bar.upTicks, bar.downTicks, a[0], a[1], a[5], a[6], a[7]});
  }

 private:
  StudyOptions o_;
  FakeHost host_;
  XMT_BSP_fn bsp_ = nullptr;
};

class FindGemStudy : public Study {
 public:
  explicit FindGemStudy(const StudyOptions& o) : o_(o) {}
  bool Bind(Library& lib, std::string* error) override {
    return BindExport(lib, "XMT_FindGemAdd", &add_, error) &&
           BindExport(lib, "XMT_FindGemCalc", &calc_, error);
  }
  bool Prepare(const BarFile& file, std::string* error) override {
    return ChooseScale(file, o_.scale, &scale_, error);
  }
  std::vector<std::string> SlotNames() const override {
    return {"Stored", "LongPlus", "LongMinus", "ShortPlus", "ShortMinus"};
  }
  ChartPlan Chart() const override {
    return {{}, {"LongPlus", "LongMinus", "ShortPlus", "ShortMinus"},
            "excursions after the bar " + std::to_string(o_.scope) + " bars back"};
  }
  // nMode: the scope, plus 1000 for basis points, negative to scan past a day's end.
  int Mode() const { return (o_.crossDays ? -1 : 1) * (o_.scope + (o_.basisPoints ? 1000 : 0)); }
  void Feed(const BarFile& file, int i, StudyOutput* out) override {
    ScaledBar s(file.bars[i], scale_);
    const int stored = add_(0, o_.id.c_str(), s.date, s.time, scale_, &s.open, &s.high, &s.low,
                            &s.close, &s.volume, Mode());
    float v[4] = {};
    const int r = calc_(0, o_.id.c_str(), s.date, s.time, &v[0], &v[1], &v[2], &v[3]);
    out->results.push_back(r);
    out->slots.push_back({double(stored), v[0], v[1], v[2], v[3]});
  }

 private:
  StudyOptions o_;
  int scale_ = 100;
  XMT_FindGemAdd_fn add_ = nullptr;
  XMT_FindGemCalc_fn calc_ = nullptr;
};

class RareAvgStudy : public Study {
 public:
  explicit RareAvgStudy(const StudyOptions& o) : o_(o) {}
  bool Bind(Library& lib, std::string* error) override {
    return BindExport(lib, "XMT_RareAvg", &avg_, error);
  }
  std::vector<std::string> SlotNames() const override { return {"RareAvg"}; }
  ChartPlan Chart() const override { return {{"RareAvg"}, {}, ""}; }
  void Feed(const BarFile& file, int i, StudyOutput* out) override {
    const CsvBar& b = file.bars[i];
    const float v = avg_(o_.id.c_str(), o_.regrLen, o_.wgtLen, static_cast<float>(b.close),
                         HostDate(b), b.time, o_.response, 0, BarType(file), 0, i + 1);
    out->results.push_back(HasValue(v));
    out->slots.push_back({v});
  }

 private:
  StudyOptions o_;
  XMT_RareAvg_fn avg_ = nullptr;
};

class TrendStudy : public Study {
 public:
  explicit TrendStudy(const StudyOptions& o) : o_(o) {}
  bool Bind(Library& lib, std::string* error) override {
    return BindExport(lib, "XMT_TrendReversal", &trend_, error);
  }
  std::vector<std::string> SlotNames() const override { return {"Position", "Width"}; }
  ChartPlan Chart() const override {
    return {{}, {"Position"}, "position in the band of averages (-100 .. +100)"};
  }
  void Feed(const BarFile& file, int i, StudyOutput* out) override {
    const CsvBar& b = file.bars[i];
    float pos = 0, width = 0;
    const int r = trend_(0, o_.id.c_str(), HostDate(b), b.time, BarType(file), 0,
                         static_cast<float>(b.close), 1.0f, o_.fast, o_.slow, &pos, &width);
    out->results.push_back(r);
    out->slots.push_back({pos, width});
    if (r == 1 || r == 2) {
      // Only where the value leaves the band, not on every bar outside it.
      const bool leaves = out->results.size() < 2 || out->results[out->results.size() - 2] != r;
      if (leaves) {
        out->hits.push_back(i);
        out->hitLabels.push_back(r == 1 ? "leaves the band downwards" : "leaves the band upwards");
      }
    }
  }

 private:
  StudyOptions o_;
  XMT_TrendReversal_fn trend_ = nullptr;
};

class PrcNormStudy : public Study {
 public:
  explicit PrcNormStudy(const StudyOptions& o) : o_(o) {}
  bool Bind(Library& lib, std::string* error) override {
    return BindExport(lib, "XMT_F_PrcNorm", &norm_, error);
  }
  bool Prepare(const BarFile& file, std::string* error) override {
    return ChooseScale(file, o_.scale, &scale_, error);
  }
  std::vector<std::string> SlotNames() const override {
    return {"Open", "High", "Low", "Close", "Volume"};
  }
  ChartPlan Chart() const override {
    return {{}, {"Close"}, "close times the scale times the factor"};
  }
  void Feed(const BarFile& file, int i, StudyOutput* out) override {
    ScaledBar s(file.bars[i], scale_);
    const int r = norm_(static_cast<float>(o_.factor), &s.open, &s.high, &s.low, &s.close,
                        &s.volume);
    out->results.push_back(r);
    out->slots.push_back({double(s.open), double(s.high), double(s.low), double(s.close),
                          double(s.volume)});
  }

 private:
  StudyOptions o_;
  int scale_ = 100;
  XMT_F_PrcNorm_fn norm_ = nullptr;
};

}  // namespace

std::unique_ptr<Study> MakeBspStudy(const StudyOptions& o) { return std::make_unique<BspStudy>(o); }
std::unique_ptr<Study> MakeFindGemStudy(const StudyOptions& o) {
  return std::make_unique<FindGemStudy>(o);
}
std::unique_ptr<Study> MakeRareAvgStudy(const StudyOptions& o) {
  return std::make_unique<RareAvgStudy>(o);
}
std::unique_ptr<Study> MakeTrendStudy(const StudyOptions& o) {
  return std::make_unique<TrendStudy>(o);
}
std::unique_ptr<Study> MakePrcNormStudy(const StudyOptions& o) {
  return std::make_unique<PrcNormStudy>(o);
}
