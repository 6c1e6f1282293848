// Sound and speech cues: the tick note on the first MIDI output device and the entry for
// spoken announcements.
//
// XMT_SIGNALS keeps one process-wide object of each; tests make their own (with a fake
// platform, which records the MIDI messages, waits, COM results and message boxes).
//
// Contract:
// - CTickSoundDevice::Tick sets the device up on its first call (device 0, program change to
//   the first call's program, kept for good; a program outside 0..127 is not sent and the
//   device keeps its own), then plays note-on, waits 5 ms on the calling thread and plays
//   note-off. The set-up is done once, whatever it gave. Without a device the set-up logs "MIDI: No device available"
//   and every note is dropped. Result 0.
// - CSpeechCues::Speak: results as XMT_Speak documents in xmt_signals.h. COM is initialised
//   once per process (tried again after a failure); the speech itself is left to the
//   platform's speech service and is silent where there is none.
#pragma once

#include "signals/midi_out_device.h"

class CTickSoundDevice : public CMIDIOutDevice {
 public:
  int Tick(int note, int velocity, int program);
  int GetProgram() const { return program_; }

 private:
  bool setUp_ = false;
  int program_ = -1;  // the program selected (0 after opening), -1 while none is
};

class CSpeechCues {
 public:
  int Speak(const char* cmd, const char* text);

 private:
  long comResult_ = 0;
  bool comReady_ = false;
};
