// Tests only (Windows build): an in-process MIDI driver in place of the system's.
//
// While a ScopedTestMidiDriver lives, the Windows backend's midiOut* calls go to it (see
// win32_midi_driver.h): it offers one output device, records short messages, keeps the
// buffers handed to it in a queue, and calls the backend's driver callback the way a real
// driver does when a test says a buffer is done (or on reset). No sound device is needed.
// One at a time; not nestable. Thread-safe (the backend's worker threads call it too).
#pragma once

#include <cstdint>
#include <vector>

class ScopedTestMidiDriver {
 public:
  ScopedTestMidiDriver();
  ~ScopedTestMidiDriver();
  ScopedTestMidiDriver(const ScopedTestMidiDriver&) = delete;
  ScopedTestMidiDriver& operator=(const ScopedTestMidiDriver&) = delete;

  // Marks the oldest queued buffer done and calls the callback with MOM_DONE for it, as the
  // driver does when it has sent the buffer. False when nothing is queued.
  bool FinishOldest();

  int Prepared() const;  // buffers prepared and not unprepared yet
  int Queued() const;    // buffers handed over and not done yet
  int Opens() const;
  int Closes() const;
  int Resets() const;
  std::vector<uint32_t> ShortMessages() const;
};
