// A Platform for tests of the higher layers.
//
// FakePlatform passes every call to another Platform (the native one unless told
// otherwise) except the ones a test must control or must not let reach the system:
// - the clock: local time is a settable value; universal time, time(), the time-zone
//   state and the conversions follow from it and a fixed bias; every reading can advance
//   the clock by a step;
// - message boxes, started processes, MIDI output, waits, COM initialisations, speech and
//   clock changes are recorded, and nothing is shown, started, played, spoken or changed;
// - web pages come from a table of canned pages (or, when asked, from the real backend).
// Install it with ScopedPlatform. The records are public members to read and clear.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "common/platform/platform.h"

class FakePlatform : public Platform {
 public:
  explicit FakePlatform(Platform& forward = NativePlatform());
  ~FakePlatform() override;  // frees MIDI buffers never released

  // --- clock controls ----------------------------------------------------------------------
  // The local time of the next reading (starts at 2025-03-14 09:30:00.000, bias 0).
  void SetLocalTime(const PlatformTime& local);
  // UTC = local + bias minutes; with daylight (state 2) the daylight bias is added too.
  void SetTimeZone(const PlatformTimeZone& zone) { zone_ = zone; }
  // Every LocalNow/UtcNow/UnixNow reading advances the clock by this much afterwards.
  void SetStepMs(int64_t ms) { stepMs_ = ms; }
  // Moves the clock without a reading.
  void AdvanceMs(int64_t ms) { localMs_ += ms; }
  PlatformTime PeekLocal() const;  // the current local time, without advancing

  // --- records and canned answers -------------------------------------------------------------
  struct MessageBoxCall {
    std::string text;
    std::string caption;
    unsigned flags = 0;
  };
  std::vector<MessageBoxCall> messageBoxes;
  int messageBoxAnswer = 1;  // IDOK

  struct ProcessCall {
    std::string commandLine;
    PlatformStart opts;
  };
  std::vector<ProcessCall> processes;
  long processStartError = 0;       // non-zero: every start fails with this code
  unsigned long processExitCode = 0;  // reported to waiting callers

  std::vector<PlatformTime> clockChanges;  // SetLocalClock calls
  long clockSetResult = 0;                 // 0: the fake clock takes the new time

  int midiDevices = 0;
  std::vector<uint32_t> MidiMessages();  // copy, safe while a worker thread sends
  int midiOpenCount = 0;
  // Marks the oldest buffer still held by the driver done (if any) and calls the done
  // callback of the open device, as the driver does when it has sent a buffer.
  void MidiDone();
  // Buffers of MidiLongMessage not yet released (thread-safe).
  int MidiBuffersOutstanding();

  bool diskFull = false;     // see OpenFile
  bool renameFails = false;  // every RenameFile fails, changing nothing

  std::vector<int> sleeps;  // SleepMs calls (the fake clock moves on by each)

  long comInitializeResult = 0;  // answer of every ComInitialize
  int comInitializeCalls = 0;
  struct SpeechCall {
    std::string text;
    int mode = 0;
  };
  std::vector<SpeechCall> speech;  // every Speak call
  bool speechService = false;      // Speak answers 0 when true, else -1

  std::map<std::string, std::string> pages;  // url -> body
  bool forwardUnknownPages = false;          // otherwise an unknown url gives -2
  std::vector<std::string> fetchedUrls;

  // --- Platform ------------------------------------------------------------------------------
  std::string MainProgramPath() override { return forward_.MainProgramPath(); }
  std::string ModulePath() override { return forward_.ModulePath(); }
  std::string NativePath(const char* hostPath) override { return forward_.NativePath(hostPath); }
  bool PathsIgnoreCase() override { return forward_.PathsIgnoreCase(); }

  int ReadProfileString(const char* section, const char* key, const char* def, char* out,
                        int size, const char* file) override {
    return forward_.ReadProfileString(section, key, def, out, size, file);
  }
  bool WriteProfileString(const char* section, const char* key, const char* value,
                          const char* file) override {
    return forward_.WriteProfileString(section, key, value, file);
  }

  long RegOpen(RegRoot root, const char* keyPath, bool create, bool wow64_32,
               void** key) override {
    return forward_.RegOpen(root, keyPath, create, wow64_32, key);
  }
  long RegQueryString(void* key, const char* valueName, std::string* out) override {
    return forward_.RegQueryString(key, valueName, out);
  }
  long RegQueryDword(void* key, const char* valueName, uint32_t* out) override {
    return forward_.RegQueryDword(key, valueName, out);
  }
  long RegSetString(void* key, const char* valueName, const char* value) override {
    return forward_.RegSetString(key, valueName, value);
  }
  void RegClose(void* key) override { forward_.RegClose(key); }

  // With diskFull, a file opened for writing takes no data: natively its writes fail as on
  // a full disk (the stream writes to /dev/full); elsewhere the open itself fails (ENOSPC).
  FILE* OpenFile(const char* path, const char* mode) override;
  void WriteRaw(FILE* f, const void* data, size_t n) override { forward_.WriteRaw(f, data, n); }
  void CommitFile(FILE* f) override { forward_.CommitFile(f); }
  int FileStat(const char* path, PlatformFileInfo* out) override {
    return forward_.FileStat(path, out);
  }
  int FileAccess(const char* path, int mode) override { return forward_.FileAccess(path, mode); }
  int MakeDir(const char* path) override { return forward_.MakeDir(path); }
  int RemoveFile(const char* path) override { return forward_.RemoveFile(path); }
  int RenameFile(const char* from, const char* to) override {
    if (renameFails) return -1;
    return forward_.RenameFile(from, to);
  }
  int FindFiles(const char* mask, std::vector<PlatformFileInfo>* out) override {
    return forward_.FindFiles(mask, out);
  }
  std::string CurrentDir() override { return forward_.CurrentDir(); }
  int SetCurrentDir(const char* path) override { return forward_.SetCurrentDir(path); }

  long StartProcess(const char* commandLine, const PlatformStart& opts,
                    unsigned long* exitCode) override;
  unsigned long LastError() override { return forward_.LastError(); }
  std::string ErrorText(unsigned long code) override { return forward_.ErrorText(code); }
  unsigned long CurrentProcessId() override { return forward_.CurrentProcessId(); }

  PlatformTime LocalNow() override;
  PlatformTime UtcNow() override;
  int64_t UnixNow() override;
  bool TimeZone(PlatformTimeZone* out) override;
  bool UtcToLocal(const PlatformTime& utc, PlatformTime* local) override;
  bool UnixToLocal(int64_t t, PlatformTime* local) override;
  int64_t LocalToUnix(const PlatformTime& local) override;
  long SetLocalClock(const PlatformTime& local) override;
  void SleepMs(int ms) override;

  int MessageBox(const char* text, const char* caption, unsigned flags) override;
  std::string ShortDateFormat() override { return forward_.ShortDateFormat(); }
  std::string LoadStringResource(unsigned id) override { return forward_.LoadStringResource(id); }
  bool FormatInserts(const char* fmt, va_list args, std::string* out) override {
    return forward_.FormatInserts(fmt, args, out);
  }

  void* FindTopWindow(const char* className, const char* titlePrefix) override {
    return forward_.FindTopWindow(className, titlePrefix);
  }
  bool SetChildText(void* window, int controlId, const char* text) override {
    return forward_.SetChildText(window, controlId, text);
  }
  bool SendCommand(void* window, int commandId) override {
    return forward_.SendCommand(window, commandId);
  }
  int ReadListView(void* window, unsigned long presetPid, int columns, int selectRow,
                   std::vector<std::string>* rows, unsigned long* pid) override {
    return forward_.ReadListView(window, presetPid, columns, selectRow, rows, pid);
  }

  int MidiDeviceCount() override { return midiDevices; }
  long MidiOpen(int device, void (*done)(void* context), void* context, void** handle) override;
  long MidiShortMessage(void* handle, uint32_t message) override;
  long MidiLongMessage(void* handle, const void* data, size_t n, void** buffer) override;
  long MidiReleaseBuffer(void* handle, void* buffer) override;
  long MidiReset(void* handle) override;
  long MidiClose(void* handle) override;

  long ComInitialize() override {
    ++comInitializeCalls;
    return comInitializeResult;
  }
  int Speak(const char* text, int mode) override;
  void* TaskAlloc(size_t n) override { return forward_.TaskAlloc(n); }
  void* TaskRealloc(void* p, size_t n) override { return forward_.TaskRealloc(p, n); }
  void TaskFree(void* p) override { forward_.TaskFree(p); }

  int FetchPage(const char* url, const char* agent, size_t limit, std::string* body) override;

 private:
  int CurrentBias() const;  // minutes, daylight included

  Platform& forward_;
  int64_t localMs_ = 0;  // local time as milliseconds since 1970-01-01 00:00 local
  int64_t stepMs_ = 0;
  PlatformTimeZone zone_;
  std::mutex midiLock_;
  std::vector<uint32_t> midiMessages_;
  void (*midiDone_)(void*) = nullptr;
  void* midiContext_ = nullptr;
  struct MidiBuffer {
    std::vector<unsigned char> bytes;
    bool done = false;
  };
  std::vector<MidiBuffer*> midiBuffers_;  // oldest first
  void CallMidiDone();
};
