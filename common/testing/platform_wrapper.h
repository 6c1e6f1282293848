// A Platform that forwards every call to another one: the base for a test that overrides a
// few calls (to count them, to fail them) and leaves everything else to the platform it
// wraps, real clock and real files included. FakePlatform (fake_platform.h) is the other
// choice, for tests that need a fake clock, recorded dialogs and canned answers.
//
// Usage:
//   class CountingOpens : public PlatformWrapper {
//    public:
//     FILE* OpenFile(const char* path, const char* mode) override {
//       ++opens;
//       return PlatformWrapper::OpenFile(path, mode);
//     }
//     int opens = 0;
//   };
//   CountingOpens counting;            // wraps Platform::Default() as it is now
//   ScopedPlatform scope(counting);     // and stands in for it in this scope
//
// Contract: the wrapped platform must outlive the wrapper. Nothing is changed on the way.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/platform/platform.h"

class PlatformWrapper : public Platform {
 public:
  explicit PlatformWrapper(Platform& target = Platform::Default()) : target_(target) {}

  Platform& target() const { return target_; }

  std::string MainProgramPath() override { return target_.MainProgramPath(); }
  std::string ModulePath() override { return target_.ModulePath(); }
  std::string NativePath(const char* hostPath) override { return target_.NativePath(hostPath); }
  bool PathsIgnoreCase() override { return target_.PathsIgnoreCase(); }
  int ReadProfileString(const char* section, const char* key, const char* def, char* out, int size,
                        const char* file) override {
    return target_.ReadProfileString(section, key, def, out, size, file);
  }
  bool WriteProfileString(const char* section, const char* key, const char* value,
                          const char* file) override {
    return target_.WriteProfileString(section, key, value, file);
  }
  long RegOpen(RegRoot root, const char* keyPath, bool create, bool wow64_32, void** key) override {
    return target_.RegOpen(root, keyPath, create, wow64_32, key);
  }
  long RegQueryString(void* key, const char* valueName, std::string* out) override {
    return target_.RegQueryString(key, valueName, out);
  }
  long RegQueryDword(void* key, const char* valueName, uint32_t* out) override {
    return target_.RegQueryDword(key, valueName, out);
  }
  long RegSetString(void* key, const char* valueName, const char* value) override {
    return target_.RegSetString(key, valueName, value);
  }
  void RegClose(void* key) override { target_.RegClose(key); }
  FILE* OpenFile(const char* path, const char* mode) override {
    return target_.OpenFile(path, mode);
  }
  void WriteRaw(FILE* f, const void* data, size_t n) override { target_.WriteRaw(f, data, n); }
  void CommitFile(FILE* f) override { target_.CommitFile(f); }
  int FileStat(const char* path, PlatformFileInfo* out) override {
    return target_.FileStat(path, out);
  }
  int FileAccess(const char* path, int mode) override { return target_.FileAccess(path, mode); }
  int MakeDir(const char* path) override { return target_.MakeDir(path); }
  std::string CurrentDir() override { return target_.CurrentDir(); }
  int SetCurrentDir(const char* path) override { return target_.SetCurrentDir(path); }
  int RemoveFile(const char* path) override { return target_.RemoveFile(path); }
  int RenameFile(const char* from, const char* to) override {
    return target_.RenameFile(from, to);
  }
  int FindFiles(const char* mask, std::vector<PlatformFileInfo>* out) override {
    return target_.FindFiles(mask, out);
  }
  long StartProcess(const char* commandLine, const PlatformStart& opts,
                    unsigned long* exitCode) override {
    return target_.StartProcess(commandLine, opts, exitCode);
  }
  unsigned long LastError() override { return target_.LastError(); }
  std::string ErrorText(unsigned long code) override { return target_.ErrorText(code); }
  unsigned long CurrentProcessId() override { return target_.CurrentProcessId(); }
  PlatformTime LocalNow() override { return target_.LocalNow(); }
  PlatformTime UtcNow() override { return target_.UtcNow(); }
  int64_t UnixNow() override { return target_.UnixNow(); }
  bool TimeZone(PlatformTimeZone* out) override { return target_.TimeZone(out); }
  bool UtcToLocal(const PlatformTime& utc, PlatformTime* local) override {
    return target_.UtcToLocal(utc, local);
  }
  bool UnixToLocal(int64_t t, PlatformTime* local) override {
    return target_.UnixToLocal(t, local);
  }
  int64_t LocalToUnix(const PlatformTime& local) override { return target_.LocalToUnix(local); }
  long SetLocalClock(const PlatformTime& local) override { return target_.SetLocalClock(local); }
  void SleepMs(int ms) override { target_.SleepMs(ms); }
  bool ProcessEnding() override { return target_.ProcessEnding(); }
  void EndThreadForUnload() override { target_.EndThreadForUnload(); }
  void KeepLibraryLoaded() override { target_.KeepLibraryLoaded(); }
  int MessageBox(const char* text, const char* caption, unsigned flags) override {
    return target_.MessageBox(text, caption, flags);
  }
  std::string ShortDateFormat() override { return target_.ShortDateFormat(); }
  std::string LoadStringResource(unsigned id) override { return target_.LoadStringResource(id); }
  bool FormatInserts(const char* fmt, va_list args, std::string* out) override {
    return target_.FormatInserts(fmt, args, out);
  }
  void* FindTopWindow(const char* className, const char* titlePrefix) override {
    return target_.FindTopWindow(className, titlePrefix);
  }
  bool SetChildText(void* window, int controlId, const char* text) override {
    return target_.SetChildText(window, controlId, text);
  }
  bool SendCommand(void* window, int commandId) override {
    return target_.SendCommand(window, commandId);
  }
  int ReadListView(void* window, unsigned long presetPid, int columns, int selectRow,
                   std::vector<std::string>* rows, unsigned long* pid) override {
    return target_.ReadListView(window, presetPid, columns, selectRow, rows, pid);
  }
  int MidiDeviceCount() override { return target_.MidiDeviceCount(); }
  long MidiOpen(int device, void (*done)(void* context), void* context, void** handle) override {
    return target_.MidiOpen(device, done, context, handle);
  }
  long MidiShortMessage(void* handle, uint32_t message) override {
    return target_.MidiShortMessage(handle, message);
  }
  long MidiLongMessage(void* handle, const void* data, size_t n, void** buffer) override {
    return target_.MidiLongMessage(handle, data, n, buffer);
  }
  long MidiReleaseBuffer(void* handle, void* buffer) override {
    return target_.MidiReleaseBuffer(handle, buffer);
  }
  long MidiReset(void* handle) override { return target_.MidiReset(handle); }
  long MidiClose(void* handle) override { return target_.MidiClose(handle); }
  long ComInitialize() override { return target_.ComInitialize(); }
  int Speak(const char* text, int mode) override { return target_.Speak(text, mode); }
  void* TaskAlloc(size_t n) override { return target_.TaskAlloc(n); }
  void* TaskRealloc(void* p, size_t n) override { return target_.TaskRealloc(p, n); }
  void TaskFree(void* p) override { target_.TaskFree(p); }
  int FetchPage(const char* url, const char* agent, size_t limit, std::string* body) override {
    return target_.FetchPage(url, agent, limit, body);
  }

 private:
  Platform& target_;
};
