// Runs the rows of the bad-argument matrix: baseline call, one bad value per argument,
// the null calls, with guarded caller memory and study objects from hostbridge/testing.

#include "cross_library_tests/export_matrix.h"

#include <cfloat>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "hostbridge/testing/fake_host.h"

namespace matrix {
namespace {

constexpr size_t kGuardBytes = 64;
constexpr unsigned char kGuard = 0xA5;
constexpr unsigned char kFill = 0xCC;   // unwritten text-buffer bytes
constexpr int kSlotRest = 0x5A5A5A5A;   // the half of a slot nobody may touch

// `size` bytes of caller memory between two guard zones; the allocation ends with the
// second zone, so a read past it reaches the sanitizer's red zone.
class Guarded {
 public:
  explicit Guarded(size_t size) : size_(size), mem_(kGuardBytes * 2 + size, kGuard) {}
  unsigned char* Data() { return mem_.data() + kGuardBytes; }
  size_t Size() const { return size_; }
  bool GuardsIntact() const {
    for (size_t i = 0; i < kGuardBytes; ++i) {
      if (mem_[i] != kGuard || mem_[kGuardBytes + size_ + i] != kGuard) return false;
    }
    return true;
  }

 private:
  size_t size_;
  std::vector<unsigned char> mem_;
};

// One argument's memory for one call, and what to check after it.
struct Slot {
  Kind kind;
  std::unique_ptr<Guarded> mem;
  std::vector<unsigned char> before;  // the buffer as passed
};

// The long text. Where message boxes are modal (Windows) it keeps log lines below the
// trace log's 10,000 characters (a pattern load error quotes the name four times): a longer
// line shows the log's "LOGTRACE Buffer overrun!" box, which waits for a person; elsewhere
// that box is a line on stderr. Both stay above every caller buffer's bound.
#if XMT_MODAL_BOXES
constexpr size_t kLongText = 2000;
#else
constexpr size_t kLongText = 10000;
#endif
std::string LongText() { return std::string(kLongText, 'A'); }

struct TextCase {
  const char* label;
  bool null;
  std::string text;
};
std::vector<TextCase> TextCases() {
  return {{"null", true, ""},
          {"empty", false, ""},
          {"one char", false, "x"},
          {"long", false, LongText()},
          {"UTF-8", false, "Z\xC3\xBCrich_\xE2\x82\xAC"},
          {"Latin-1", false, "\xE9\xFC\xA0\xFF"},
          {"path chars", false, "..\\a/b:*?<>|"}};
}

std::vector<long long> IntCases(Kind kind) {
  std::vector<long long> v{0, -1, 1, INT_MIN, INT_MAX};
  if (kind == Kind::Date) v.insert(v.end(), {899999, 900000, 1991231, 3000101});
  if (kind == Kind::Time) v.insert(v.end(), {2400, 9999, 2359});
  return v;
}

std::vector<float> FloatCases() {
  const float inf = std::numeric_limits<float>::infinity();
  return {std::numeric_limits<float>::quiet_NaN(), inf, -inf, -0.0f, FLT_MAX, -FLT_MAX,
          std::numeric_limits<float>::denorm_min(), 1e-40f, 0.0f};
}

// Fills of a whole slot block.
std::vector<float> BlockFills() {
  const float inf = std::numeric_limits<float>::infinity();
  return {std::numeric_limits<float>::quiet_NaN(), inf, -inf, FLT_MAX, -FLT_MAX, 0.0f,
          2147483648.0f, -1.0f};
}

// Study objects kept for the whole run: libraries may keep the objects a study handed
// them, as they may with the platform's, which lives as long as the chart.
std::vector<std::unique_ptr<FakeHost>>& Hosts() {
  static std::vector<std::unique_ptr<FakeHost>> hosts;
  return hosts;
}

enum class StudyCase { Good, Null, Failing, Missing, Text, Empty, NullVariant, TwoDim, Small, NaNs };
const char* Label(StudyCase c) {
  switch (c) {
    case StudyCase::Good: return "good";
    case StudyCase::Null: return "null";
    case StudyCase::Failing: return "every call failing";
    case StudyCase::Missing: return "series and arrays missing";
    case StudyCase::Text: return "values as VT_BSTR";
    case StudyCase::Empty: return "values as VT_EMPTY";
    case StudyCase::NullVariant: return "values as VT_NULL";
    case StudyCase::TwoDim: return "two-dimensional arrays";
    case StudyCase::Small: return "one-element arrays";
    case StudyCase::NaNs: return "NaN and infinite data";
  }
  return "?";
}

const char* const kArrays[] = {"arrValIn", "arrValOut", "arrBSP"};

IHostStudy* MakeStudy(StudyCase c) {
  if (c == StudyCase::Null) return nullptr;
  auto host = std::make_unique<FakeHost>();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (int i = 0; i < 5; ++i) {
    FakeBar bar;
    bar.open = 100 + i;
    bar.high = 102 + i;
    bar.low = 99 + i;
    bar.close = 101 + i;
    bar.upTicks = 10 + i;
    bar.downTicks = 7;
    bar.day = 1 + i;
    bar.hour = 10;
    if (c == StudyCase::NaNs) {
      bar.open = bar.close = nan;
      bar.high = inf;
      bar.low = -inf;
      bar.upTicks = nan;
      bar.downTicks = inf;
    }
    host->AddBar(bar);
  }
  std::vector<int> dims{100};
  if (c == StudyCase::TwoDim) dims = {10, 10};
  if (c == StudyCase::Small) dims = {1};
  for (const char* name : kArrays) {
    FakeVariable& array = host->AddArray(name, dims);
    // Window lengths, style, lengths of the averages: small valid numbers.
    for (size_t i = 0; i < 5 && i < array.values.size(); ++i) array.values[i] = 2;
    if (c == StudyCase::NaNs) array.values.assign(array.values.size(), nan);
    if (c == StudyCase::Text) array.handOutAs = VT_BSTR;
    if (c == StudyCase::Empty) array.handOutAs = VT_EMPTY;
    if (c == StudyCase::NullVariant) array.handOutAs = VT_NULL;
  }
  if (c == StudyCase::Missing) {
    host->SetDateSeriesMissing(true);
    host->SetUpTicksMissing(true);
    host->SetDownTicksMissing(true);
    for (const char* name : kArrays) host->RemoveArray(name);
  }
  if (c == StudyCase::Failing) {
    const HRESULT fail = static_cast<HRESULT>(0x80004005u);  // E_FAIL
    for (int slot = 7; slot <= 25; ++slot) host->FailSlot(FakeIface::Study, slot, fail);
    for (int slot : {12, 13, 26, 28, 29}) host->FailSlot(FakeIface::Variable, slot, fail);
    host->FailSlot(FakeIface::NumSeries, 16, fail);
    for (int slot = 10; slot <= 14; ++slot) host->FailSlot(FakeIface::DateSeries, slot, fail);
  }
  Hosts().push_back(std::move(host));
  return Hosts().back().get();
}

// One call's arguments: the baseline with argument `varied` replaced.
class Call {
 public:
  explicit Call(const Row& row) : row_(row), slots_(row.params.size()), values_(row.params.size()) {
    for (size_t i = 0; i < row.params.size(); ++i) SetBaseline(i);
  }

  void SetBaseline(size_t i) {
    const Param& p = row_.params[i];
    Slot& s = slots_[i];
    s = Slot{p.kind, nullptr, {}};
    Value& v = values_[i];
    v = Value{};
    switch (p.kind) {
      case Kind::Int: case Kind::Date: case Kind::Time: v.i = p.base; break;
      case Kind::Float: v.f = p.fbase; break;
      case Kind::Text: case Kind::TextBuf: SetText(i, p.text); break;
      case Kind::ErrBuf: SetErrBuf(i); break;
      case Kind::IntIn: case Kind::IntInOut: SetInt(i, static_cast<int>(p.base)); break;
      case Kind::FloatOut: SetGuarded(i, sizeof(float)); Snapshot(i); break;
      case Kind::SlotsIn: case Kind::SlotsOut: SetBlock(i, nullptr); break;
      case Kind::Study: v.p = MakeStudy(StudyCase::Good); break;
      case Kind::Opaque: break;
    }
  }

  void SetNull(size_t i) {
    slots_[i].mem.reset();
    values_[i] = Value{};
  }
  void SetInt(size_t i, int value) {
    SetGuarded(i, sizeof value);
    std::memcpy(slots_[i].mem->Data(), &value, sizeof value);
    Snapshot(i);
  }
  void SetText(size_t i, const std::string& text) {
    const Param& p = row_.params[i];
    if (p.kind == Kind::Text) {
      texts_.push_back(std::make_unique<std::string>(text));
      slots_[i].mem.reset();
      values_[i].p = texts_.back()->data();
      return;
    }
    const size_t size = std::max(static_cast<size_t>(p.size), text.size() + 1);
    SetGuarded(i, size);
    std::memset(slots_[i].mem->Data(), kFill, size);
    std::memcpy(slots_[i].mem->Data(), text.c_str(), text.size() + 1);
    Snapshot(i);
  }
  void SetErrBuf(size_t i) {
    SetGuarded(i, static_cast<size_t>(row_.params[i].size));
    std::memset(slots_[i].mem->Data(), kFill, slots_[i].mem->Size());
    slots_[i].mem->Data()[0] = 0;
    Snapshot(i);
  }
  // A block of the documented count: the given fill, or the baseline values.
  void SetBlock(size_t i, const float* fill) {
    const Param& p = row_.params[i];
    SetGuarded(i, static_cast<size_t>(p.size) * 8);
    unsigned char* data = slots_[i].mem->Data();
    for (int n = 0; n < p.size; ++n) {
      float value = fill ? *fill : (static_cast<size_t>(n) < p.slots.size() ? p.slots[n] : 0.0f);
      std::memcpy(data + n * 8, &value, 4);
      std::memcpy(data + n * 8 + 4, &kSlotRest, 4);
    }
    Snapshot(i);
  }
  void SetStudy(size_t i, StudyCase c) { values_[i].p = MakeStudy(c); }
  // Gives every key argument a value no other call of the run has used.
  void NewKey() {
    static int count = 0;
    ++count;
    for (size_t k = 0; k < row_.params.size(); ++k) {
      const Param& q = row_.params[k];
      if (!q.key) continue;
      if (q.kind == Kind::Text || q.kind == Kind::TextBuf) {
        SetText(k, q.text + "_" + std::to_string(count));
      } else {
        values_[k].i = q.base + 1000 + count;
      }
    }
  }
  Value& At(size_t i) { return values_[i]; }

  // Calls the export; faults found in caller memory go to `faults`, prefixed by `what`.
  double Run(void* fn, const std::string& what, std::vector<std::string>& faults) {
    const auto start = std::chrono::steady_clock::now();
    const double result = row_.invoke(fn, values_);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (seconds > 2.0) faults.push_back(what + ": took " + std::to_string(seconds) + " s");
    for (size_t i = 0; i < slots_.size(); ++i) Check(i, what, faults);
    return result;
  }

 private:
  void SetGuarded(size_t i, size_t size) {
    slots_[i].mem = std::make_unique<Guarded>(size);
    values_[i].p = slots_[i].mem->Data();
  }
  void Snapshot(size_t i) {
    Guarded& g = *slots_[i].mem;
    slots_[i].before.assign(g.Data(), g.Data() + g.Size());
  }

  void Check(size_t i, const std::string& what, std::vector<std::string>& faults) {
    Slot& s = slots_[i];
    if (!s.mem) return;
    const std::string where = what + ": argument " + std::to_string(i + 1);
    if (!s.mem->GuardsIntact()) faults.push_back(where + ": written outside its bounds");
    const unsigned char* data = s.mem->Data();
    const size_t size = s.mem->Size();
    const bool changed = std::memcmp(data, s.before.data(), size) != 0;
    if (!changed) return;
    if (s.kind == Kind::Text || s.kind == Kind::IntIn || s.kind == Kind::SlotsIn) {
      faults.push_back(where + ": read-only memory was written");
    } else if (s.kind == Kind::ErrBuf || s.kind == Kind::TextBuf) {
      if (std::memchr(data, 0, size) == nullptr) faults.push_back(where + ": text left without its zero end");
    } else if (s.kind == Kind::SlotsOut) {
      for (size_t n = 0; n + 8 <= size; n += 8) {
        if (std::memcmp(data + n + 4, s.before.data() + n + 4, 4) != 0) {
          faults.push_back(where + ": slot " + std::to_string(n / 8) + " second half written");
        }
      }
    }
  }

  const Row& row_;
  std::vector<Slot> slots_;
  std::vector<Value> values_;
  std::vector<std::unique_ptr<std::string>> texts_;
};

std::string Describe(float f) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%g", static_cast<double>(f));
  return buf;
}

}  // namespace

bool IsPointer(Kind kind) {
  return kind != Kind::Int && kind != Kind::Date && kind != Kind::Time && kind != Kind::Float;
}

Param Of(Kind kind, long long base) {
  Param p;
  p.kind = kind;
  p.base = base;
  return p;
}

Param I(long long base) { return Of(Kind::Int, base); }
Param D(int date) { return Of(Kind::Date, date); }
Param T(int time) { return Of(Kind::Time, time); }
Param F(float base) { Param p = Of(Kind::Float, 0); p.fbase = base; return p; }
Param Txt(std::string base) { Param p = Of(Kind::Text, 0); p.text = std::move(base); return p; }
Param TxtBuf(std::string base, int size) {
  Param p = Of(Kind::TextBuf, 0);
  p.text = std::move(base);
  p.size = size;
  return p;
}
Param Err(int size) { Param p = Of(Kind::ErrBuf, 0); p.size = size; return p; }
Param PIn(int base) { return Of(Kind::IntIn, base); }
Param PInOut(int base) { return Of(Kind::IntInOut, base); }
Param FOut() { return Of(Kind::FloatOut, 0); }
Param SIn(int count, std::vector<float> values) {
  Param p = Of(Kind::SlotsIn, 0);
  p.size = count;
  p.slots = std::move(values);
  return p;
}
Param SOut(int count, std::vector<float> values) {
  Param p = SIn(count, std::move(values));
  p.kind = Kind::SlotsOut;
  return p;
}
Param Study() { return Of(Kind::Study, 0); }
Param Opaque() { return Of(Kind::Opaque, 0); }

RowReport RunRow(const LoadedLibrary& lib, const Row& row) {
  RowReport report;
  void* fn = lib.Get<void*>(row.name.c_str());
  if (!fn) {
    report.faults.push_back(row.name + ": not exported");
    return report;
  }
  if (row.arity != row.params.size()) {
    report.faults.push_back(row.name + ": the row's argument list does not fit the export");
    return report;
  }
  auto run = [&](Call& call, const std::string& what) {
    ++report.calls;
    return call.Run(fn, row.name + " with " + what, report.faults);
  };
  {
    Call call(row);
    run(call, "baseline");
  }
  const size_t n = row.params.size();
  for (size_t i = 0; i < n; ++i) {
    const Param& p = row.params[i];
    const std::string arg = "argument " + std::to_string(i + 1) + " ";
    if (p.fixed) continue;
    switch (p.kind) {
      case Kind::Int: case Kind::Date: case Kind::Time:
        for (long long value : IntCases(p.kind)) {
          Call call(row);
          call.At(i).i = value;
          run(call, arg + std::to_string(value));
        }
        break;
      case Kind::Float:
        for (float value : FloatCases()) {
          Call call(row);
          call.At(i).f = value;
          run(call, arg + Describe(value));
        }
        break;
      case Kind::Text: case Kind::TextBuf:
        for (const TextCase& c : TextCases()) {
          if (c.null) continue;  // the null calls come below
          Call call(row);
          call.SetText(i, c.text);
          run(call, arg + c.label);
        }
        break;
      case Kind::IntIn: case Kind::IntInOut:
        for (int value : {0, -1, INT_MIN, INT_MAX}) {
          Call call(row);
          call.SetInt(i, value);
          run(call, arg + "-> " + std::to_string(value));
        }
        break;
      case Kind::SlotsIn: case Kind::SlotsOut:
        for (float fill : BlockFills()) {
          Call call(row);
          call.SetBlock(i, &fill);
          run(call, arg + "block of " + Describe(fill));
        }
        break;
      case Kind::Study:
        for (StudyCase c : {StudyCase::Failing, StudyCase::Missing, StudyCase::Text,
                            StudyCase::Empty, StudyCase::NullVariant, StudyCase::TwoDim,
                            StudyCase::Small, StudyCase::NaNs}) {
          Call call(row);
          call.SetStudy(i, c);
          call.NewKey();
          run(call, arg + "study with " + Label(c));
        }
        break;
      case Kind::ErrBuf: case Kind::FloatOut: case Kind::Opaque:
        break;
    }
  }
  // Null pointers one at a time, then all at once, each on a fresh instance.
  Call all(row);
  all.NewKey();
  for (size_t i = 0; i < n; ++i) {
    if (!IsPointer(row.params[i].kind)) continue;
    Call call(row);
    call.NewKey();
    call.SetNull(i);
    report.nullResults.push_back(run(call, "argument " + std::to_string(i + 1) + " null"));
    all.SetNull(i);
  }
  report.nullResults.push_back(run(all, "every pointer null"));
  return report;
}

std::string FormatResults(const std::vector<double>& results) {
  std::string line = "{";
  for (size_t i = 0; i < results.size(); ++i) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%s%g", i ? ", " : "", results[i]);
    line += buf;
  }
  return line + "}";
}

}  // namespace matrix
