// XMT_LoadCol: loading the file, finding the line that reaches the bar, and handing out one
// column of the following lines.
//
// The state number of a failure's text tells how far the call got: 1 start, 2 after the
// name check, 5 after the bar's date-time was built, 8 during the search.
#include "signals/load_col.h"

#include <cstdlib>
#include <cstring>
#include <exception>
#include <vector>

#include "common/datetime/date_time.h"
#include "common/settings/files.h"
#include "common/settings/trace_log.h"
#include "common/text/text_helpers.h"
#include "common/text/txt.h"
#include "hostbridge/caller_text.h"
#include "hostbridge/slot_block.h"
#include "signals/file_names.h"
#include "signals/slot_values.h"
#include "signals/xmt_signals.h"

namespace {

const char kFolder[] = "C:/Database/LoadCol";

enum Slot { kDate = 0, kTime = 1, kBarNumber = 7, kColumn = 11, kValue = 12 };

// Field n (from 1) of a TAB-separated line.
std::string Field(const char* line, int n) {
  size_t size = std::strlen(line) + 1;
  std::vector<char> buf(size);
  int len = strfld(line, '\t', n, 0, buf.data(), (int)size);
  return len > 0 ? std::string(buf.data(), (size_t)len) : std::string();
}

// Up to two characters of text from position at (none beyond its end).
std::string Pair(const std::string& text, size_t at) {
  return at < text.size() ? text.substr(at, 2) : std::string();
}

// "%-2.2s": the pair padded with blanks to two characters.
std::string Padded(const std::string& pair) { return pair + std::string(2 - pair.size(), ' '); }

// The date-time text of a line: "<date> hh:mm:ss" from a time without separators; empty for
// a time written with colons.
std::string LineDateTimeText(const std::string& date, const std::string& time) {
  if (time.find(':') != std::string::npos) return std::string();
  std::string text = date + " " + Padded(Pair(time, 0)) + ":" + Padded(Pair(time, 2)) + ":";
  text += time.size() > 4 ? Padded(Pair(time, 4)) : std::string("00");
  return text;
}

}  // namespace

int CColumnLoader::Search(const CXMTDateTime& bar) {
  for (int i = 0; i < lines_.GetSize(); ++i) {
    const char* line = lines_.GetAtTxt(i);
    if (!line) continue;
    std::string text = LineDateTimeText(Field(line, 1), Field(line, 2));
    if (text.empty()) continue;
    CXMTDateTime when;
    if (when.SetDT(text.c_str()) != 0 || !when.IsValid()) continue;
    if (when.Compare(&bar, 6) >= 0) {
      LogTrace("LoadCol", 1, "Found Date=%04d-%02d-%02d %02d:%02d:%02d - Bar#%d", when.GetYear(),
               when.GetMonth(), when.GetDay(), when.GetHour(), when.GetMinute(),
               when.GetSecond(), i + 1);
      nextLine_ = i + 1;
      return 0;
    }
  }
  return -3;
}

int CColumnLoader::Load(const char* file, const SlotBlock& block, char* err) {
  int state = 1;
  try {
    if (!file) return -9;
    state = 2;
    const int barNumber = TruncToIntSaturated(block.Get(kBarNumber));
    const int column = TruncToIntSaturated(block.Get(kColumn));
    int yyyymmdd, hhmmss;
    // A date or time beyond the int range reaches no line; nothing changes.
    if (!SlotFullDateTime(block.Get(kDate), block.Get(kTime), yyyymmdd, hhmmss)) return -3;
    CXMTDateTime bar;
    bar.Reset();
    bar.SetDT(yyyymmdd, hhmmss);
    state = 5;

    if (CompareNoCase(file, fileName_.c_str(), 1) != 0 || lastBar_ < 1 ||
        barNumber < lastBar_) {
      if (!Reload(file, bar, barNumber, column, err)) return -1;
    }
    lastBar_ = barNumber;

    if (nextLine_ == -1) {
      state = 8;
      if (Search(bar) != 0) return -3;
    }
    const char* line = lines_.GetAtTxt(nextLine_);
    if (nextLine_ < 0 || nextLine_ >= lines_.GetSize()) return -4;
    ++nextLine_;
    block.Set(kValue, (float)std::atof(Field(line ? line : "", column).c_str()));
    return nextLine_;
  } catch (const std::exception& e) {
    CopyToCaller(err, XMT_SIGNALS_ERR_BUF_SIZE, e.what());
  } catch (...) {
    CTxt msg;
    msg.Format("Internal Error occured (State=%d)", state);  // kept as the system writes it
    CopyToCaller(err, XMT_SIGNALS_ERR_BUF_SIZE, msg);
  }
  return nextLine_;
}

bool CColumnLoader::Reload(const char* file, const CXMTDateTime& bar, int barNumber, int column,
                           char* err) {
  fileName_ = file;
  MakeDirPath(kFolder, 0);
  CTxt path, msg;
  path.Format("%s/%s", kFolder, file);
  int loaded;
  if (StaysInsideFolder(file)) {
    loaded = lines_.LoadFromCSV(path, msg);
  } else {
    lines_.RemoveAll();
    msg.Format("Cannot open %s (%s)", (const char*)path, "invalid file name");
    loaded = -1;
  }
  LogTrace("LoadCol", 1,
           "Bar#%06d Date=%04d-%02d-%02d %02d:%02d:%02d Col=%d, Load new File %s (Max=%d, "
           "LastBar=%d) - Version 1.1",
           barNumber, bar.GetYear(), bar.GetMonth(), bar.GetDay(), bar.GetHour(),
           bar.GetMinute(), bar.GetSecond(), column, (const char*)path, loaded, lastBar_);
  nextLine_ = -1;
  if (loaded <= 0) {
    // Nothing of the old file stays in use: the next call loads again, so a file that
    // appears later is read from its start.
    lastBar_ = -1;
    CopyToCaller(err, XMT_SIGNALS_ERR_BUF_SIZE, msg);
    return false;
  }
  return true;
}
