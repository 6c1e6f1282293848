// The trace log: one plain-text file per process and day, "<base>/logs/<yyyymmdd>/<name>.log",
// opened lazily by the first log call of the process.
//
// Lines are "<category, 16 columns>|[<yymmdd>|][<hh:mm:ss.mmm><level>|]<message>" CR LF;
// which columns appear depends on the deliverable's variant and the "SYS" settings
// "LogShowDate" / "LogShowTime". Each line goes out in one write call; commits to disk are
// batched (every 21 lines or after 10 seconds) unless "LogFileFlushOnEach" is on. "RELEASE" /
// "WriteLog" = NO switches the log off for the life of the process.
//
// Contract: no locks (callers' threading rules apply); nothing throws; write errors are not
// checked.
#pragma once

// The checking archetype of the log's format strings: GCC (MinGW included) checks them as
// the GNU printf they are; clang, which builds the fuzz targets, knows only "printf".
#if defined(__clang__)
#define XMT_LOG_FORMAT_KIND printf
#else
#define XMT_LOG_FORMAT_KIND gnu_printf
#endif

// printf-style: formats into a buffer of 10000 characters and hands it to LogWrite. An empty
// message is dropped (result 0). A longer message is cut, shown in a "LOGTRACE Buffer
// overrun!" message box and logged cut. Result LogWrite's result.
int LogTrace(const char* category, int level, const char* fmt, ...)
    __attribute__((format(XMT_LOG_FORMAT_KIND, 3, 4)));

// Writes one line, or carries out a command given as the category (case ignored):
//   "*OPENLOG" text = path, level 1 truncates: 1 opened, -1 already open, -2 cannot open;
//   "*FLUSH" commit; "*CLOSE" commit and close; "*COPY" (program variant) commit and copy
//   the log to "LogCpy.tmp" in the current folder: 0.
// An ordinary line returns 0, also when no log is open. text is modified in place (CR and
// LF become "+"); a null text logs an empty message.
int LogWrite(const char* category, char* text, int level);

// Path of the open (or last opened) log file, empty when none. Result its length.
int GetLogFilePath(char* out, int size);

// Tests only: close the log and return to the state before the first log call.
void TraceLogResetForTest();
