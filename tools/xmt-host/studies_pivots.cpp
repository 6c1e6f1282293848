// Pivot studies: zig-zag pivots (XMT_ZZ_AddBar + XMT_ZZ_CalcPiv) and the
// support/resistance check (XMT_RS_ChkPiv).
#include <algorithm>
#include <climits>

#include "pattern/xmt_pattern.h"
#include "tools/xmt-host/study_kit.h"

namespace {

class ZigZagStudy : public Study {
 public:
  explicit ZigZagStudy(const StudyOptions& o) : o_(o) {}
  bool Bind(Library& lib, std::string* error) override {
    return BindExport(lib, "XMT_ZZ_AddBar", &add_, error) &&
           BindExport(lib, "XMT_ZZ_CalcPiv", &calc_, error);
  }
  bool Prepare(const BarFile& file, std::string* error) override {
    return ChooseScale(file, o_.scale, &scale_, error);
  }
  std::vector<std::string> SlotNames() const override { return PivotSlotNames(12); }
  void Feed(const BarFile& file, int i, StudyOutput* out) override {
    ScaledBar s(file.bars[i], scale_);
    int index = add_(1, o_.id.c_str(), s.date, s.time, i + 1, scale_, &s.open, &s.high, &s.low,
                     &s.close, s.volume);
    XmtSlot block[12] = {};
    int r = calc_(0, o_.id.c_str(), index + 1, o_.left, o_.right, block);
    AddRow(r, block, 12, out);
    if (r != 0) TrackPivots(block, r == 2 || r == -2, out);
  }

 private:
  StudyOptions o_;
  int scale_ = 100;
  XMT_ZZ_AddBar_fn add_ = nullptr;
  XMT_ZZ_CalcPiv_fn calc_ = nullptr;
};

class RsStudy : public Study {
 public:
  explicit RsStudy(const StudyOptions& o) : o_(o) {}
  bool Bind(Library& lib, std::string* error) override {
    return BindExport(lib, "XMT_RS_ChkPiv", &check_, error);
  }
  bool Prepare(const BarFile& file, std::string* error) override {
    return ChooseScale(file, o_.scale, &scale_, error);
  }
  std::vector<std::string> SlotNames() const override {
    std::vector<std::string> names = PivotSlotNames(12);
    names.push_back("Dropped");
    return names;
  }
  void Feed(const BarFile& file, int i, StudyOutput* out) override {
    ScaledBar s(file.bars[i], scale_);
    XmtSlot block[20] = {};
    int r = check_(o_.id.c_str(), s.date, s.time, i + 1, scale_, &s.close, &s.close, &s.close,
                   &s.close, s.volume, o_.left, o_.right, block);
    AddRow(r, block, 13, out);
    if (block[2].value != 0) {
      TrackPivots(block, block[12].value == 2.0f, out);
      if (r == 1 || r == -1) {
        out->hits.push_back(i);
        out->hitLabels.push_back(r == 1 ? "rising structure" : "falling structure");
      }
    }
  }

 private:
  StudyOptions o_;
  int scale_ = 100;
  XMT_RS_ChkPiv_fn check_ = nullptr;
};

}  // namespace

std::unique_ptr<Study> MakeZigZagStudy(const StudyOptions& o) {
  return std::make_unique<ZigZagStudy>(o);
}
std::unique_ptr<Study> MakeRsStudy(const StudyOptions& o) { return std::make_unique<RsStudy>(o); }
