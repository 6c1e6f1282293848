// The POSIX backend's class, shared by the files that implement it.
//
// The backend is split by subject: platform_posix.cpp (paths, files, time, the small
// calls), platform_posix_profile.cpp (ini files and the registry stand-in),
// platform_posix_process.cpp (starting programs, web pages) and platform_posix_text.cpp
// (message boxes, message inserts). Only those files and the backend's own
// test include this header.
#pragma once

#include "common/platform/platform.h"

class PosixPlatform final : public Platform {
 public:
  std::string MainProgramPath() override;
  std::string ModulePath() override;
  std::string NativePath(const char* hostPath) override;
  bool PathsIgnoreCase() override { return false; }

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
  bool ProcessEnding() override { return false; }
  void EndThreadForUnload() override {}
  void KeepLibraryLoaded() override {}

  int MessageBox(const char* text, const char* caption, unsigned flags) override;
  std::string LoadStringResource(unsigned) override { return std::string(); }
  bool FormatInserts(const char* fmt, va_list args, std::string* out) override;

  void* FindTopWindow(const char*, const char*) override { return nullptr; }
  bool SetChildText(void*, int, const char*) override { return false; }
  bool SendCommand(void*, int) override { return false; }
  int ReadListView(void*, unsigned long, int, int, std::vector<std::string>*,
                   unsigned long* pid) override;

  int MidiDeviceCount() override { return 0; }
  long MidiOpen(int device, void (*done)(void* context), void* context,
                void** handle) override;
  long MidiShortMessage(void* handle, uint32_t message) override;
  long MidiLongMessage(void* handle, const void* data, size_t n, void** buffer) override;
  long MidiReleaseBuffer(void* handle, void* buffer) override;
  long MidiReset(void* handle) override;
  long MidiClose(void* handle) override;

  long ComInitialize() override { return 0; }
  int Speak(const char*, int) override { return -1; }
  void* TaskAlloc(size_t n) override;
  void* TaskRealloc(void* p, size_t n) override;
  void TaskFree(void* p) override;

  int FetchPage(const char* url, const char* agent, size_t limit, std::string* body) override;
};

// Helpers shared by the POSIX files.
namespace posix_detail {
// $XMT_ROOT, or $HOME/.xmt, without a trailing slash.
std::string RootDir();
// Creates the folder and every missing parent (mkdir -p); existing ones are fine.
void EnsureFolders(const std::string& path);
// Case-insensitive match of * and ? wildcards.
bool WildcardMatch(const char* pattern, const char* name);
}  // namespace posix_detail
