// Pattern studies: a pattern file evaluated bar by bar (XMT_PATTERN_AddBar +
// XMT_PATTERN_CalcPat) and the one-call entry through the host's study object
// (XMT_PATTERN64, with the simulator's in-memory study object).
//
// The pattern exports report verdicts, not pivots; for the chart each study also runs the
// zig-zag exports on the same bars under a shadow ID (same pivot rules), and marks a hit
// where a newly confirmed pivot comes with a found pattern.
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "common/platform/platform.h"
#include "hostbridge/testing/fake_host.h"
#include "pattern/pattern64.h"
#include "tools/xmt-host/study_kit.h"

namespace fs = std::filesystem;

namespace {

const int kPatternSlots = 100;  // the caller's block: found + up to 99 outputs
const int kErrorBuffer = XMT_PATTERN_ERR_BUF_SIZE;
const int kLoadFailed = -5;     // XMT_PATTERN_CalcPat: the pattern file does not load

}  // namespace

// The pattern folder of the libraries, as this process sees it.
std::string PatternFolder() { return Platform::Default().NativePath("C:/Database/DO_DER"); }

bool InstallPattern(const std::string& pattern, std::string* name, std::string* error) {
  std::error_code ec;
  if (!fs::is_regular_file(pattern, ec)) {
    if (pattern.find_first_of("/\\") != std::string::npos ||
        fs::path(pattern).extension() == ".txt") {
      *error = pattern + ": no such pattern file";
      return false;
    }
    *name = pattern;
    return true;
  }
  std::string stem = fs::path(pattern).stem().string();
  if (stem.size() > 3 && (stem.compare(0, 3, "PR_") == 0 || stem.compare(0, 3, "pr_") == 0))
    stem = stem.substr(3);
  *name = stem;
  fs::create_directories(PatternFolder(), ec);
  fs::path target = fs::path(PatternFolder()) / ("PR_" + stem + ".txt");
  if (fs::equivalent(pattern, target, ec)) return true;  // already in the pattern folder
  // Removed first: MinGW's copy_file refuses to overwrite even when told to.
  fs::remove(target, ec);
  fs::copy_file(pattern, target, ec);
  if (ec) {
    *error = "cannot install " + pattern + " as " + target.string() + ": " + ec.message();
    return false;
  }
  return true;
}

namespace {

// A pattern that does not load fails the same way on every bar: the run stops. The message
// names the library's own path of the file; this says where that is here.
void NoteLoadFailure(StudyOutput* out) {
  out->failed = true;
  const std::string folder = PatternFolder();
  if (folder != "C:/Database/DO_DER") out->error += " [C:/Database/DO_DER is " + folder + "]";
}

// Zig-zag pivots of the same bars under a shadow ID, for the chart.
class PivotShadow {
 public:
  bool Bind(Library& lib, std::string* error) {
    return BindExport(lib, "XMT_ZZ_AddBar", &add_, error) &&
           BindExport(lib, "XMT_ZZ_CalcPiv", &calc_, error);
  }
  // Feeds bar i; true when a pivot was confirmed on it.
  bool Feed(const std::string& id, const ScaledBar& s, int scale, int i, int left, int right,
            StudyOutput* out) {
    const std::string shadow = id + "~pivots";
    int index = add_(1, shadow.c_str(), s.date, s.time, i + 1, scale, &s.open, &s.high, &s.low,
                     &s.close, s.volume);
    XmtSlot block[12] = {};
    int r = calc_(0, shadow.c_str(), index + 1, left, right, block);
    if (r != 0) TrackPivots(block, r == 2 || r == -2, out);
    return r != 0;
  }
  // Feeds the shadow and marks a hit where a new pivot comes with a found pattern (the
  // pattern export's result and block of the same bar).
  void FeedAndMark(const std::string& id, const ScaledBar& s, int scale, int i, int left,
                   int right, int result, const XmtSlot* block, const std::string& name,
                   StudyOutput* out) {
    bool pivot = Feed(id, s, scale, i, left, right, out);
    if (pivot && result > 1 && block[0].value == 100.0f) {
      out->hits.push_back(i);
      out->hitLabels.push_back("pattern " + name + " found");
    }
  }

 private:
  XMT_ZZ_AddBar_fn add_ = nullptr;
  XMT_ZZ_CalcPiv_fn calc_ = nullptr;
};

// A pattern's row: the slots an evaluation wrote (result m + 1), the columns growing to the
// most outputs seen; rows with fewer are padded when the CSV is written.
void AddPatternRow(int result, const XmtSlot* block, StudyOutput* out) {
  const int count = result > 1 ? std::min(result, kPatternSlots) : 1;
  while (static_cast<int>(out->slotNames.size()) < count)
    out->slotNames.push_back("Out" + std::to_string(out->slotNames.size()));
  AddRow(result, block, count, out);
}

class PatternStudy : public Study {
 public:
  explicit PatternStudy(const StudyOptions& o) : o_(o) {}
  bool Bind(Library& lib, std::string* error) override {
    return BindExport(lib, "XMT_PATTERN_AddBar", &add_, error) &&
           BindExport(lib, "XMT_PATTERN_CalcPat", &calc_, error) && shadow_.Bind(lib, error);
  }
  bool Prepare(const BarFile& file, std::string* error) override {
    return ChooseScale(file, o_.scale, &scale_, error) && InstallPattern(o_.pattern, &name_, error);
  }
  std::vector<std::string> SlotNames() const override { return {"Found"}; }
  void Feed(const BarFile& file, int i, StudyOutput* out) override {
    ScaledBar s(file.bars[i], scale_);
    int index = add_(1, o_.id.c_str(), s.date, s.time, 0, scale_, &s.open, &s.high, &s.low,
                     &s.close, s.volume);
    XmtSlot block[kPatternSlots] = {};
    char error[kErrorBuffer] = "";
    int r = calc_(0, o_.id.c_str(), index + 1, o_.left, o_.right, block, name_.c_str(), error);
    if (error[0]) out->error = error;
    if (r == kLoadFailed) NoteLoadFailure(out);
    AddPatternRow(r, block, out);
    shadow_.FeedAndMark(o_.id, s, scale_, i, o_.left, o_.right, r, block, name_, out);
  }

 private:
  StudyOptions o_;
  int scale_ = 100;
  std::string name_;
  XMT_PATTERN_AddBar_fn add_ = nullptr;
  XMT_PATTERN_CalcPat_fn calc_ = nullptr;
  PivotShadow shadow_;
};

class Pattern64Study : public Study {
 public:
  explicit Pattern64Study(const StudyOptions& o) : o_(o) {
    host_.AddArray("arrValIn", {50});
    host_.AddArray("arrValOut", {100});
    std::vector<double>& in = *host_.MutableArrayValues("arrValIn");
    in[0] = o.left;
    in[1] = o.right;
    in[2] = o.style;
    in[3] = o.hostBarNumbers ? 1 : 0;
  }
  bool Bind(Library& lib, std::string* error) override {
    return BindExport(lib, "XMT_PATTERN64", &entry_, error) && shadow_.Bind(lib, error);
  }
  bool Prepare(const BarFile& file, std::string* error) override {
    // The entry scales each bar itself (see BarScale); --scale does not apply.
    if (!CheckPriceScale(file, 0, error)) return false;
    if (o_.style != 1) return true;
    if (o_.pattern.empty()) {
      *error = "pattern64 with style 1 needs --pattern NAME|FILE";
      return false;
    }
    return InstallPattern(o_.pattern, &name_, error);
  }
  std::vector<std::string> SlotNames() const override {
    return o_.style == 2 ? PivotSlotNames(12) : std::vector<std::string>{"Found"};
  }
  void Feed(const BarFile& file, int i, StudyOutput* out) override {
    const CsvBar& b = file.bars[i];
    FakeBar bar = HostObjectBar(b);
    bar.upTicks = std::floor(b.volume / 2);  // no integer cast: volumes may pass 2^63
    bar.downTicks = b.volume - bar.upTicks;
    host_.AddBar(bar);
    char error[kErrorBuffer] = "", loadError[kErrorBuffer] = "";
    int r = entry_(o_.id.c_str(), error, &host_, name_.c_str(), loadError);
    if (error[0]) out->error = error;
    if (loadError[0]) out->error = loadError;
    // A host-object error or a pattern that does not load repeats on every bar.
    if (r == kLoadFailed) NoteLoadFailure(out);
    if (r < 0 && error[0]) out->failed = true;
    const std::vector<double>& values = *host_.ArrayValues("arrValOut");
    XmtSlot block[100] = {};
    for (int k = 0; k < 100; ++k) block[k].value = static_cast<float>(values[k]);
    if (o_.style == 2) {
      AddRow(r, block, 12, out);
      if (r != 0 && r > -3) TrackPivots(block, r == 2 || r == -2, out);
      return;
    }
    AddPatternRow(r, block, out);
    const int scale = BarScale(b);
    shadow_.FeedAndMark(o_.id, ScaledBar(b, scale), scale, i, o_.left, o_.right, r, block,
                        name_, out);
  }

 private:
  // The entry's own rule, bar by bar: 10000 below a high of 3, else 100.
  static int BarScale(const CsvBar& b) { return PriceScaleForHigh(static_cast<float>(b.high)); }

  StudyOptions o_;
  std::string name_;
  FakeHost host_;
  XMT_PATTERN64_fn entry_ = nullptr;
  PivotShadow shadow_;
};

}  // namespace

std::unique_ptr<Study> MakePatternStudy(const StudyOptions& o) {
  return std::make_unique<PatternStudy>(o);
}
std::unique_ptr<Study> MakePattern64Study(const StudyOptions& o) {
  return std::make_unique<Pattern64Study>(o);
}
