// A Platform for tests of the higher layers.
//
// FakePlatform passes every call to another Platform (the native one unless told
// otherwise; PlatformWrapper does the passing) except the ones a test must control or must
// not let reach the system:
// - the clock: local time is a settable value; universal time, time(), the time-zone
//   state and the conversions follow from it and a fixed bias; every reading can advance
//   the clock by a step;
// - message boxes, started processes, MIDI output, waits, COM initialisations, speech and
//   clock changes are recorded, and nothing is shown, started, played, spoken or changed;
// - web pages come from a table of canned pages (or, when asked, from the real backend).
// Install it with ScopedPlatform. The records are public members to read and clear.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "common/platform/platform.h"
#include "common/testing/platform_wrapper.h"

class FakePlatform : public PlatformWrapper {
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

  std::atomic<int> threadsEndedForUnload{0};  // EndThreadForUnload calls (then forwarded)
  int librariesKeptLoaded = 0;                 // KeepLibraryLoaded calls (not forwarded)

  bool diskFull = false;     // see OpenFile
  bool renameFails = false;  // every RenameFile fails, changing nothing

  // --- Platform: what the fake does itself (the rest goes to the wrapped platform) -------
  long StartProcess(const char* commandLine, const PlatformStart& opts,
                    unsigned long* exitCode) override;

  // With diskFull, a file opened for writing takes no data: the open succeeds and makes
  // the file, but every write to the stream fails, as on a full disk.
  FILE* OpenFile(const char* path, const char* mode) override;
  // With renameFails the rename is refused after a rename of the system that fails, so
  // that the last error describes a failed call, as after a real refusal.
  int RenameFile(const char* from, const char* to) override {
    if (!renameFails) return PlatformWrapper::RenameFile(from, to);
    PlatformWrapper::RenameFile("", "");
    return -1;
  }

  PlatformTime LocalNow() override;
  PlatformTime UtcNow() override;
  int64_t UnixNow() override;
  bool TimeZone(PlatformTimeZone* out) override;
  bool UtcToLocal(const PlatformTime& utc, PlatformTime* local) override;
  bool UnixToLocal(int64_t t, PlatformTime* local) override;
  int64_t LocalToUnix(const PlatformTime& local) override;
  long SetLocalClock(const PlatformTime& local) override;
  void SleepMs(int ms) override;
  void KeepLibraryLoaded() override { ++librariesKeptLoaded; }
  void EndThreadForUnload() override {
    ++threadsEndedForUnload;
    PlatformWrapper::EndThreadForUnload();
  }

  int MessageBox(const char* text, const char* caption, unsigned flags) override;

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

  int FetchPage(const char* url, const char* agent, size_t limit, std::string* body) override;

 private:
  int CurrentBias() const;  // minutes, daylight included

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
