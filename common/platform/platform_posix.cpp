// POSIX backend: paths, files and folder searches, clocks and the calls that have no
// counterpart on this system (windows, MIDI devices, COM). Drive-letter paths of the host
// live below $XMT_ROOT so that the libraries can keep their Windows folder names.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <strings.h>

#include <new>

#include "common/platform/scoped_release.h"
#include "common/platform/platform_posix.h"
#include "common/platform/platform_tm.h"

namespace posix_detail {

std::string RootDir() {
  const char* root = getenv("XMT_ROOT");
  if (root && *root) {
    std::string r = root;
    while (r.size() > 1 && r.back() == '/') r.pop_back();
    return r;
  }
  const char* home = getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.xmt";
}

void EnsureFolders(const std::string& path) {
  for (size_t i = 1; i <= path.size(); ++i)
    if (i == path.size() || path[i] == '/') mkdir(path.substr(0, i).c_str(), 0777);
}

bool WildcardMatch(const char* p, const char* s) {
  // Iterative match with one backtrack point for the last '*'.
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*s) {
    if (*p == '*') {
      star = p++;
      resume = s;
    } else if (*p == '?' || (*p && tolower((unsigned char)*p) == tolower((unsigned char)*s))) {
      ++p;
      ++s;
    } else if (star) {
      p = star + 1;
      s = ++resume;
    } else {
      return false;
    }
  }
  while (*p == '*') ++p;
  return *p == 0;
}

}  // namespace posix_detail

namespace {

int64_t ToMs(const struct statx_timestamp& t) {
  return (int64_t)t.tv_sec * 1000 + t.tv_nsec / 1000000;
}

// Offset of local time east of UTC, in seconds, at time t.
long OffsetAt(time_t t, int* isDst) {
  struct tm tm {};
  localtime_r(&t, &tm);
  if (isDst) *isDst = tm.tm_isdst > 0;
  return tm.tm_gmtoff;
}

int StatPath(const std::string& path, PlatformFileInfo* out) {
  struct statx sx {};
  if (statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) {
    if (errno != ENOSYS) return -1;
    // A kernel without statx: plain stat, which knows no creation time.
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return -1;
    out->isDirectory = S_ISDIR(st.st_mode);
    out->size = (int64_t)st.st_size;
    out->creationMs = -1;
    out->lastWriteMs = (int64_t)st.st_mtim.tv_sec * 1000 + st.st_mtim.tv_nsec / 1000000;
    out->lastAccessMs = (int64_t)st.st_atim.tv_sec * 1000 + st.st_atim.tv_nsec / 1000000;
    return 0;
  }
  out->isDirectory = S_ISDIR(sx.stx_mode);
  out->size = (int64_t)sx.stx_size;
  out->creationMs = (sx.stx_mask & STATX_BTIME) ? ToMs(sx.stx_btime) : -1;
  out->lastWriteMs = ToMs(sx.stx_mtime);
  out->lastAccessMs = ToMs(sx.stx_atime);
  return 0;
}

}  // namespace

// --- paths ---------------------------------------------------------------------------------

std::string PlatformBackend::MainProgramPath() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  std::string exe = n > 0 ? std::string(buf, (size_t)n) : std::string("xmt");
  const char* host = getenv("XMT_HOST_DIR");
  if (host && *host) {
    std::string dir = host;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    size_t slash = exe.rfind('/');
    return dir + "/" + (slash == std::string::npos ? exe : exe.substr(slash + 1));
  }
  return exe;
}

std::string PlatformBackend::ModulePath() {
  Dl_info info {};
  static const int anchor = 0;
  if (dladdr(&anchor, &info) && info.dli_fname && *info.dli_fname) {
    char resolved[4096];
    if (realpath(info.dli_fname, resolved)) return resolved;
  }
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, (size_t)n) : std::string();
}

std::string PlatformBackend::NativePath(const char* hostPath) {
  if (!hostPath) return std::string();
  std::string p = hostPath;
  std::replace(p.begin(), p.end(), '\\', '/');
  if (p.size() >= 2 && p[1] == ':' && isalpha((unsigned char)p[0])) {
    std::string rest = p.substr(2);
    if (!rest.empty() && rest[0] != '/') rest.insert(0, "/");
    // A drive always exists on Windows: its stand-in folder is made on first use (and
    // again when XMT_ROOT changes), so a fresh machine gets its logs and data folders.
    std::string drive = posix_detail::RootDir() + "/" + (char)toupper((unsigned char)p[0]);
    static std::string madeDrive;
    if (drive != madeDrive) {
      posix_detail::EnsureFolders(drive);
      madeDrive = drive;
    }
    return drive + rest;
  }
  return p;
}

// --- files ---------------------------------------------------------------------------------

FILE* PlatformBackend::OpenFile(const char* path, const char* mode) {
  if (!path || !mode) {
    errno = EINVAL;
    return nullptr;
  }
  // The Windows runtime's commit ('c'), no-commit ('n') and text ('t') letters mean nothing
  // here (and 'c' means something else to glibc).
  std::string m;
  for (const char* c = mode; *c && *c != ','; ++c)
    if (*c != 'c' && *c != 'n' && *c != 't') m += *c;
  return fopen(NativePath(path).c_str(), m.c_str());
}

void PlatformBackend::WriteRaw(FILE* f, const void* data, size_t n) {
  if (!f || !data || n == 0) return;
  // One write normally; a write cut short by a signal goes on with the rest.
  const char* p = static_cast<const char*>(data);
  while (n > 0) {
    ssize_t written = write(fileno(f), p, n);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    p += written;
    n -= (size_t)written;
  }
}

void PlatformBackend::CommitFile(FILE* f) {
  if (!f) return;
  fflush(f);
  // The data and the file's size reach the disk; the time stamps may follow later, which
  // spares the log a second write of the file's metadata on every commit.
  fdatasync(fileno(f));
}

int PlatformBackend::FileStat(const char* path, PlatformFileInfo* out) {
  if (!path || !out) return -1;
  std::string native = NativePath(path);
  PlatformFileInfo info;
  size_t slash = native.rfind('/');
  info.name = slash == std::string::npos ? native : native.substr(slash + 1);
  if (StatPath(native, &info) != 0) return -1;
  *out = info;
  return 0;
}

int PlatformBackend::FileAccess(const char* path, int mode) {
  if (!path) return -1;
  return access(NativePath(path).c_str(), mode & 6) == 0 ? 0 : -1;
}

int PlatformBackend::MakeDir(const char* path) {
  if (!path) return -1;
  if (mkdir(NativePath(path).c_str(), 0777) == 0) return 0;
  return errno == EEXIST ? 1 : -1;
}

int PlatformBackend::RemoveFile(const char* path) {
  if (!path) return -1;
  return unlink(NativePath(path).c_str()) == 0 ? 0 : -1;
}

int PlatformBackend::RenameFile(const char* from, const char* to) {
  if (!from || !to) return -1;
  return rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0 ? 0 : -1;
}

std::string PlatformBackend::CurrentDir() {
  std::string dir(4096, '\0');
  if (!getcwd(dir.data(), dir.size())) return std::string();
  dir.resize(std::strlen(dir.c_str()));
  return dir;
}

int PlatformBackend::SetCurrentDir(const char* path) {
  if (!path) return -1;
  return chdir(NativePath(path).c_str()) == 0 ? 0 : -1;
}

int PlatformBackend::FindFiles(const char* mask, std::vector<PlatformFileInfo>* out) {
  if (!mask || !out) return -1;
  std::string native = NativePath(mask);
  size_t slash = native.rfind('/');
  std::string dir = slash == std::string::npos ? "." : native.substr(0, slash);
  if (dir.empty()) dir = "/";
  std::string pattern = slash == std::string::npos ? native : native.substr(slash + 1);
  if (pattern.empty()) return -1;
  // Windows reads "*.*" as "every name", with or without a dot.
  if (pattern == "*.*") pattern = "*";

  DIR* d = opendir(dir.c_str());
  if (!d) return -1;
  ScopedRelease closeDir([d] { closedir(d); });
  std::vector<PlatformFileInfo> found;
  while (struct dirent* e = readdir(d)) {
    if (!posix_detail::WildcardMatch(pattern.c_str(), e->d_name)) continue;
    PlatformFileInfo info;
    info.name = e->d_name;
    if (StatPath(dir + "/" + e->d_name, &info) != 0) continue;  // vanished meanwhile
    found.push_back(std::move(info));
  }
  // Directory order is arbitrary here; give a stable one like NTFS does.
  std::sort(found.begin(), found.end(), [](const PlatformFileInfo& a, const PlatformFileInfo& b) {
    return strcasecmp(a.name.c_str(), b.name.c_str()) < 0;
  });
  for (auto& f : found) out->push_back(std::move(f));
  return (int)found.size();
}

// --- errors and ids ------------------------------------------------------------------------

unsigned long PlatformBackend::LastError() { return (unsigned long)errno; }

std::string PlatformBackend::ErrorText(unsigned long code) {
  char buf[256];
  buf[0] = 0;
  // GNU strerror_r returns the text (maybe not in buf).
  const char* text = strerror_r((int)code, buf, sizeof buf);
  return text ? text : buf;
}

unsigned long PlatformBackend::CurrentProcessId() { return (unsigned long)getpid(); }

// --- time ----------------------------------------------------------------------------------

PlatformTime PlatformBackend::LocalNow() {
  struct timespec ts {};
  clock_gettime(CLOCK_REALTIME, &ts);
  // The local fields of a second are the same for every reading within it, and
  // localtime_r costs more than the rest of a trace log line: each thread keeps those of
  // its last second. The zone's name and offset belong to the key, so that a zone loaded
  // anew (tzset) applies from the next reading on, as it does for localtime_r.
  thread_local struct {
    bool valid = false;
    time_t second = 0;
    long zoneOffset = 0;
    const char* zoneName = nullptr;
    struct tm fields {};
  } last;
  if (!last.valid || ts.tv_sec != last.second || timezone != last.zoneOffset ||
      tzname[0] != last.zoneName) {
    struct tm tm {};
    localtime_r(&ts.tv_sec, &tm);
    last.fields = tm;
    last.second = ts.tv_sec;
    last.zoneOffset = timezone;
    last.zoneName = tzname[0];
    last.valid = true;
  }
  return PlatformTimeFromTm(last.fields, (int)(ts.tv_nsec / 1000000));
}

PlatformTime PlatformBackend::UtcNow() {
  struct timespec ts {};
  clock_gettime(CLOCK_REALTIME, &ts);
  struct tm tm {};
  gmtime_r(&ts.tv_sec, &tm);
  return PlatformTimeFromTm(tm, (int)(ts.tv_nsec / 1000000));
}

int64_t PlatformBackend::UnixNow() { return (int64_t)time(nullptr); }

bool PlatformBackend::TimeZone(PlatformTimeZone* out) {
  if (!out) return false;
  tzset();
  time_t now = time(nullptr);
  int dstNow = 0;
  long offNow = OffsetAt(now, &dstNow);
  // Probe midwinter and midsummer of this year to learn the standard and daylight offsets.
  struct tm tm {};
  localtime_r(&now, &tm);
  long standard = offNow, summer = offNow;
  bool hasDst = dstNow != 0;
  for (int mon : {0, 6}) {
    struct tm probe {};
    probe.tm_year = tm.tm_year;
    probe.tm_mon = mon;
    probe.tm_mday = 1;
    probe.tm_hour = 12;
    probe.tm_isdst = -1;
    int isDst = 0;
    long off = OffsetAt(mktime(&probe), &isDst);
    if (isDst) {
      summer = off;
      hasDst = true;
    } else {
      standard = off;
    }
  }
  if (dstNow) summer = offNow; else standard = offNow;
  out->bias = (int)(-standard / 60);
  out->standardBias = 0;
  out->daylightBias = hasDst ? (int)(-(summer - standard) / 60) : 0;
  out->state = hasDst ? (dstNow ? 2 : 1) : 0;
  return true;
}

bool PlatformBackend::UtcToLocal(const PlatformTime& utc, PlatformTime* local) {
  if (!local) return false;
  // Like FileTimeToLocalFileTime: today's offset, whatever the date.
  struct tm tm = TmFromPlatformTime(utc);
  tm.tm_isdst = 0;
  time_t t = timegm(&tm);
  if (t == (time_t)-1 && utc.year != 1969) return false;
  t += OffsetAt(time(nullptr), nullptr);
  struct tm out {};
  if (!gmtime_r(&t, &out)) return false;
  *local = PlatformTimeFromTm(out, utc.millisecond);
  return true;
}

bool PlatformBackend::UnixToLocal(int64_t t, PlatformTime* local) {
  if (!local || t < 0) return false;
  time_t tt = (time_t)t;
  struct tm tm {};
  if (!localtime_r(&tt, &tm)) return false;
  *local = PlatformTimeFromTm(tm, 0);
  return true;
}

int64_t PlatformBackend::LocalToUnix(const PlatformTime& local) {
  struct tm tm = TmFromPlatformTime(local);
  time_t t = mktime(&tm);
  // The Windows runtime knows no time before 1970.
  return t < 0 ? -1 : (int64_t)t;
}

long PlatformBackend::SetLocalClock(const PlatformTime& local) {
  // Changing the real clock needs an explicit go-ahead: a test run must never do it.
  const char* allow = getenv("XMT_ALLOW_CLOCK_SET");
  if (!allow || strcmp(allow, "1") != 0) return EPERM;
  struct tm tm = TmFromPlatformTime(local);
  time_t t = mktime(&tm);
  if (t == (time_t)-1) return EINVAL;
  struct timespec ts {};
  ts.tv_sec = t;
  ts.tv_nsec = (long)local.millisecond * 1000000L;
  return clock_settime(CLOCK_REALTIME, &ts) == 0 ? 0 : errno;
}

void PlatformBackend::SleepMs(int ms) {
  if (ms <= 0) return;
  struct timespec ts {ms / 1000, (long)(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

// POSIX paths are never case-folded.
bool PlatformBackend::PathsIgnoreCase() { return false; }

// A process here ends without the loader's unload order, and a library can be unloaded at
// any time: nothing to tell, nothing to hold.
bool PlatformBackend::ProcessEnding() { return false; }
void PlatformBackend::EndThreadForUnload() {}
void PlatformBackend::KeepLibraryLoaded() {}

// --- things this system does not have ------------------------------------------------------

std::string PlatformBackend::LoadStringResource(unsigned) { return std::string(); }
void* PlatformBackend::FindTopWindow(const char*, const char*) { return nullptr; }
bool PlatformBackend::SetChildText(void*, int, const char*) { return false; }
bool PlatformBackend::SendCommand(void*, int) { return false; }
int PlatformBackend::MidiDeviceCount() { return 0; }
long PlatformBackend::ComInitialize() { return 0; }
int PlatformBackend::Speak(const char*, int) { return -1; }

int PlatformBackend::ReadListView(void*, unsigned long, int, int, std::vector<std::string>*,
                                  unsigned long* pid) {
  if (pid) *pid = 0;
  return -1;
}

long PlatformBackend::MidiOpen(int, void (*)(void*), void*, void** handle) {
  if (handle) *handle = nullptr;
  return 2;  // MMSYSERR_BADDEVICEID: there are no devices
}

// No device is ever open, so every handle is invalid (MMSYSERR_INVALHANDLE).
long PlatformBackend::MidiShortMessage(void*, uint32_t) { return 5; }
long PlatformBackend::MidiLongMessage(void*, const void*, size_t, void** buffer) {
  if (buffer) *buffer = nullptr;
  return 5;
}
long PlatformBackend::MidiReleaseBuffer(void*, void*) { return 5; }
long PlatformBackend::MidiReset(void*) { return 5; }
long PlatformBackend::MidiClose(void*) { return 5; }

void* PlatformBackend::TaskAlloc(size_t n) { return malloc(n ? n : 1); }
void* PlatformBackend::TaskRealloc(void* p, size_t n) { return realloc(p, n ? n : 1); }
void PlatformBackend::TaskFree(void* p) { free(p); }

Platform& NativePlatform() {
  // Built in static storage and never destroyed: globals that own texts free them through
  // the platform while the library is being unloaded, in whatever order they go.
  alignas(PlatformBackend) static unsigned char storage[sizeof(PlatformBackend)];
  static PlatformBackend* platform = new (storage) PlatformBackend();
  return *platform;
}
