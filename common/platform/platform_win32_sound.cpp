// Windows backend: MIDI output through the system's midiOut* calls (reached through the
// driver table of win32_midi_driver.h) and speech through the system's speech service.
#include "common/platform/platform_win32.h"

#include "common/platform/win32_midi_driver.h"
#include <objbase.h>
#include <sapi.h>

#include <cstring>
#include <string>
#include <vector>

// --- MIDI output ---------------------------------------------------------------------------

namespace {

struct MidiPort {
  HMIDIOUT out = nullptr;
  void (*done)(void*) = nullptr;
  void* context = nullptr;
};

// A buffer handed to the driver: its header and our copy of the bytes.
struct MidiBuffer {
  MIDIHDR header {};
  std::vector<char> bytes;
};

void CALLBACK MidiCallback(HMIDIOUT, UINT msg, DWORD_PTR instance, DWORD_PTR, DWORD_PTR) {
  auto* port = reinterpret_cast<MidiPort*>(instance);
  if (msg == MOM_DONE && port && port->done) port->done(port->context);
}

Win32MidiDriver& Driver() { return Win32MidiDriverCalls(); }

}  // namespace

Win32MidiDriver Win32SystemMidiDriver() {
  return {&midiOutGetNumDevs, &midiOutOpen,     &midiOutShortMsg,       &midiOutPrepareHeader,
          &midiOutLongMsg,    &midiOutUnprepareHeader, &midiOutReset, &midiOutClose};
}

Win32MidiDriver& Win32MidiDriverCalls() {
  static Win32MidiDriver calls = Win32SystemMidiDriver();
  return calls;
}

int PlatformBackend::MidiDeviceCount() { return (int)Driver().getNumDevs(); }

long PlatformBackend::MidiOpen(int device, void (*done)(void*), void* context, void** handle) {
  if (!handle) return MMSYSERR_INVALPARAM;
  *handle = nullptr;
  auto* port = new MidiPort;
  port->done = done;
  port->context = context;
  MMRESULT rc = Driver().open(&port->out, (UINT)device, (DWORD_PTR)&MidiCallback,
                              (DWORD_PTR)port, CALLBACK_FUNCTION);
  if (rc != MMSYSERR_NOERROR) {
    delete port;
    return (long)rc;
  }
  *handle = port;
  return 0;
}

long PlatformBackend::MidiShortMessage(void* handle, uint32_t message) {
  if (!handle) return MMSYSERR_INVALHANDLE;
  return (long)Driver().shortMsg(static_cast<MidiPort*>(handle)->out, message);
}

long PlatformBackend::MidiLongMessage(void* handle, const void* data, size_t n, void** buffer) {
  if (buffer) *buffer = nullptr;
  if (!handle) return MMSYSERR_INVALHANDLE;
  if (!buffer || (!data && n) || n > 0xFFFF) return MMSYSERR_INVALPARAM;
  HMIDIOUT out = static_cast<MidiPort*>(handle)->out;
  auto* b = new MidiBuffer;
  b->bytes.assign(static_cast<const char*>(data), static_cast<const char*>(data) + n);
  b->bytes.push_back(0);  // never a zero-length buffer
  b->header.lpData = b->bytes.data();
  b->header.dwBufferLength = (DWORD)n;
  MMRESULT rc = Driver().prepareHeader(out, &b->header, sizeof b->header);
  if (rc == MMSYSERR_NOERROR) {
    rc = Driver().longMsg(out, &b->header, sizeof b->header);
    if (rc == MMSYSERR_NOERROR) {
      *buffer = b;
      return 0;
    }
    Driver().unprepareHeader(out, &b->header, sizeof b->header);
  }
  delete b;
  return (long)rc;
}

long PlatformBackend::MidiReleaseBuffer(void* handle, void* buffer) {
  if (!handle || !buffer) return MMSYSERR_INVALHANDLE;
  auto* b = static_cast<MidiBuffer*>(buffer);
  MMRESULT rc =
      Driver().unprepareHeader(static_cast<MidiPort*>(handle)->out, &b->header, sizeof b->header);
  if (rc == MMSYSERR_NOERROR) delete b;
  return (long)rc;
}

long PlatformBackend::MidiReset(void* handle) {
  if (!handle) return MMSYSERR_INVALHANDLE;
  return (long)Driver().reset(static_cast<MidiPort*>(handle)->out);
}

long PlatformBackend::MidiClose(void* handle) {
  if (!handle) return MMSYSERR_INVALHANDLE;
  auto* port = static_cast<MidiPort*>(handle);
  Driver().reset(port->out);
  MMRESULT rc = Driver().close(port->out);
  if (rc == MMSYSERR_NOERROR) delete port;
  return (long)rc;
}

// --- speech --------------------------------------------------------------------------------

namespace {

// The speech service's voice object and its interface.
const CLSID kSpVoiceClass = {0x96749377, 0x3391, 0x11D2, {0x9E, 0xE3, 0x00, 0xC0, 0x4F, 0x79, 0x73, 0x96}};
const IID kSpVoiceInterface = {0x6C44DF74, 0x72B9, 0x4992, {0xA1, 0xEC, 0xEF, 0x99, 0x6E, 0x04, 0x22, 0xD4}};

// The voice, created on first use and kept for the life of the process (as the backend
// itself); null while none could be created, which is tried again on the next call.
ISpVoice* Voice() {
  static ISpVoice* voice = nullptr;
  if (!voice) {
    void* created = nullptr;
    if (SUCCEEDED(CoCreateInstance(kSpVoiceClass, nullptr, CLSCTX_ALL, kSpVoiceInterface,
                                   &created)))
      voice = static_cast<ISpVoice*>(created);
  }
  return voice;
}

std::wstring Wide(const char* text) {
  if (!text || !*text) return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring w((size_t)n, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, &w[0], n);
  w.resize((size_t)n - 1);
  return w;
}

}  // namespace

unsigned long Win32SpeechFlags(int mode) {
  if (mode == 2) return SPF_PURGEBEFORESPEAK;
  return (mode == 1 ? SPF_DEFAULT : SPF_ASYNC) | SPF_IS_NOT_XML;
}

int PlatformBackend::Speak(const char* text, int mode) {
  ISpVoice* voice = Voice();
  if (!voice) return -1;
  const DWORD flags = Win32SpeechFlags(mode);
  if (mode == 2) {
    voice->Speak(nullptr, flags, nullptr);
    return 0;
  }
  std::wstring w = Wide(text);
  voice->Speak(w.c_str(), flags, nullptr);
  return 0;
}
