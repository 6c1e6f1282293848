// Windows backend: paths, files and folder searches, clocks and COM, each a thin layer over
// the Windows call of the same purpose (MIDI output and speech: platform_win32_sound.cpp).
#include "common/platform/scoped_release.h"
#include "common/platform/platform_win32.h"
#include "common/platform/platform_tm.h"

#include "common/platform/win32_api.h"
#include <objbase.h>

#include <direct.h>
#include <io.h>
#include <sys/stat.h>
#include <time.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace {

// FILETIME (100 ns since 1601) as milliseconds since 1970; -1 for a zero stamp.
int64_t FileTimeMs(const FILETIME& ft) {
  uint64_t v = ((uint64_t)ft.dwHighDateTime << 32) | ft.dwLowDateTime;
  if (v == 0) return -1;
  return (int64_t)((v - 116444736000000000ULL) / 10000ULL);
}

PlatformTime FromSystemTime(const SYSTEMTIME& st) {
  PlatformTime t;
  t.year = st.wYear;
  t.month = st.wMonth;
  t.day = st.wDay;
  t.hour = st.wHour;
  t.minute = st.wMinute;
  t.second = st.wSecond;
  t.millisecond = st.wMilliseconds;
  t.weekday = st.wDayOfWeek;
  return t;
}

SYSTEMTIME ToSystemTime(const PlatformTime& t) {
  SYSTEMTIME st {};
  st.wYear = (WORD)t.year;
  st.wMonth = (WORD)t.month;
  st.wDay = (WORD)t.day;
  st.wHour = (WORD)t.hour;
  st.wMinute = (WORD)t.minute;
  st.wSecond = (WORD)t.second;
  st.wMilliseconds = (WORD)t.millisecond;
  st.wDayOfWeek = (WORD)t.weekday;
  return st;
}

std::string ModuleFileName(HMODULE module) {
  char buf[MAX_PATH * 4];
  DWORD n = GetModuleFileNameA(module, buf, sizeof buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

}  // namespace

// --- paths ---------------------------------------------------------------------------------

std::string PlatformBackend::MainProgramPath() { return ModuleFileName(nullptr); }

// Host paths are native paths here, compared without case.
std::string PlatformBackend::NativePath(const char* hostPath) { return hostPath ? hostPath : ""; }
bool PlatformBackend::PathsIgnoreCase() { return true; }

std::string PlatformBackend::ModulePath() {
  static const int anchor = 0;
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(&anchor), &module))
    module = nullptr;
  return ModuleFileName(module);
}

// --- files ---------------------------------------------------------------------------------

FILE* PlatformBackend::OpenFile(const char* path, const char* mode) {
  if (!path || !mode) {
    errno = EINVAL;
    return nullptr;
  }
  return fopen(path, mode);
}

void PlatformBackend::WriteRaw(FILE* f, const void* data, size_t n) {
  if (!f || !data || n == 0) return;
  int written = _write(_fileno(f), data, (unsigned)n);
  (void)written;
}

void PlatformBackend::CommitFile(FILE* f) {
  if (!f) return;
  fflush(f);
  _commit(_fileno(f));
}

int PlatformBackend::FileStat(const char* path, PlatformFileInfo* out) {
  if (!path || !out) return -1;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return -1;
  PlatformFileInfo info;
  const char* name = path;
  for (const char* p = path; *p; ++p)
    if (*p == '/' || *p == '\\' || *p == ':') name = p + 1;
  info.name = name;
  info.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  info.size = ((int64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
  info.creationMs = FileTimeMs(data.ftCreationTime);
  info.lastWriteMs = FileTimeMs(data.ftLastWriteTime);
  info.lastAccessMs = FileTimeMs(data.ftLastAccessTime);
  *out = info;
  return 0;
}

int PlatformBackend::FileAccess(const char* path, int mode) {
  if (!path) return -1;
  return _access(path, mode & 6) == 0 ? 0 : -1;
}

int PlatformBackend::MakeDir(const char* path) {
  if (!path) return -1;
  if (_mkdir(path) == 0) return 0;
  return errno == EEXIST ? 1 : -1;
}

int PlatformBackend::RemoveFile(const char* path) {
  if (!path) return -1;
  return remove(path) == 0 ? 0 : -1;
}

int PlatformBackend::RenameFile(const char* from, const char* to) {
  if (!from || !to) return -1;
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 0 : -1;
}

std::string PlatformBackend::CurrentDir() {
  char dir[MAX_PATH + 1];
  DWORD n = GetCurrentDirectoryA(sizeof dir, dir);
  if (n == 0 || n >= sizeof dir) return std::string();
  return std::string(dir, n);
}

int PlatformBackend::SetCurrentDir(const char* path) {
  if (!path) return -1;
  return SetCurrentDirectoryA(path) ? 0 : -1;
}

int PlatformBackend::FindFiles(const char* mask, std::vector<PlatformFileInfo>* out) {
  if (!mask || !out) return -1;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(mask, &fd);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD e = GetLastError();
    // An existing folder with no match is an empty result, not a failure.
    return e == ERROR_FILE_NOT_FOUND || e == ERROR_NO_MORE_FILES ? 0 : -1;
  }
  ScopedRelease closeFind([h] { FindClose(h); });
  int count = 0;
  do {
    PlatformFileInfo info;
    info.name = fd.cFileName;
    info.isDirectory = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    info.size = ((int64_t)fd.nFileSizeHigh << 32) | fd.nFileSizeLow;
    info.creationMs = FileTimeMs(fd.ftCreationTime);
    info.lastWriteMs = FileTimeMs(fd.ftLastWriteTime);
    info.lastAccessMs = FileTimeMs(fd.ftLastAccessTime);
    out->push_back(std::move(info));
    ++count;
  } while (FindNextFileA(h, &fd));
  return count;
}

// --- errors and ids ------------------------------------------------------------------------

unsigned long PlatformBackend::LastError() { return GetLastError(); }

std::string PlatformBackend::ErrorText(unsigned long code) {
  char buf[1024];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           (DWORD)code, 0, buf, sizeof buf, nullptr);
  std::string text(buf, n);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return text;
}

unsigned long PlatformBackend::CurrentProcessId() { return GetCurrentProcessId(); }

// --- time ----------------------------------------------------------------------------------

PlatformTime PlatformBackend::LocalNow() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return FromSystemTime(st);
}

PlatformTime PlatformBackend::UtcNow() {
  SYSTEMTIME st;
  GetSystemTime(&st);
  return FromSystemTime(st);
}

int64_t PlatformBackend::UnixNow() { return (int64_t)_time64(nullptr); }

bool PlatformBackend::TimeZone(PlatformTimeZone* out) {
  if (!out) return false;
  TIME_ZONE_INFORMATION tzi;
  DWORD state = GetTimeZoneInformation(&tzi);
  if (state == TIME_ZONE_ID_INVALID) return false;
  out->bias = (int)tzi.Bias;
  out->standardBias = (int)tzi.StandardBias;
  out->daylightBias = (int)tzi.DaylightBias;
  out->state = (int)state;
  return true;
}

bool PlatformBackend::UtcToLocal(const PlatformTime& utc, PlatformTime* local) {
  if (!local) return false;
  SYSTEMTIME st = ToSystemTime(utc), lt;
  FILETIME ft, lft;
  if (!SystemTimeToFileTime(&st, &ft) || !FileTimeToLocalFileTime(&ft, &lft) ||
      !FileTimeToSystemTime(&lft, &lt))
    return false;
  *local = FromSystemTime(lt);
  return true;
}

bool PlatformBackend::UnixToLocal(int64_t t, PlatformTime* local) {
  if (!local) return false;
  __time64_t tt = (__time64_t)t;
  struct tm tm {};
  if (_localtime64_s(&tm, &tt) != 0) return false;
  *local = PlatformTimeFromTm(tm);
  return true;
}

int64_t PlatformBackend::LocalToUnix(const PlatformTime& local) {
  struct tm tm = TmFromPlatformTime(local);
  __time64_t t = _mktime64(&tm);
  return t < 0 ? -1 : (int64_t)t;
}

long PlatformBackend::SetLocalClock(const PlatformTime& local) {
  SYSTEMTIME st = ToSystemTime(local);
  return SetLocalTime(&st) ? 0 : (long)GetLastError();
}

void PlatformBackend::SleepMs(int ms) { Sleep(ms > 0 ? (DWORD)ms : 0); }

// --- threads of a library being unloaded ---------------------------------------------------

namespace {
void KeepLibraryLoadedAnchor() {}  // an address inside this module
}  // namespace

bool PlatformBackend::ProcessEnding() {
  // ntdll's own answer (Windows 10 and later, and Wine); where it is missing, no ending is
  // known and the caller takes the careful way.
  using ShutdownQuery = BOOLEAN(WINAPI*)();
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  void* query = ntdll ? reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlDllShutdownInProgress"))
                      : nullptr;
  return query && reinterpret_cast<ShutdownQuery>(query)() != 0;
}

void PlatformBackend::EndThreadForUnload() { TerminateThread(GetCurrentThread(), 0); }

void PlatformBackend::KeepLibraryLoaded() {
  // Any address inside this module names it: this very function's.
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(&KeepLibraryLoadedAnchor)),
                     &module);
}

// --- COM -----------------------------------------------------------------------------------

long PlatformBackend::ComInitialize() { return (long)CoInitialize(nullptr); }
void* PlatformBackend::TaskAlloc(size_t n) { return CoTaskMemAlloc(n); }
void* PlatformBackend::TaskRealloc(void* p, size_t n) { return CoTaskMemRealloc(p, n); }
void PlatformBackend::TaskFree(void* p) { CoTaskMemFree(p); }

Platform& NativePlatform() {
  // Built in static storage and never destroyed: globals that own texts free them through
  // the platform while the library is being unloaded, in whatever order they go.
  alignas(PlatformBackend) static unsigned char storage[sizeof(PlatformBackend)];
  static PlatformBackend* platform = new (storage) PlatformBackend();
  return *platform;
}
