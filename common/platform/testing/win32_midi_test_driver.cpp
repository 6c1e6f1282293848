// The in-process MIDI driver of win32_midi_test_driver.h.
#include "common/platform/testing/win32_midi_test_driver.h"

#include "common/platform/win32_midi_driver.h"

#include <algorithm>
#include <mutex>

namespace {

struct TestDriver {
  std::mutex lock;
  bool open = false;
  DWORD_PTR callback = 0;
  DWORD_PTR instance = 0;
  std::vector<MIDIHDR*> prepared;
  std::vector<MIDIHDR*> queued;  // oldest first
  std::vector<uint32_t> shortMessages;
  int opens = 0, closes = 0, resets = 0;
};

TestDriver* g_driver = nullptr;
Win32MidiDriver g_saved;
const HMIDIOUT kHandle = reinterpret_cast<HMIDIOUT>(static_cast<uintptr_t>(0x5EED));

void Callback(MIDIHDR* header) {
  auto fn = reinterpret_cast<void(CALLBACK*)(HMIDIOUT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR)>(
      g_driver->callback);
  if (fn) fn(kHandle, MOM_DONE, g_driver->instance, reinterpret_cast<DWORD_PTR>(header), 0);
}

UINT WINAPI NumDevs() { return 1; }

MMRESULT WINAPI Open(LPHMIDIOUT out, UINT device, DWORD_PTR callback, DWORD_PTR instance,
                     DWORD) {
  std::lock_guard<std::mutex> lock(g_driver->lock);
  if (device != 0) return MMSYSERR_BADDEVICEID;
  if (g_driver->open) return MMSYSERR_ALLOCATED;
  g_driver->open = true;
  g_driver->callback = callback;
  g_driver->instance = instance;
  ++g_driver->opens;
  *out = kHandle;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI ShortMsg(HMIDIOUT out, DWORD message) {
  std::lock_guard<std::mutex> lock(g_driver->lock);
  if (out != kHandle || !g_driver->open) return MMSYSERR_INVALHANDLE;
  g_driver->shortMessages.push_back(message);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI Prepare(HMIDIOUT out, LPMIDIHDR header, UINT) {
  std::lock_guard<std::mutex> lock(g_driver->lock);
  if (out != kHandle) return MMSYSERR_INVALHANDLE;
  header->dwFlags |= MHDR_PREPARED;
  g_driver->prepared.push_back(header);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI LongMsg(HMIDIOUT out, LPMIDIHDR header, UINT) {
  std::lock_guard<std::mutex> lock(g_driver->lock);
  if (out != kHandle) return MMSYSERR_INVALHANDLE;
  if (!(header->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
  header->dwFlags = (header->dwFlags | MHDR_INQUEUE) & ~(DWORD)MHDR_DONE;
  g_driver->queued.push_back(header);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI Unprepare(HMIDIOUT out, LPMIDIHDR header, UINT) {
  std::lock_guard<std::mutex> lock(g_driver->lock);
  if (out != kHandle) return MMSYSERR_INVALHANDLE;
  if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
  auto& list = g_driver->prepared;
  list.erase(std::remove(list.begin(), list.end(), header), list.end());
  header->dwFlags &= ~(DWORD)MHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

// Takes the oldest queued buffer out of the queue, marked done (null when none).
MIDIHDR* TakeOldest() {
  std::lock_guard<std::mutex> lock(g_driver->lock);
  if (g_driver->queued.empty()) return nullptr;
  MIDIHDR* header = g_driver->queued.front();
  g_driver->queued.erase(g_driver->queued.begin());
  header->dwFlags = (header->dwFlags & ~(DWORD)MHDR_INQUEUE) | MHDR_DONE;
  return header;
}

MMRESULT WINAPI Reset(HMIDIOUT out) {
  if (out != kHandle) return MMSYSERR_INVALHANDLE;
  {
    std::lock_guard<std::mutex> lock(g_driver->lock);
    ++g_driver->resets;
  }
  while (MIDIHDR* header = TakeOldest()) Callback(header);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI Close(HMIDIOUT out) {
  std::lock_guard<std::mutex> lock(g_driver->lock);
  if (out != kHandle || !g_driver->open) return MMSYSERR_INVALHANDLE;
  if (!g_driver->queued.empty()) return MIDIERR_STILLPLAYING;
  g_driver->open = false;
  g_driver->callback = 0;
  ++g_driver->closes;
  return MMSYSERR_NOERROR;
}

}  // namespace

ScopedTestMidiDriver::ScopedTestMidiDriver() {
  g_driver = new TestDriver;
  g_saved = Win32MidiDriverCalls();
  Win32MidiDriverCalls() = {&NumDevs, &Open, &ShortMsg, &Prepare, &LongMsg, &Unprepare, &Reset,
                            &Close};
}

ScopedTestMidiDriver::~ScopedTestMidiDriver() {
  Win32MidiDriverCalls() = g_saved;
  delete g_driver;
  g_driver = nullptr;
}

bool ScopedTestMidiDriver::FinishOldest() {
  MIDIHDR* header = TakeOldest();
  if (!header) return false;
  Callback(header);
  return true;
}

int ScopedTestMidiDriver::Prepared() const {
  std::lock_guard<std::mutex> lock(g_driver->lock);
  return (int)g_driver->prepared.size();
}

int ScopedTestMidiDriver::Queued() const {
  std::lock_guard<std::mutex> lock(g_driver->lock);
  return (int)g_driver->queued.size();
}

int ScopedTestMidiDriver::Opens() const {
  std::lock_guard<std::mutex> lock(g_driver->lock);
  return g_driver->opens;
}

int ScopedTestMidiDriver::Closes() const {
  std::lock_guard<std::mutex> lock(g_driver->lock);
  return g_driver->closes;
}

int ScopedTestMidiDriver::Resets() const {
  std::lock_guard<std::mutex> lock(g_driver->lock);
  return g_driver->resets;
}

std::vector<uint32_t> ScopedTestMidiDriver::ShortMessages() const {
  std::lock_guard<std::mutex> lock(g_driver->lock);
  return g_driver->shortMessages;
}
