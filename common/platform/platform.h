// The one door to the operating system.
//
// Everything the libraries need from Windows (or from the POSIX stand-in on Linux) goes
// through the abstract class Platform below: paths, profile strings, the registry, files and
// folder searches, processes, clocks, message boxes, other programs' windows, MIDI output,
// COM task memory and web pages. Platform::Default() is the backend CMake picked for this
// build; a test may replace it for its own scope with ScopedPlatform (for example with a
// FakePlatform, or with a wrapper that forwards all but a few calls).
//
// Contract notes:
// - Paths given to any call may be host paths ("C:/Database/DO_DER", "c:\\x"); the backend
//   maps them (NativePath). Results that are paths use forward slashes on POSIX and the
//   system's own form on Windows.
// - Calls never throw. Failures come back as documented per call.
// - Nothing here is locked; the callers' threading rules apply.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/platform/platform_time.h"

// One directory entry or one file's stamps. Times are milliseconds since 1970-01-01 UTC;
// -1 when the system cannot tell (for example a creation time on some POSIX file systems).
struct PlatformFileInfo {
  std::string name;  // name only, no folder
  bool isDirectory = false;
  int64_t size = 0;
  int64_t creationMs = -1;
  int64_t lastWriteMs = -1;
  int64_t lastAccessMs = -1;
};

// How a process is started (the prefixes of LaunchFile map onto these).
struct PlatformStart {
  bool wait = false;          // wait for the end and report the exit code
  int show = 1;               // SW_ value: 1 normal, 2 minimised, 7 minimised without focus
  bool useShowWindow = true;  // STARTF_USESHOWWINDOW
  bool fullScreen = false;    // STARTF_RUNFULLSCREEN
  bool shareConsole = false;  // false: detached from any console
};

// Registry roots the system uses.
enum class RegRoot { LocalMachine, CurrentUser };

// Message-box flags we use (same values as Windows).
enum : unsigned {
  kMbOk = 0x0,
  kMbIconError = 0x10,
  kMbIconWarning = 0x30,
  kMbIconInformation = 0x40,
};

class Platform {
 public:
  virtual ~Platform() = default;

  // The backend of this build, or the innermost ScopedPlatform override.
  static Platform& Default();

  // --- paths --------------------------------------------------------------------------
  // Full path of the process's main program. POSIX: /proc/self/exe, or, when XMT_HOST_DIR
  // is set, that folder with the program's file name.
  virtual std::string MainProgramPath() = 0;
  // Full path of the module (DLL / .so / program) this code is linked into.
  virtual std::string ModulePath() = 0;
  // A host path turned into a path this system can open. Windows: unchanged. POSIX: a
  // drive-letter path maps below $XMT_ROOT (default $HOME/.xmt) as $XMT_ROOT/C/...;
  // backslashes become slashes; everything else is used as it is (never case-folded).
  virtual std::string NativePath(const char* hostPath) = 0;
  // True where file names compare without regard to case (Windows).
  virtual bool PathsIgnoreCase() = 0;

  // --- settings (profile strings with Windows semantics) ------------------------------
  // GetPrivateProfileStringA: copies the value (or def) into out (at most size - 1
  // characters, always terminated when size > 0); result the number of characters copied.
  // A null key (or section) lists the section's keys (or the file's sections) instead, each
  // ending with a zero and the list with one more. A bare file name means the Windows
  // folder (POSIX: $XMT_ROOT/C/Windows).
  virtual int ReadProfileString(const char* section, const char* key, const char* def, char* out,
                                int size, const char* file) = 0;
  // WritePrivateProfileStringA: creates file, section and key as needed; a null value
  // deletes the key. Result true on success.
  virtual bool WriteProfileString(const char* section, const char* key, const char* value,
                                  const char* file) = 0;

  // --- registry ----------------------------------------------------------------------
  // Result codes are Windows error codes: 0 success, 2 not found, others failures.
  // wow64_32 asks for the 32-bit view (KEY_WOW64_32KEY). create uses RegCreateKeyExA with
  // the class "Application Global Data" and full access; otherwise the key is opened for
  // reading. POSIX keeps the keys in $XMT_ROOT/registry.ini and has one view only
  // (wow64_32 changes nothing there).
  virtual long RegOpen(RegRoot root, const char* keyPath, bool create, bool wow64_32,
                       void** key) = 0;
  virtual long RegQueryString(void* key, const char* valueName, std::string* out) = 0;
  virtual long RegQueryDword(void* key, const char* valueName, uint32_t* out) = 0;
  virtual long RegSetString(void* key, const char* valueName, const char* value) = 0;
  virtual void RegClose(void* key) = 0;

  // --- files -------------------------------------------------------------------------
  // fopen of a host path (mode as the C runtime takes it; a "c" commit flag is honoured
  // where the runtime knows it and ignored elsewhere). Null on failure, errno set.
  virtual FILE* OpenFile(const char* path, const char* mode) = 0;
  // Writes the bytes with one low-level write on the stream's descriptor (nothing waits in
  // the stream's buffer).
  virtual void WriteRaw(FILE* f, const void* data, size_t n) = 0;
  // Flush the stream and force its data to disk.
  virtual void CommitFile(FILE* f) = 0;
  // Stamps and size of one path. Result 0, or -1 when it cannot be examined.
  virtual int FileStat(const char* path, PlatformFileInfo* out) = 0;
  // access(): 0 when the path is accessible in mode (0 exists, 2 write, 4 read), else -1.
  virtual int FileAccess(const char* path, int mode) = 0;
  // mkdir of one folder: 0 created, 1 already exists, -1 other failure.
  virtual int MakeDir(const char* path) = 0;
  virtual int RemoveFile(const char* path) = 0;  // 0 or -1
  // Renames a file within one volume, replacing a file of the new name in one step
  // (MoveFileEx with MOVEFILE_REPLACE_EXISTING / rename). Fails, leaving both files as they
  // were, when the target cannot be replaced (read-only, or a library the system has
  // loaded on Windows). Result 0, or -1 (errno / LastError set).
  virtual int RenameFile(const char* from, const char* to) = 0;
  // Folder search: mask is "dir/*" or "dir/<wildcard>" (wildcards * and ? in the last part
  // only, compared without regard to case). Lists "." and ".." when the system does. Result
  // the number of entries (0 when nothing matches), or -1 when the folder cannot be
  // searched. POSIX gives the entries sorted by name without regard to case.
  virtual int FindFiles(const char* mask, std::vector<PlatformFileInfo>* out) = 0;
  // The process's current folder (the system's own form); empty on failure, LastError set.
  virtual std::string CurrentDir() = 0;
  // Makes a host path the process's current folder. Result 0, or -1 (LastError set).
  virtual int SetCurrentDir(const char* path) = 0;

  // --- processes ----------------------------------------------------------------------
  // Starts a command line. "cmd /C <rest>" runs <rest> through the system's command
  // interpreter (/bin/sh -c on POSIX). With opts.wait the exit code is polled every 100 ms
  // while it reads as still active and stored in *exitCode. Result 0, or the system error
  // code of the failed start (2 when the program cannot be found). Without
  // opts.shareConsole the program has no console (POSIX: its standard streams are the null
  // device).
  virtual long StartProcess(const char* commandLine, const PlatformStart& opts,
                            unsigned long* exitCode) = 0;
  virtual unsigned long LastError() = 0;                      // GetLastError / errno
  // FormatMessage / strerror, without a trailing line break.
  virtual std::string ErrorText(unsigned long code) = 0;
  virtual unsigned long CurrentProcessId() = 0;

  // --- time --------------------------------------------------------------------------
  virtual PlatformTime LocalNow() = 0;
  virtual PlatformTime UtcNow() = 0;
  virtual int64_t UnixNow() = 0;  // the runtime's time(): seconds since 1970
  virtual bool TimeZone(PlatformTimeZone* out) = 0;
  // Universal time -> local time with the system's current rules (FileTimeToLocalFileTime).
  virtual bool UtcToLocal(const PlatformTime& utc, PlatformTime* local) = 0;
  // The runtime's localtime() and mktime() (daylight saving applied per date).
  virtual bool UnixToLocal(int64_t t, PlatformTime* local) = 0;
  virtual int64_t LocalToUnix(const PlatformTime& local) = 0;  // -1 when out of range
  // SetLocalTime. Result 0, or the system error code.
  virtual long SetLocalClock(const PlatformTime& local) = 0;
  virtual void SleepMs(int ms) = 0;

  // --- threads of a library that is being unloaded --------------------------------------
  // True while the process is ending. On Windows the system has then stopped every other
  // thread already and is detaching the libraries: there is nothing left to wait for, and
  // waiting or calling a driver could only hold the exit up. False on POSIX.
  virtual bool ProcessEnding() = 0;
  // Ends the calling thread without the thread-detach calls of the loaded libraries
  // (Windows), so that the thread unloading a library can wait for it while it holds the
  // loader lock, which a thread's normal end needs. Only for a thread that holds no lock
  // and owns nothing more. POSIX: returns at once; the thread then ends by returning, which
  // needs no lock of the loader.
  virtual void EndThreadForUnload() = 0;
  // Keeps the library that holds this code loaded until the process ends, whatever unloads
  // it (Windows: the module is pinned), so that a thread it started never outlives its code.
  // POSIX: nothing.
  virtual void KeepLibraryLoaded() = 0;

  // --- user --------------------------------------------------------------------------
  // MessageBoxA without owner. POSIX: written to stderr and answered with IDOK (1).
  virtual int MessageBox(const char* text, const char* caption, unsigned flags) = 0;
  // The user's short date format in Windows notation ("M/d/yyyy", "dd.MM.yyyy"): the value
  // "sShortDate" under "Control Panel\\International" of the current user, read through the
  // registry calls below on every backend; empty when there is none. Nothing else (no
  // locale, no environment) stands in for it, so a text reads as the same date everywhere.
  virtual std::string ShortDateFormat();
  // String resource of the main program; empty when none (always on POSIX).
  virtual std::string LoadStringResource(unsigned id) = 0;
  // FormatMessageA with FORMAT_MESSAGE_FROM_STRING: %1..%99 inserts (default !s!) taken from
  // args; %n gives CR LF, %0 ends the text, %% and other escapes give the character. No
  // floating-point conversions (as on Windows). Result false on failure.
  virtual bool FormatInserts(const char* fmt, va_list args, std::string* out) = 0;

  // --- other programs' windows ----------------------------------------------------------
  // First top-level window whose class equals className (without regard to case) and whose
  // title, upper-cased, begins with titlePrefix (compared over titlePrefix's length).
  // Null when none (always on POSIX).
  virtual void* FindTopWindow(const char* className, const char* titlePrefix) = 0;
  virtual bool SetChildText(void* window, int controlId, const char* text) = 0;
  virtual bool SendCommand(void* window, int commandId) = 0;
  // Rows of a list view of another process (LoadFromLC). Result 0 and the rows, or
  // -1 not a SysListView32, -2 no process id for the window, -3 the process cannot be
  // opened (*pid tells which). POSIX: always -1.
  virtual int ReadListView(void* window, unsigned long presetPid, int columns, int selectRow,
                           std::vector<std::string>* rows, unsigned long* pid) = 0;

  // --- MIDI output ---------------------------------------------------------------------
  virtual int MidiDeviceCount() = 0;  // 0 on POSIX
  // Opens device with a callback that is called when a sent buffer is done. Result 0 or
  // an MMRESULT error code.
  virtual long MidiOpen(int device, void (*done)(void* context), void* context,
                        void** handle) = 0;
  virtual long MidiShortMessage(void* handle, uint32_t message) = 0;
  // Hands the driver a buffer of n bytes (a long message such as system exclusive): the
  // backend copies and prepares it and sends it. *buffer receives the backend's token for
  // it, to be given back with MidiReleaseBuffer once the done callback has come (or at
  // close). Result 0, or an MMRESULT error code (then nothing is outstanding).
  virtual long MidiLongMessage(void* handle, const void* data, size_t n, void** buffer) = 0;
  // Unprepares and frees a buffer of MidiLongMessage. Result 0; 65 (MIDIERR_STILLPLAYING)
  // while the driver still holds it (the token stays valid); other MMRESULT codes.
  virtual long MidiReleaseBuffer(void* handle, void* buffer) = 0;
  // Stops output and makes the driver hand back every buffer it holds (midiOutReset).
  virtual long MidiReset(void* handle) = 0;
  // Closes the device; no done callback comes after it.
  virtual long MidiClose(void* handle) = 0;

  // --- COM -----------------------------------------------------------------------------
  virtual long ComInitialize() = 0;  // S_OK / S_FALSE are success (>= 0)
  // Speech through the system's speech service (created through COM on first use; the
  // calling thread has initialised COM). mode 0 speaks text and returns at once, 1 speaks it
  // and returns when it has been spoken, 2 stops speech in progress (text not read).
  // Result 0, or -1 when there is no speech service (always on POSIX).
  virtual int Speak(const char* text, int mode) = 0;
  // CoTaskMemAlloc / CoTaskMemRealloc / CoTaskMemFree (malloc family on POSIX).
  virtual void* TaskAlloc(size_t n) = 0;
  virtual void* TaskRealloc(void* p, size_t n) = 0;
  virtual void TaskFree(void* p) = 0;

  // --- web ------------------------------------------------------------------------------
  // Fetches url bypassing caches, with the given agent name, reading at most limit bytes.
  // Result 0, -1 the internet session could not be opened, -2 the address could not be
  // opened, -3 reading failed.
  virtual int FetchPage(const char* url, const char* agent, size_t limit, std::string* body) = 0;
};

// Replaces Platform::Default() while it lives (nestable, not thread-safe: tests only).
class ScopedPlatform {
 public:
  explicit ScopedPlatform(Platform& replacement);
  ~ScopedPlatform();
  ScopedPlatform(const ScopedPlatform&) = delete;
  ScopedPlatform& operator=(const ScopedPlatform&) = delete;

 private:
  Platform* previous_;
};

// The backend object of this build (platform_posix.cpp or platform_win32.cpp).
Platform& NativePlatform();
