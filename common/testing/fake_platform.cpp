// FakePlatform: the settable clock (kept as milliseconds of a calendar without time zones)
// and the recording calls. Everything else is forwarded inline in the header.
#include "common/testing/fake_platform.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

namespace {

const int64_t kDayMs = 86400000;

// Days since 1970-01-01 of a proleptic Gregorian date (month 1-12).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int64_t ToMs(const PlatformTime& t) {
  // Months out of range are carried into the year, other fields simply add up.
  int64_t months = (int64_t)t.year * 12 + (t.month - 1);
  int64_t y = months >= 0 ? months / 12 : (months - 11) / 12;
  int m = (int)(months - y * 12) + 1;
  int64_t days = DaysFromCivil(y, m, 1) + (t.day - 1);
  return days * kDayMs + ((int64_t)t.hour * 3600 + (int64_t)t.minute * 60 + t.second) * 1000 +
         t.millisecond;
}

PlatformTime FromMs(int64_t ms) {
  int64_t days = ms >= 0 ? ms / kDayMs : (ms - kDayMs + 1) / kDayMs;
  int64_t rest = ms - days * kDayMs;
  // Inverse of DaysFromCivil.
  int64_t z = days + 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  PlatformTime t;
  t.day = (int)(doy - (153 * mp + 2) / 5 + 1);
  t.month = (int)(mp < 10 ? mp + 3 : mp - 9);
  t.year = (int)(yoe + era * 400 + (t.month <= 2));
  t.hour = (int)(rest / 3600000);
  t.minute = (int)(rest / 60000 % 60);
  t.second = (int)(rest / 1000 % 60);
  t.millisecond = (int)(rest % 1000);
  t.weekday = (int)(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  return t;
}

}  // namespace

FakePlatform::FakePlatform(Platform& forward) : PlatformWrapper(forward) {
  SetLocalTime(MakePlatformTime(2025, 3, 14, 9, 30));
}

void FakePlatform::SetLocalTime(const PlatformTime& local) { localMs_ = ToMs(local); }

PlatformTime FakePlatform::PeekLocal() const { return FromMs(localMs_); }

int FakePlatform::CurrentBias() const {
  return zone_.bias + (zone_.state == 2 ? zone_.daylightBias : zone_.standardBias);
}

// --- clock ---------------------------------------------------------------------------------

PlatformTime FakePlatform::LocalNow() {
  PlatformTime t = FromMs(localMs_);
  localMs_ += stepMs_;
  return t;
}

PlatformTime FakePlatform::UtcNow() {
  PlatformTime t = FromMs(localMs_ + (int64_t)CurrentBias() * 60000);
  localMs_ += stepMs_;
  return t;
}

int64_t FakePlatform::UnixNow() {
  int64_t ms = localMs_ + (int64_t)CurrentBias() * 60000;
  localMs_ += stepMs_;
  return ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
}

bool FakePlatform::TimeZone(PlatformTimeZone* out) {
  if (!out) return false;
  *out = zone_;
  return true;
}

bool FakePlatform::UtcToLocal(const PlatformTime& utc, PlatformTime* local) {
  if (!local) return false;
  *local = FromMs(ToMs(utc) - (int64_t)CurrentBias() * 60000);
  return true;
}

bool FakePlatform::UnixToLocal(int64_t t, PlatformTime* local) {
  if (!local || t < 0) return false;
  *local = FromMs(t * 1000 - (int64_t)CurrentBias() * 60000);
  return true;
}

int64_t FakePlatform::LocalToUnix(const PlatformTime& local) {
  int64_t ms = ToMs(local) + (int64_t)CurrentBias() * 60000;
  return ms < 0 ? -1 : ms / 1000;
}

long FakePlatform::SetLocalClock(const PlatformTime& local) {
  clockChanges.push_back(local);
  if (clockSetResult == 0) SetLocalTime(local);
  return clockSetResult;
}

void FakePlatform::SleepMs(int ms) {
  sleeps.push_back(ms);
  if (ms > 0) localMs_ += ms;  // time passes for the fake clock only
}

// --- user, processes -----------------------------------------------------------------------

int FakePlatform::MessageBox(const char* text, const char* caption, unsigned flags) {
  messageBoxes.push_back({text ? text : "", caption ? caption : "", flags});
  return messageBoxAnswer;
}

long FakePlatform::StartProcess(const char* commandLine, const PlatformStart& opts,
                                unsigned long* exitCode) {
  processes.push_back({commandLine ? commandLine : "", opts});
  if (processStartError != 0) return processStartError;
  if (opts.wait && exitCode) *exitCode = processExitCode;
  return 0;
}

// --- MIDI ----------------------------------------------------------------------------------

std::vector<uint32_t> FakePlatform::MidiMessages() {
  std::lock_guard<std::mutex> lock(midiLock_);
  return midiMessages_;
}

FILE* FakePlatform::OpenFile(const char* path, const char* mode) {
  const bool writes = mode && (std::strpbrk(mode, "wa+") != nullptr);
  if (!diskFull || !writes) return PlatformWrapper::OpenFile(path, mode);
  // The open succeeds (as on a full disk) and makes the file, but the stream handed out
  // is the file opened for reading only: every write to it fails, on every system.
  if (FILE* made = PlatformWrapper::OpenFile(path, mode)) std::fclose(made);
  FILE* readOnly = PlatformWrapper::OpenFile(path, "rb");
  if (!readOnly) errno = ENOSPC;
  return readOnly;
}

FakePlatform::~FakePlatform() {
  for (MidiBuffer* b : midiBuffers_) delete b;
}

void FakePlatform::CallMidiDone() {
  void (*done)(void*);
  void* context;
  {
    std::lock_guard<std::mutex> lock(midiLock_);
    done = midiDone_;
    context = midiContext_;
  }
  if (done) done(context);
}

void FakePlatform::MidiDone() {
  {
    std::lock_guard<std::mutex> lock(midiLock_);
    for (MidiBuffer* b : midiBuffers_) {
      if (!b->done) {
        b->done = true;
        break;
      }
    }
  }
  CallMidiDone();
}

int FakePlatform::MidiBuffersOutstanding() {
  std::lock_guard<std::mutex> lock(midiLock_);
  return (int)midiBuffers_.size();
}

long FakePlatform::MidiLongMessage(void* handle, const void* data, size_t n, void** buffer) {
  if (buffer) *buffer = nullptr;
  if (handle != this) return 5;  // MMSYSERR_INVALHANDLE
  if (!buffer || (!data && n)) return 11;
  // A driver short of memory says so (MMSYSERR_NOMEM) rather than throwing.
  try {
    auto b = std::make_unique<MidiBuffer>();
    b->bytes.assign(static_cast<const unsigned char*>(data),
                    static_cast<const unsigned char*>(data) + n);
    std::lock_guard<std::mutex> lock(midiLock_);
    midiBuffers_.push_back(b.get());
    *buffer = b.release();
  } catch (const std::bad_alloc&) {
    return 7;
  }
  return 0;
}

long FakePlatform::MidiReleaseBuffer(void* handle, void* buffer) {
  if (handle != this) return 5;
  std::lock_guard<std::mutex> lock(midiLock_);
  for (size_t i = 0; i < midiBuffers_.size(); ++i) {
    if (midiBuffers_[i] != buffer) continue;
    if (!midiBuffers_[i]->done) return 65;  // MIDIERR_STILLPLAYING
    delete midiBuffers_[i];
    midiBuffers_.erase(midiBuffers_.begin() + (std::ptrdiff_t)i);
    return 0;
  }
  return 11;  // MMSYSERR_INVALPARAM: not a buffer of this device
}

long FakePlatform::MidiReset(void* handle) {
  if (handle != this) return 5;
  int handedBack = 0;
  {
    std::lock_guard<std::mutex> lock(midiLock_);
    for (MidiBuffer* b : midiBuffers_) {
      if (!b->done) ++handedBack;
      b->done = true;
    }
  }
  for (int i = 0; i < handedBack; ++i) CallMidiDone();
  return 0;
}

int FakePlatform::Speak(const char* text, int mode) {
  speech.push_back({text ? text : "", mode});
  return speechService ? 0 : -1;
}

long FakePlatform::MidiOpen(int device, void (*done)(void*), void* context, void** handle) {
  if (!handle) return 11;  // MMSYSERR_INVALPARAM
  *handle = nullptr;
  if (device < 0 || device >= midiDevices) return 2;  // MMSYSERR_BADDEVICEID
  std::lock_guard<std::mutex> lock(midiLock_);
  midiDone_ = done;
  midiContext_ = context;
  ++midiOpenCount;
  *handle = this;
  return 0;
}

long FakePlatform::MidiShortMessage(void* handle, uint32_t message) {
  if (handle != this) return 5;  // MMSYSERR_INVALHANDLE
  std::lock_guard<std::mutex> lock(midiLock_);
  midiMessages_.push_back(message);
  return 0;
}

long FakePlatform::MidiClose(void* handle) {
  if (handle != this) return 5;
  std::lock_guard<std::mutex> lock(midiLock_);
  midiDone_ = nullptr;
  midiContext_ = nullptr;
  return 0;
}

// --- web -----------------------------------------------------------------------------------

int FakePlatform::FetchPage(const char* url, const char* agent, size_t limit,
                            std::string* body) {
  fetchedUrls.push_back(url ? url : "");
  auto it = url ? pages.find(url) : pages.end();
  if (it == pages.end()) {
    if (forwardUnknownPages) return PlatformWrapper::FetchPage(url, agent, limit, body);
    if (body) body->clear();
    return -2;
  }
  if (body) *body = it->second.substr(0, limit);
  return 0;
}
