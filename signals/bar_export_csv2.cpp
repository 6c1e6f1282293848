// XMT_SaveDataToCsv2: the export with optional columns, date styles and split volume, its
// numbers taken from the caller's 16-slot block.
//
// The state number tells a failure's log line how far the call got: 0 start, 1 argument
// check, 3 flags read, 4 file opened, 5 date built, 6 header, 7 line, 8 done.
#include <exception>
#include <string>

#include "common/datetime/date_time.h"
#include "common/settings/trace_log.h"
#include "common/text/txt.h"
#include "hostbridge/caller_text.h"
#include "hostbridge/slot_block.h"
#include "signals/bar_export.h"
#include "signals/slot_values.h"
#include "signals/xmt_signals.h"

namespace {

enum Slot {
  kDate = 0, kTime = 1, kOpen = 2, kHigh = 3, kLow = 4, kClose = 5, kVolUp = 6,
  kVolDown = 11, kAppend = 12, kTimeColumn = 13, kSymbolColumn = 14, kLayout = 15,
};

// Layouts of the date and volume columns.
enum Layout { kUsDate = 0, kNumericDate = 1, kUsDateOneVolume = 2 };

std::string Header(bool symbolColumn, bool timeColumn, int layout) {
  std::string h;
  if (symbolColumn) h += "\"Symbol\",";
  h += "Date,";
  if (timeColumn) h += "Time,";
  h += layout == kUsDateOneVolume ? "Open,High,Low,Close,Volume,\r\n"
                                  : "Open,High,Low,Close,VolUp,VolDn,\r\n";
  return h;
}

}  // namespace

int CBarExport::SaveCsv2(const char* sym, const SlotBlock& block, char* err) {
  int state = 0;
  int count = 0;
  try {
    state = 1;
    if (!sym) return -9;
    int yyyymmdd, hhmmss;
    if (!SlotFullDateTime(block.Get(kDate), block.Get(kTime), yyyymmdd, hhmmss)) return -10;
    count = csvRun_.Advance(sym);
    const bool append = block.Get(kAppend) > 0;
    const bool timeColumn = block.Get(kTimeColumn) > 0;
    const bool symbolColumn = block.Get(kSymbolColumn) > 0;
    const int layout = TruncToIntSaturated(block.Get(kLayout));
    state = 3;

    ExportFile file(OpenExportFile(sym, ".csv", count > 1 || append));
    CXMTDateTime dt;
    dt.Reset();
    dt.SetDT(yyyymmdd, hhmmss);
    if (!file.IsOpen()) return -10;
    state = 4;

    std::string dateText, timeText;
    if (layout == kUsDate || layout == kUsDateOneVolume) {
      CTxt both;
      dt.GetTxt(both, 25);
      std::string s(both);
      size_t comma = s.find(',');
      dateText = s.substr(0, comma);
      if (comma != std::string::npos) timeText = s.substr(comma + 1);
    } else if (layout == kNumericDate) {
      AppendFormat(dateText, "%08d", yyyymmdd);
      AppendFormat(timeText, "%06d", hhmmss);
    }
    state = 5;

    std::string text;
    if (count == 1) text = Header(symbolColumn, timeColumn, layout);
    state = 6;
    if (symbolColumn) AppendFormat(text, "\"%s\",", sym);
    text += dateText + ",";
    if (timeColumn) text += timeText + ",";
    const double open = block.Get(kOpen), high = block.Get(kHigh), low = block.Get(kLow),
                 close = block.Get(kClose);
    const double up = block.Get(kVolUp), down = block.Get(kVolDown);
    if (layout == kUsDateOneVolume) {
      AppendFormat(text, "%.*f,%.*f,%.*f,%.*f,%.0f\r\n", 2, open, 2, high, 2, low, 2, close,
                   (double)(block.Get(kVolUp) + block.Get(kVolDown)));
    } else {
      AppendFormat(text, "%.*f,%.*f,%.*f,%.*f,%.0f,%.0f\r\n", 2, open, 2, high, 2, low, 2,
                   close, up, down);
    }
    state = 7;
    file.Write(text);
    if (!file.Close()) return -10;
    state = 8;
  } catch (const std::exception& e) {
    LogTrace("CSV2", 2, "%s", e.what());
    CopyToCaller(err, XMT_SIGNALS_ERR_BUF_SIZE, e.what());
  } catch (...) {
    CTxt msg;
    msg.Format("Internal Error occured (State=%d)", state);
    LogTrace("CSV2", 2, "%s", (const char*)msg);
    CopyToCaller(err, XMT_SIGNALS_ERR_BUF_SIZE, msg);
  }
  return count;
}
