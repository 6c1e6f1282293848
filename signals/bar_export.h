// Bar data export: the bars a study passes, one line per call, into per-symbol files of the
// folder "CSV" beside the host program's folder.
//
// CBarExport holds the two run states (one shared by the two CSV writers, one for the text
// writer); XMT_SIGNALS keeps one process-wide object, tests make their own. Each call opens
// the file, writes at most a header and one line and closes it again.
//
// Contract:
// - Results: the run's line counter after the call (1 for the first line of a run); -9 null
//   symbol; -10 the file cannot be opened or written (a full disk) or the symbol is no
//   plain file name (the counter has been advanced then), or the bar's date or time does
//   not fit an int, as a slot value or as yyyymmdd or hhmmss (XMT_SaveDataToTxt,
//   XMT_SaveDataToCsv2: nothing is written and the run stays as it was).
// - A run continues while the symbol equals the stored one without regard to case; symbols
//   are kept whole, whatever their length.
// - Prices: integer / divisor in single precision; a divisor below 1 writes 0 (as the
//   pattern library's price scale). Null price or volume pointers read as 0.
// - Nothing is locked: the host calls one export at a time.
#pragma once

#include <cstdio>
#include <string>

class SlotBlock;

// One run: the last symbol and its line counter.
class CExportRun {
 public:
  // Restarts the run when sym differs from the stored symbol (case ignored), then counts the
  // call. Result the counter (1 for the first line of a run).
  int Advance(const char* sym);
  int Count() const { return count_; }

 private:
  std::string symbol_;
  int count_ = 0;
};

// The bar of an integer-price export call.
struct ExportBar {
  int date = 0;  // host form
  int time = 0;  // HHMM
  int divisor = 0;
  const int* open = nullptr;
  const int* high = nullptr;
  const int* low = nullptr;
  const int* close = nullptr;
  const int* volume = nullptr;
};

class CBarExport {
 public:
  // XMT_SaveDataToCsv: fixed layout, four decimals; time < 0 leaves out the time column.
  int SaveCsv(const char* sym, const ExportBar& bar, int append);
  // XMT_SaveDataToCsv2: the 16-slot block; errors as text into err (bounded copy).
  int SaveCsv2(const char* sym, const SlotBlock& block, char* err);
  // XMT_SaveDataToTxt: quoted header, US date-time text; closeOnly: close and volume.
  int SaveTxt(const char* sym, const ExportBar& bar, int closeOnly);

 private:
  CExportRun csvRun_;
  CExportRun txtRun_;
};

// Opens "<base folder>/../CSV/<sym><ext>" ("ab" or "wb"), making the folder first. Null when
// sym is no plain file name (IsPlainFileName, signals/file_names.h) or the file cannot be opened.
FILE* OpenExportFile(const char* sym, const char* ext, bool append);

// Closes the file it holds when it goes out of scope. Close tells whether every byte
// written reached the file (a full disk shows at a write or at the close).
class ExportFile {
 public:
  explicit ExportFile(FILE* f) : f_(f) {}
  ~ExportFile() {
    if (f_) fclose(f_);
  }
  ExportFile(const ExportFile&) = delete;
  ExportFile& operator=(const ExportFile&) = delete;
  bool IsOpen() const { return f_ != nullptr; }
  void Write(const std::string& text) {
    if (f_ && !text.empty() && fwrite(text.data(), 1, text.size(), f_) != text.size()) {
      failed_ = true;
    }
  }
  // Closes the file; false when it was not open or a write or the close failed.
  bool Close() {
    if (!f_) return false;
    const bool closed = fclose(f_) == 0;
    f_ = nullptr;
    return closed && !failed_;
  }

 private:
  FILE* f_;
  bool failed_ = false;
};

// printf into the end of out.
void AppendFormat(std::string& out, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
