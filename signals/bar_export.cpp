// The fixed-layout writers (XMT_SaveDataToCsv, XMT_SaveDataToTxt), the run state and the
// export folder and file handling they share with the block writer (bar_export_csv2.cpp).
#include "signals/bar_export.h"

#include <cstdarg>
#include <new>

#include "common/datetime/date_time.h"
#include "common/platform/platform.h"
#include "common/settings/files.h"
#include "common/settings/settings.h"
#include "common/settings/trace_log.h"
#include "common/text/text_helpers.h"
#include "common/text/txt.h"
#include "hostbridge/entry_frame.h"
#include "signals/file_names.h"
#include "signals/slot_values.h"

int CExportRun::Advance(const char* sym) {
  if (CompareNoCase(sym, symbol_.c_str(), 1) != 0) {
    symbol_ = sym;
    count_ = 0;
  }
  return ++count_;
}

void AppendFormat(std::string& out, const char* fmt, ...) {
  char buf[512];
  va_list args;
  va_start(args, fmt);
  int n = vsnprintf(buf, sizeof buf, fmt, args);
  va_end(args);
  if (n < 0) return;
  if ((size_t)n < sizeof buf) {
    out.append(buf, (size_t)n);
    return;
  }
  // Only a long symbol gets here.
  std::string big((size_t)n + 1, '\0');
  va_start(args, fmt);
  vsnprintf(&big[0], big.size(), fmt, args);
  va_end(args);
  out.append(big.data(), (size_t)n);
}

FILE* OpenExportFile(const char* sym, const char* ext, bool append) {
  if (!IsPlainFileName(sym)) return nullptr;
  CTxt base;
  GetBaseDir(base);
  std::string folder = std::string(base) + "/../CSV";
  MakeDirPath(folder.c_str(), 0);
  std::string path = folder + "/" + sym + ext;
  return Platform::Default().OpenFile(path.c_str(), append ? "ab" : "wb");
}

namespace {

// yyyymmdd and hhmmss of the host's forms, computed wide so that no value overflows.
long long FullDate(int hostDate) { return (long long)hostDate + 19000000; }
long long FullTime(int hhmm) { return (long long)hhmm * 100; }

// The date-time of a host bar; fields stay 0 where the numbers are no date or time. False
// when the date or time does not fit an int: such a bar is refused.
bool BarDateTime(int hostDate, int hhmm, CXMTDateTime& dt) {
  int yyyymmdd, hhmmss;
  if (!FullDateTime(hostDate, hhmm, yyyymmdd, hhmmss)) return false;
  dt.Reset();
  dt.SetDT(yyyymmdd, hhmmss);
  return true;
}

double Volume(const int* v) { return v ? (double)*v : 0.0; }

}  // namespace

int CBarExport::SaveCsv(const char* sym, const ExportBar& bar, int append) {
  if (!sym) return -9;
  int count = csvRun_.Advance(sym);
  try {
    ExportFile file(OpenExportFile(sym, ".csv", count > 1 || append != 0));
    if (!file.IsOpen()) return -10;
    const bool withTime = bar.time >= 0;
    std::string text;
    if (count == 1) {
      text = withTime ? "\"Symbol\",Date,Time,Open,High,Low,Close,Volume\r\n"
                      : "\"Symbol\",Date,Open,High,Low,Close,Volume\r\n";
    }
    AppendFormat(text, "\"%s\",%08lld,", sym, FullDate(bar.date));
    if (withTime) AppendFormat(text, "%06lld,", FullTime(bar.time));
    AppendFormat(text, "%.4f,%.4f,%.4f,%.4f,%.0f\r\n",
                 (double)ScaleHostPrice(bar.open, bar.divisor),
                 (double)ScaleHostPrice(bar.high, bar.divisor),
                 (double)ScaleHostPrice(bar.low, bar.divisor),
                 (double)ScaleHostPrice(bar.close, bar.divisor), Volume(bar.volume));
    file.Write(text);
    if (!file.Close()) return -10;
  } catch (...) {
    LogTrace("CSV", 2, "Internal Error occured");
  }
  return count;
}

int CBarExport::SaveTxt(const char* sym, const ExportBar& bar, int closeOnly) {
  if (!sym) return -9;
  const bool withTime = bar.time >= 0;
  CXMTDateTime dt;
  if (!BarDateTime(bar.date, withTime ? bar.time : 0, dt)) return -10;
  int count = txtRun_.Advance(sym);
  try {
    ExportFile file(OpenExportFile(sym, ".txt", count > 1));
    if (!file.IsOpen()) return -10;
    std::string text;
    if (count == 1) {
      text = withTime ? "\"Date\",\"Time\"," : "\"Date\",";
      text += closeOnly ? "\"Close\",\"Volume\"\r\n"
                        : "\"Open\",\"High\",\"Low\",\"Close\",\"Volume\"\r\n";
    }
    if (withTime) {
      CTxt when;
      dt.GetTxt(when, 18);
      text += (const char*)when;
    } else {
      AppendFormat(text, "%d/%d/%04d", dt.GetMonth(), dt.GetDay(), dt.GetYear());
    }
    const float close = ScaleHostPrice(bar.close, bar.divisor);
    if (closeOnly) {
      AppendFormat(text, ",%.4f,%.0f\r\n", (double)close, Volume(bar.volume));
    } else {
      AppendFormat(text, ",%.4f,%.4f,%.4f,%.4f,%.0f\r\n",
                   (double)ScaleHostPrice(bar.open, bar.divisor),
                   (double)ScaleHostPrice(bar.high, bar.divisor),
                   (double)ScaleHostPrice(bar.low, bar.divisor), (double)close,
                   Volume(bar.volume));
    }
    file.Write(text);
    if (!file.Close()) return -10;
  } catch (...) {
    LogTrace("TXT", 2, "Internal Error occured");
  }
  return count;
}
