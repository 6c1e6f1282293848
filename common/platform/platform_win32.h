// The Windows backend of PlatformBackend (platform_backend.h) and the helper its files share.
//
// platform_win32.cpp holds paths, files, clocks and COM; platform_win32_sound.cpp MIDI
// output and speech; platform_win32_system.cpp profile strings, the registry, processes and
// web pages; platform_win32_user.cpp message boxes, message texts and other programs'
// windows. Each of those files includes <windows.h> through win32_api.h after this header.
#pragma once

#include "common/platform/platform_backend.h"

// The speech service's flags for a Speak mode (0 speak and return, 1 speak and wait, 2 stop).
// A study's text is always spoken as plain text: markup in it is read out, never obeyed.
unsigned long Win32SpeechFlags(int mode);
