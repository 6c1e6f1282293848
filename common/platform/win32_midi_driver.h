// The MIDI output calls of the Windows backend, as a table.
//
// The backend reaches the system's midiOut* functions only through this table, so that a
// test can put an in-process driver in their place (win32_midi_test_driver.h) and exercise
// the backend's buffer and callback handling without a sound device. Windows backend files
// only.
#pragma once

#include "common/platform/win32_api.h"
#include <mmsystem.h>

struct Win32MidiDriver {
  UINT(WINAPI* getNumDevs)();
  MMRESULT(WINAPI* open)(LPHMIDIOUT, UINT, DWORD_PTR, DWORD_PTR, DWORD);
  MMRESULT(WINAPI* shortMsg)(HMIDIOUT, DWORD);
  MMRESULT(WINAPI* prepareHeader)(HMIDIOUT, LPMIDIHDR, UINT);
  MMRESULT(WINAPI* longMsg)(HMIDIOUT, LPMIDIHDR, UINT);
  MMRESULT(WINAPI* unprepareHeader)(HMIDIOUT, LPMIDIHDR, UINT);
  MMRESULT(WINAPI* reset)(HMIDIOUT);
  MMRESULT(WINAPI* close)(HMIDIOUT);
};

// The table in use: the system's functions unless a test has replaced them.
Win32MidiDriver& Win32MidiDriverCalls();
// The system's own functions.
Win32MidiDriver Win32SystemMidiDriver();
