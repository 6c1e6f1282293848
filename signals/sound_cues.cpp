// XMT_TickSound and XMT_Speak: the tick note with its limits, and COM set-up and the
// commands of the speech entry.
#include "signals/sound_cues.h"

#include <algorithm>
#include <cstdint>
#include <exception>

#include "common/platform/platform.h"
#include "common/settings/trace_log.h"
#include "common/text/text_helpers.h"
#include "common/text/txt.h"

namespace {

enum MidiStatus { kNoteOff = 128, kNoteOn = 144, kProgramChange = 192 };

}  // namespace

int CTickSoundDevice::Tick(int note, int velocity, int program) {
  if (!setUp_) {
    setUp_ = true;
    CTxt problem;
    try {
      if (Platform::Default().MidiDeviceCount() >= 1) {
        Open(0);
        program_ = 0;
      } else {
        problem = "MIDI: No device available";
      }
    } catch (...) {
      problem = "MIDI: Error during InitDev";
    }
    if (problem.GetLength() > 0) LogTrace("MIDI", 1, "%s", (const char*)problem);
    // A program change carries a 7-bit data byte: anything else would reach the device as
    // a status byte or another program, so it is not sent and the device keeps its own.
    if (program >= 0 && program <= 127) {
      CShortMsg(kProgramChange, 0, program, 0).SendMsg(*this);
      program_ = program;
    }
  }
  const int n = std::clamp(note, 30, 60);
  const int v = std::clamp(velocity, 20, 127);
  CShortMsg(kNoteOn, 0, n, v).SendMsg(*this);
  Platform::Default().SleepMs(5);
  CShortMsg(kNoteOff, 0, n, 0).SendMsg(*this);
  return 0;
}

int CSpeechCues::Speak(const char* cmd, const char* text) {
  if (!cmd) return -2;
  if (!text) return -3;
  Platform& p = Platform::Default();
  if (!comReady_) {
    comResult_ = p.ComInitialize();
    const char* what = nullptr;
    switch ((uint32_t)comResult_) {
      case 0x8000FFFFu: what = "UNEXPECTED"; break;
      case 0x8007000Eu: what = "OUTOFMEMORY"; break;
      case 0x80070057u: what = "INVALIDARG"; break;
      default: comReady_ = true;
    }
    if (what) {
      CTxt msg;
      msg.Format("Cannot initialize OLE (%s,%p) ", what, (void*)(uintptr_t)(uint32_t)comResult_);
      p.MessageBox(msg, "Voice Initializeion Failure", kMbIconError);
      return -1;
    }
  }
  const bool speakWait = CompareNoCase(cmd, "SpeakWait", 1) == 0;
  if (speakWait || CompareNoCase(cmd, "Speak", 1) == 0) {
    if (!*text) return 1;
    p.Speak(text, speakWait ? 1 : 0);
  } else if (CompareNoCase(cmd, "Stop", 1) == 0) {
    p.Speak(nullptr, 2);
  }
  return 0;
}
