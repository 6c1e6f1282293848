// The trace log (see trace_log.h): lazy opening on the first call, the control commands, and
// one line per message written with a single low-level write.
#include "common/settings/trace_log.h"

#include <cctype>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "common/settings/deliverable.h"
#include "common/settings/files.h"
#include "common/settings/fixed_path.h"
#include "common/settings/log_stamp.h"
#include "common/platform/platform.h"
#include "common/settings/settings.h"
#include "common/text/text_helpers.h"
#include "common/text/txt.h"

namespace {

constexpr int kMessageMax = 10000;  // characters LogTrace formats (its buffer has one more)
constexpr size_t kShortLine = 2048;  // lines up to this length are built on the stack
constexpr size_t kCategoryWidth = 16;
constexpr int kFlushLines = 20;     // commit after more lines than this ...
constexpr int64_t kFlushSeconds = 10;  // ... or after more seconds than this

// Process-wide log state. No lock: lines go out in single writes and the rest is benign.
struct LogState {
  FILE* file = nullptr;
  FixedPath path;  // no heap block: nothing is left behind when the library is unloaded
  int linesSinceFlush = 0;
  int64_t lastFlush = 0;  // 0: not yet known, flush setting to be read again
  int flushOnEach = 0;
  int showDate = -1;
  int showTime = -1;
  bool openedOnce = false;
  bool closedAtUnload = false;  // the library is being unloaded: the file was closed
};
// Never destroyed: the libraries' own global objects may still log while they are torn down.
// Built in static room, so the first log call needs no memory for it.
LogState& Log() {
  alignas(LogState) static unsigned char room[sizeof(LogState)];
  static LogState* state = new (room) LogState();
  return *state;
}

// Gives the log's file back when the library (or program) is unloaded from a running
// process, committed. Lines logged later, by objects torn down after this one, each open the
// file, go out and close it again. When the process is ending nothing is done: the system
// closes the file itself, and a thread it stopped in the middle of a line may still hold
// the file's lock, which closing would wait for.
struct CloseAtUnload {
  ~CloseAtUnload() {
    LogState& log = Log();
    if (!log.file || Platform::Default().ProcessEnding()) return;
    Platform::Default().CommitFile(log.file);
    std::fclose(log.file);
    log.file = nullptr;
    log.closedAtUnload = true;
  }
};
CloseAtUnload g_closeAtUnload;

bool EqualNoCase(const char* a, const char* b) { return CompareNoCase(a, b, 1) == 0; }

// The first log call of the process opens the day's log (once, whatever comes of it).
void OpenOnFirstUse() {
  if (Log().openedOnce) return;
  Log().openedOnce = true;
  if (ReadIniBool("RELEASE", "WriteLog", 1) != 1) return;

  PlatformTime now = Platform::Default().LocalNow();
  const DeliverableConfig& config = GetDeliverableConfig();
  CTxt base;
  if (config.logBaseDir) {
    base.SetTxt(config.logBaseDir);
  } else {
    GetBaseDir(base);
  }
  NormalizeSlashes(base);

  std::string name;
  if (config.logName) {
    name = config.logName;
  } else {
    name = ProgramFileTitle();
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }

  std::string logs = std::string(static_cast<const char*>(base)) + "/logs";
  char day[16];
  std::snprintf(day, sizeof day, "/%04d%02d%02d", now.year % 10000, now.month % 100,
                now.day % 100);
  std::string dayDir = logs + day;
  MakeDirPath(logs.c_str(), 0);
  MakeDirPath(dayDir.c_str(), 0);
  std::string path = dayDir + "/" + name + ".log";

  int append = ReadIniBool("SYS", "LogFileAppend", 1);
  LogWrite("*OPENLOG", path.data(), append ? 0 : 1);
}

// A message on its way into a line: its text (NUL-terminated, changed in place) and, when
// the caller left room around it, the bytes free in front of it and behind its terminator,
// so that the line can be put together where the message already lies.
struct Message {
  char* text;
  size_t headroom = 0;
  size_t tailroom = 0;  // bytes after the terminator
};

// The columns in front of a message: at most the category's and LogStamp's two.
constexpr size_t kHeadMax = kCategoryWidth + 1 + LogStamp::kDateMax + LogStamp::kTimeMax;

// "%-*.*s|" with width and precision 16, without a format call.
char* PutCategory(char* out, const char* category) {
  const size_t n = strnlen(category, kCategoryWidth);
  std::memcpy(out, category, n);
  std::memset(out + n, ' ', kCategoryWidth - n);
  out[kCategoryWidth] = '|';
  return out + kCategoryWidth + 1;
}

// The columns of the line in front of its message; result their length.
size_t PutHead(char* head, const char* category, char levelChar, const LogStamp& stamp) {
  const bool program = IsProgramVariant();
  char* out = head;
  if (category) {
    out = PutCategory(out, category);
    if (program) {
      if (Log().showDate < 0) Log().showDate = ReadIniBool("SYS", "LogShowDate", 1);
      if (Log().showDate) out = stamp.PutDate(out);
    }
  }
  if (Log().showTime < 0) Log().showTime = ReadIniBool("SYS", "LogShowTime", 1);
  if (Log().showTime) {
    out = stamp.PutTime(out, levelChar);
  } else if (program) {
    *out++ = levelChar;
    *out++ = '|';
  }
  return static_cast<size_t>(out - head);
}

// CR and LF become "+"; result the text's length.
size_t FoldLineBreaks(char* text) {
  const size_t length = std::strlen(text);
  char* const end = text + length;
  for (char* c = text; (c = static_cast<char*>(std::memchr(c, '\r', end - c))); ++c) *c = '+';
  for (char* c = text; (c = static_cast<char*>(std::memchr(c, '\n', end - c))); ++c) *c = '+';
  return length;
}

// Commits the log when the rule says so (every line with "LogFileFlushOnEach", else after
// more than 20 lines or more than 10 seconds).
void CommitWhenDue(Platform& p) {
  ++Log().linesSinceFlush;
  int64_t seconds = p.UnixNow();
  if (Log().lastFlush == 0) {
    Log().flushOnEach = ReadIniBool("SYS", "LogFileFlushOnEach", 0);
    Log().lastFlush = seconds;
  }
  if (Log().flushOnEach || Log().linesSinceFlush > kFlushLines ||
      seconds - Log().lastFlush > kFlushSeconds) {
    p.CommitFile(Log().file);
    Log().lastFlush = seconds;
    Log().linesSinceFlush = 0;
  }
}

// Writes one line; the log is open.
void WriteLine(const char* category, const Message& message, int level) {
  Platform& p = Platform::Default();
  const size_t textLen = FoldLineBreaks(message.text);
  // Each thread keeps the columns' text of its last second (see log_stamp.h).
  thread_local LogStamp stamp;
  stamp.Set(p.LocalNow());
  const char levelChar = level <= 0 ? ' ' : static_cast<char>(96 + level);

  char head[kHeadMax];
  const size_t n = PutHead(head, category, levelChar, stamp);
  const size_t lineLen = n + textLen + 2;

  // One buffer, one write: the line must never be split between threads or processes.
  // A message with room around it becomes the line where it lies; another one of the
  // usual length is put together on the stack, so logging takes no memory; only a longer
  // one gets a buffer of its own.
  char* line;
  char shortLine[kShortLine];
  std::string longLine;
  if (message.headroom >= n && message.tailroom >= 1) {
    line = message.text - n;
  } else {
    line = shortLine;
    if (lineLen > sizeof shortLine) {
      longLine.resize(lineLen);
      line = longLine.data();
    }
    std::memcpy(line + n, message.text, textLen);
  }
  std::memcpy(line, head, n);
  std::memcpy(line + n + textLen, "\r\n", 2);
  p.WriteRaw(Log().file, line, lineLen);
  CommitWhenDue(p);
}

int OpenLog(const char* path, int level) {
  int result;
  if (Log().file) {
    result = -1;
  } else {
    Log().file = path ? Platform::Default().OpenFile(path, level == 1 ? "wbc" : "abc") : nullptr;
    if (!Log().file) {
      result = -2;
    } else {
      Log().path.assign(path, std::strlen(path));  // cut at FixedPath::kMax
      std::string opening = std::string("====== Opening ") + Log().path.c_str() + " ======";
      WriteLine(IsProgramVariant() ? "ACTION-INIT" : "INIT", Message{opening.data()}, 0);
      Platform::Default().CommitFile(Log().file);
      result = 1;
    }
  }
  Log().linesSinceFlush = 0;
  Log().lastFlush = 0;
  return result;
}

bool IsCommand(const char* category) {
  if (!category || category[0] != '*') return false;
  for (const char* name : {"*OPENLOG", "*FLUSH", "*CLOSE"}) {
    if (EqualNoCase(category, name)) return true;
  }
  return IsProgramVariant() && EqualNoCase(category, "*COPY");
}

// Carries out a control command; false when category is not one (then it is a plain line).
bool RunCommand(const char* category, char* text, int level, int* result) {
  Platform& p = Platform::Default();
  *result = 0;
  if (EqualNoCase(category, "*OPENLOG")) {
    *result = OpenLog(text, level);
  } else if (EqualNoCase(category, "*FLUSH")) {
    if (Log().file) p.CommitFile(Log().file);
  } else if (EqualNoCase(category, "*CLOSE")) {
    if (Log().file) {
      p.CommitFile(Log().file);
      std::fclose(Log().file);
      Log().file = nullptr;
    }
  } else if (EqualNoCase(category, "*COPY") && IsProgramVariant()) {
    if (Log().file) {
      p.CommitFile(Log().file);
      CopyFileData(Log().path.c_str(), "LogCpy.tmp");
    }
  } else {
    return false;
  }
  return true;
}

// A line logged after the file was closed at unload: the file opens for it alone.
void WriteLateLine(const char* category, const Message& message, int level) {
  LogState& log = Log();
  if (!log.closedAtUnload || log.path.empty()) return;
  log.file = Platform::Default().OpenFile(log.path.c_str(), "abc");
  if (!log.file) return;
  WriteLine(category, message, level);
  Platform::Default().CommitFile(log.file);
  std::fclose(log.file);
  log.file = nullptr;
}

int LogWriteUnguarded(const char* category, const Message& message, int level) {
  OpenOnFirstUse();
  int result = 0;
  if (category && category[0] == '*' && RunCommand(category, message.text, level, &result))
    return result;
  char empty[1] = {0};
  const Message& line = message.text ? message : Message{empty};
  if (!Log().file) {
    WriteLateLine(category, line, level);
    return 0;
  }
  WriteLine(category, line, level);
  return 0;
}

// Logging runs in every failure path, destructors included: with no memory left (a settings
// read, the log's folder name) the line is dropped instead.
int LogWriteGuarded(const char* category, const Message& message, int level) {
  try {
    return LogWriteUnguarded(category, message, level);
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

}  // namespace

int LogWrite(const char* category, char* text, int level) {
  return LogWriteGuarded(category, Message{text}, level);
}

int LogTrace(const char* category, int level, const char* fmt, ...) {
  try {
    OpenOnFirstUse();
  } catch (const std::bad_alloc&) {
    return 0;
  }
  if (!fmt) return 0;
  // The message is formatted behind room for the line's columns and its line end, so that
  // the line is put together where it lies (see WriteLine).
  char buffer[kHeadMax + kMessageMax + 2];
  char* const message = buffer + kHeadMax;
  va_list args;
  va_start(args, fmt);
  int needed = std::vsnprintf(message, kMessageMax + 1, fmt, args);
  va_end(args);
  if (needed <= 0 || message[0] == 0) return 0;
  try {
    if (needed > kMessageMax) {  // cut: only more than kMessageMax characters are an overrun
      Platform::Default().MessageBox(message, "LOGTRACE Buffer overrun!", kMbIconError);
    }
    const DeliverableConfig& config = GetDeliverableConfig();
    if (config.statusSink && !IsCommand(category)) config.statusSink(message);
  } catch (const std::bad_alloc&) {
    // The line itself still goes out.
  }
  const size_t length = std::strlen(message);
  const Message line{message, kHeadMax, sizeof buffer - kHeadMax - length - 1};
  return LogWriteGuarded(category, line, level);
}

int GetLogFilePath(char* out, int size) {
  if (!out || size <= 0) return 0;
  std::snprintf(out, static_cast<size_t>(size), "%s", Log().path.c_str());
  return static_cast<int>(std::strlen(out));
}

void TraceLogResetForTest() {
  if (Log().file) std::fclose(Log().file);
  Log() = LogState();
}
