// Which names the export and loading functions take as file names below their folders.
//
// Both refuse the names Windows opens as devices ("CON", "PRN", "AUX", "NUL", "COM0"-"COM9",
// "LPT0"-"LPT9", any letter case, with or without an extension): opening such a name opens
// the device, and a serial port can block the calculation thread.
#pragma once

// True when part (a whole name, or one part of a path: the text up to the first '/', '\\'
// or the end) names a Windows device.
bool IsDeviceName(const char* part);

// True when name can be a file name of its own inside a folder on every system we run on:
// no path separators, no "." or "..", no characters or device names Windows refuses.
bool IsPlainFileName(const char* name);

// True when name, taken below a folder, stays inside it (no absolute path, drive or ".."
// part) and no part of it names a device.
bool StaysInsideFolder(const char* name);
