// Per-bar cost of the XMT_SIGNALS exports that work on files, loaded by file name as the
// platform loads them: the three bar exports (one line per call into a file the export
// opens, appends to and closes) and the column loader (a file loaded once per
// recalculation, then one value handed out per bar). Each is set against the same lines
// written into a file kept open, or the same column read from lines held directly (no
// conversions, no logging, no file opened per bar).
//
//   build/release/bin/signals_io_bench
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_kit.h"
#include "common/lists/txt_array.h"
#include "common/platform/platform.h"
#include "common/settings/files.h"
#include "common/settings/settings.h"
#include "common/testing/test_dirs.h"
#include "common/text/text_helpers.h"
#include "common/text/txt.h"
#include "hostbridge/entry_frame.h"
#include "signals/xmt_signals.h"

namespace {

constexpr size_t kFileBars = 2000;  // bars written per pass by the bar exports
constexpr size_t kCheckBars = 200;  // bars compared line by line before the timing
constexpr char kBareFolder[] = "out/bench/signals_io/bare";
constexpr char kColumnFolder[] = "C:/Database/LoadCol";
constexpr char kColumnFile[] = "BENCH_COL.csv";
constexpr int kColumn = 3;  // the close

// A bar as the export files show it: prices after the division, date and time fields.
struct Row {
  int yyyymmdd = 0, hhmmss = 0, year = 0, month = 0, day = 0, hour = 0, minute = 0;
  float open = 0, high = 0, low = 0, close = 0;
  int volume = 0;
};

using Block = std::array<XmtSlot, 16>;

struct Fixture : BenchLibrary {
  XMT_SaveDataToCsv_fn saveCsv = nullptr;
  XMT_SaveDataToCsv2_fn saveCsv2 = nullptr;
  XMT_SaveDataToTxt_fn saveTxt = nullptr;
  XMT_LoadCol_fn loadCol = nullptr;
  std::vector<HostBar> bars;  // usdchf_30min, host form
  std::vector<Row> rows;      // the same bars as the files show them
  std::vector<Block> csv2;    // XMT_SaveDataToCsv2's blocks of the first kFileBars bars
  std::vector<Block> column;  // XMT_LoadCol's blocks of every bar

  Fixture() : BenchLibrary("signals_io", "XMT_SIGNALS") {
    Bind("XMT_SaveDataToCsv", &saveCsv);
    Bind("XMT_SaveDataToCsv2", &saveCsv2);
    Bind("XMT_SaveDataToTxt", &saveTxt);
    Bind("XMT_LoadCol", &loadCol);
    bars = HostBars(SampleFile("usdchf_30min.csv"), kSynthScale);
    if (ok && !WriteColumnFile()) {
      error = "cannot write the column file";
      ok = false;
    }
    Report("signals_io_bench");
    std::filesystem::create_directories(kBareFolder);
    for (size_t k = 0; k < bars.size(); ++k) {
      const HostBar& b = bars[k];
      Row r;
      r.yyyymmdd = b.date + 19000000;
      r.hhmmss = b.time * 100;
      r.year = r.yyyymmdd / 10000;
      r.month = r.yyyymmdd / 100 % 100;
      r.day = r.yyyymmdd % 100;
      r.hour = b.time / 100;
      r.minute = b.time % 100;
      r.open = ScaleHostPrice(&b.open, kSynthScale);
      r.high = ScaleHostPrice(&b.high, kSynthScale);
      r.low = ScaleHostPrice(&b.low, kSynthScale);
      r.close = ScaleHostPrice(&b.close, kSynthScale);
      r.volume = b.volume;
      rows.push_back(r);
      column.push_back(ColumnBlock(b, static_cast<int>(k) + 1));
      if (k < kFileBars) csv2.push_back(Csv2Block(b, r));
    }
  }

  // The column file: date, time, close and volume of every bar, and one line more, so that
  // the last bar of a pass still has a line after the one it reaches.
  bool WriteColumnFile() const {
    std::string text;
    char line[96];
    for (size_t k = 0; k <= bars.size(); ++k) {
      const HostBar& b = bars[k < bars.size() ? k : bars.size() - 1];
      std::snprintf(line, sizeof line, "%08d,%04d,%.4f,%d\n", b.date + 19000000, b.time,
                    static_cast<double>(b.Close()), b.volume);
      text += line;
    }
    MakeDirPath(kColumnFolder, 0);
    const std::string path = std::string(kColumnFolder) + "/" + kColumnFile;
    return WriteWholeFile(Platform::Default().NativePath(path.c_str()), text);
  }

  // Layout 0 (US date text) with the time and symbol columns; up-volume the bar's volume.
  static Block Csv2Block(const HostBar& b, const Row& r) {
    Block s{};
    const float values[16] = {static_cast<float>(b.date), static_cast<float>(b.time),
                              r.open, r.high, r.low, r.close, static_cast<float>(b.volume),
                              0, 0, 0, 0, 0, 0, 1, 1, 0};
    for (size_t i = 0; i < s.size(); ++i) s[i].value = values[i];
    return s;
  }

  static Block ColumnBlock(const HostBar& b, int barNumber) {
    Block s{};
    s[0].value = static_cast<float>(b.date);
    s[1].value = static_cast<float>(b.time);
    s[7].value = static_cast<float>(barNumber);
    s[11].value = static_cast<float>(kColumn);
    return s;
  }
};

Fixture& F() {
  static Fixture f;
  return f;
}

// --- bar exports: the export opens, appends to and closes its file on every call ----------

// The lines of the bare loops, written into a file kept open.
void CsvLine(FILE* out, const char* sym, const Row& r) {
  std::fprintf(out, "\"%s\",%08d,%06d,%.4f,%.4f,%.4f,%.4f,%d\r\n", sym, r.yyyymmdd, r.hhmmss,
               static_cast<double>(r.open), static_cast<double>(r.high),
               static_cast<double>(r.low), static_cast<double>(r.close), r.volume);
}
void Csv2Line(FILE* out, const char* sym, const Row& r) {
  std::fprintf(out, "\"%s\",%02d/%02d/%04d,%02d:%02d,%.2f,%.2f,%.2f,%.2f,%d,0\r\n", sym, r.month,
               r.day, r.year, r.hour, r.minute, static_cast<double>(r.open),
               static_cast<double>(r.high), static_cast<double>(r.low),
               static_cast<double>(r.close), r.volume);
}
void TxtLine(FILE* out, const char*, const Row& r) {
  std::fprintf(out, "%d/%d/%04d,%02d:%02d:00,%.4f,%.4f,%.4f,%.4f,%d\r\n", r.month, r.day, r.year,
               r.hour, r.minute, static_cast<double>(r.open), static_cast<double>(r.high),
               static_cast<double>(r.low), static_cast<double>(r.close), r.volume);
}

// One call of each export for bar k under the symbol sym.
int CsvCall(const Fixture& f, const char* sym, size_t k) {
  const HostBar& b = f.bars[k];
  return f.saveCsv(0, sym, b.date, b.time, kSynthScale, &b.open, &b.high, &b.low, &b.close,
                   &b.volume, 0);
}
int Csv2Call(const Fixture& f, const char* sym, size_t k) {
  return f.saveCsv2(sym, f.csv2[k].data(), nullptr);
}
int TxtCall(const Fixture& f, const char* sym, size_t k) {
  const HostBar& b = f.bars[k];
  return f.saveTxt(0, sym, b.date, b.time, kSynthScale, &b.open, &b.high, &b.low, &b.close,
                   &b.volume, 0);
}

using ExportCall = int (*)(const Fixture&, const char*, size_t);
using BareLine = void (*)(FILE*, const char*, const Row&);

// The file an export writes for sym (extension ext), as a path of this system.
std::string ExportPath(const char* sym, const char* ext) {
  CTxt base;
  GetBaseDir(base);
  const std::string path = std::string(base) + "/../CSV/" + sym + ext;
  return Platform::Default().NativePath(path.c_str());
}

// The export's file after kCheckBars calls of a new run holds its header and then exactly
// the lines the bare loop writes for the same bars.
bool SameLines(const Fixture& f, ExportCall call, BareLine line, const char* sym,
               const char* ext) {
  for (size_t k = 0; k < kCheckBars; ++k) call(f, sym, k);
  const std::string barePath = std::string(kBareFolder) + "/check" + ext;
  FILE* out = std::fopen(barePath.c_str(), "wb");
  if (!out) return false;
  for (size_t k = 0; k < kCheckBars; ++k) line(out, sym, f.rows[k]);
  std::fclose(out);
  std::string exported = ReadWholeFile(ExportPath(sym, ext));
  const size_t header = exported.find("\r\n");
  if (header == std::string::npos) return false;
  return exported.substr(header + 2) == ReadWholeFile(barePath);
}

void ExportCase(benchmark::State& state, ExportCall call, const char* sym) {
  Fixture& f = F();
  NEED_LIBRARY(f);
  for (auto _ : state) {
    for (size_t k = 0; k < kFileBars; ++k) benchmark::DoNotOptimize(call(f, sym, k));
  }
  CountBars(state, kFileBars);
}

void BareCase(benchmark::State& state, bool same, BareLine line, const char* sym,
              const char* ext) {
  Fixture& f = F();
  if (!same) return state.SkipWithError("the bare loop gives other lines than the export");
  const std::string path = std::string(kBareFolder) + "/bare" + ext;
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return state.SkipWithError("cannot write the bare loop's file");
  for (auto _ : state) {
    for (size_t k = 0; k < kFileBars; ++k) line(out, sym, f.rows[k]);
  }
  std::fclose(out);
  CountBars(state, kFileBars);
}

void BM_SaveDataToCsv_export(benchmark::State& state) { ExportCase(state, CsvCall, "BENCH_CSV"); }
BENCHMARK(BM_SaveDataToCsv_export)->Unit(benchmark::kMillisecond);

void BM_SaveDataToCsv_bare(benchmark::State& state) {
  Fixture& f = F();
  static const bool same = !f.ok || SameLines(f, CsvCall, CsvLine, "BENCH_CSV_CHECK", ".csv");
  BareCase(state, same, CsvLine, "BENCH_CSV", ".csv");
}
BENCHMARK(BM_SaveDataToCsv_bare)->Unit(benchmark::kMillisecond);

void BM_SaveDataToCsv2_export(benchmark::State& state) {
  ExportCase(state, Csv2Call, "BENCH_CSV2");
}
BENCHMARK(BM_SaveDataToCsv2_export)->Unit(benchmark::kMillisecond);

void BM_SaveDataToCsv2_bare(benchmark::State& state) {
  Fixture& f = F();
  static const bool same =
      !f.ok || SameLines(f, Csv2Call, Csv2Line, "BENCH_CSV2_CHECK", ".csv");
  BareCase(state, same, Csv2Line, "BENCH_CSV2", ".csv");
}
BENCHMARK(BM_SaveDataToCsv2_bare)->Unit(benchmark::kMillisecond);

void BM_SaveDataToTxt_export(benchmark::State& state) { ExportCase(state, TxtCall, "BENCH_TXT"); }
BENCHMARK(BM_SaveDataToTxt_export)->Unit(benchmark::kMillisecond);

void BM_SaveDataToTxt_bare(benchmark::State& state) {
  Fixture& f = F();
  static const bool same = !f.ok || SameLines(f, TxtCall, TxtLine, "BENCH_TXT_CHECK", ".txt");
  BareCase(state, same, TxtLine, "BENCH_TXT", ".txt");
}
BENCHMARK(BM_SaveDataToTxt_bare)->Unit(benchmark::kMillisecond);

// --- column loading: one pass of the chart per iteration -----------------------------------

// The bar numbers start over with every pass, so the export loads its file again and looks
// for the first bar's line once per pass, then hands out one value per bar.
void BM_LoadCol_export(benchmark::State& state) {
  Fixture& f = F();
  NEED_LIBRARY(f);
  for (auto _ : state) {
    for (Block& block : f.column) benchmark::DoNotOptimize(f.loadCol(kColumnFile, block.data(), nullptr));
  }
  CountBars(state, f.column.size());
}
BENCHMARK(BM_LoadCol_export)->Unit(benchmark::kMillisecond);

// The same on lines held directly: the file read once per pass, the first line at or after
// the first bar found by its date and time numbers, then the column of each next line.
class BareColumn {
 public:
  // Result: false when the file cannot be read or no line reaches the bar.
  bool Start(const Row& first) {
    CTxt msg;
    const std::string path = std::string(kColumnFolder) + "/" + kColumnFile;
    if (lines_.LoadFromCSV(path.c_str(), msg) <= 0) return false;
    for (int i = 0; i < lines_.GetSize(); ++i) {
      const char* line = lines_.GetAtTxt(i);
      const int date = std::atoi(Field(line, 1)), hhmm = std::atoi(Field(line, 2));
      if (date > first.yyyymmdd || (date == first.yyyymmdd && hhmm * 100 >= first.hhmmss)) {
        next_ = i + 1;
        return true;
      }
    }
    return false;
  }
  // The value of the next line, and the index after it (-4 past the end).
  int Next(float* value) {
    if (next_ >= lines_.GetSize()) return -4;
    *value = static_cast<float>(std::atof(Field(lines_.GetAtTxt(next_++), kColumn)));
    return next_;
  }

 private:
  const char* Field(const char* line, int n) {
    if (strfld(line, '\t', n, 0, field_, sizeof field_) <= 0) field_[0] = 0;
    return field_;
  }
  CTxtArray lines_;
  int next_ = -1;
  char field_[64] = {};
};

// The export against the bare loop over one pass: the same result and value on every bar.
bool ColumnMatchesBare(Fixture& f) {
  BareColumn bare;
  if (!bare.Start(f.rows[0])) return false;
  for (Block& block : f.column) {
    float value = 0;
    if (bare.Next(&value) != f.loadCol(kColumnFile, block.data(), nullptr) ||
        value != block[12].value)
      return false;
  }
  return true;
}

void BM_LoadCol_bare(benchmark::State& state) {
  Fixture& f = F();
  static const bool same = !f.ok || ColumnMatchesBare(f);
  if (!same) return state.SkipWithError("the bare loop gives other numbers than the export");
  BareColumn bare;
  float value = 0;
  for (auto _ : state) {
    if (!bare.Start(f.rows[0])) return state.SkipWithError("cannot read the column file");
    for (size_t k = 0; k < f.column.size(); ++k) benchmark::DoNotOptimize(bare.Next(&value));
  }
  benchmark::DoNotOptimize(value);
  CountBars(state, f.column.size());
}
BENCHMARK(BM_LoadCol_bare)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
