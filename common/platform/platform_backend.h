// The operating-system backend's class: every call of the Platform interface, declared once.
// Each build links one backend that defines them all (CMake picks it): the POSIX files
// platform_posix*.cpp (see platform_posix.h) or the Windows files platform_win32*.cpp (see
// platform_win32.h). Only those files and the backends' own tests include this header.
#pragma once

#include "common/platform/platform.h"

class PlatformBackend final : public Platform {
 public:
  std::string MainProgramPath() override;
  std::string ModulePath() override;
  std::string NativePath(const char* hostPath) override;
  bool PathsIgnoreCase() override;

  int ReadProfileString(const char* section, const char* key, const char* def, char* out,
                        int size, const char* file) override;
  bool WriteProfileString(const char* section, const char* key, const char* value,
                          const char* file) override;

  long RegOpen(RegRoot root, const char* keyPath, bool create, bool wow64_32,
               void** key) override;
  long RegQueryString(void* key, const char* valueName, std::string* out) override;
  long RegQueryDword(void* key, const char* valueName, uint32_t* out) override;
  long RegSetString(void* key, const char* valueName, const char* value) override;
  void RegClose(void* key) override;

  FILE* OpenFile(const char* path, const char* mode) override;
  void WriteRaw(FILE* f, const void* data, size_t n) override;
  void CommitFile(FILE* f) override;
  int FileStat(const char* path, PlatformFileInfo* out) override;
  int FileAccess(const char* path, int mode) override;
  int MakeDir(const char* path) override;
  int RemoveFile(const char* path) override;
  int RenameFile(const char* from, const char* to) override;
  std::string CurrentDir() override;
  int SetCurrentDir(const char* path) override;
  int FindFiles(const char* mask, std::vector<PlatformFileInfo>* out) override;

  long StartProcess(const char* commandLine, const PlatformStart& opts,
                    unsigned long* exitCode) override;
  unsigned long LastError() override;
  std::string ErrorText(unsigned long code) override;
  unsigned long CurrentProcessId() override;

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
  std::string LoadStringResource(unsigned id) override;
  bool FormatInserts(const char* fmt, va_list args, std::string* out) override;

  void* FindTopWindow(const char* className, const char* titlePrefix) override;
  bool SetChildText(void* window, int controlId, const char* text) override;
  bool SendCommand(void* window, int commandId) override;
  int ReadListView(void* window, unsigned long presetPid, int columns, int selectRow,
                   std::vector<std::string>* rows, unsigned long* pid) override;

  int MidiDeviceCount() override;
  long MidiOpen(int device, void (*done)(void* context), void* context,
                void** handle) override;
  long MidiShortMessage(void* handle, uint32_t message) override;
  long MidiLongMessage(void* handle, const void* data, size_t n, void** buffer) override;
  long MidiReleaseBuffer(void* handle, void* buffer) override;
  long MidiReset(void* handle) override;
  long MidiClose(void* handle) override;

  bool ProcessEnding() override;
  void EndThreadForUnload() override;
  void KeepLibraryLoaded() override;

  long ComInitialize() override;
  int Speak(const char* text, int mode) override;
  void* TaskAlloc(size_t n) override;
  void* TaskRealloc(void* p, size_t n) override;
  void TaskFree(void* p) override;

  int FetchPage(const char* url, const char* agent, size_t limit, std::string* body) override;
};
