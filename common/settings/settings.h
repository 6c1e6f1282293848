// The deliverable's own folder, its settings file, and reading and writing settings.
//
// Settings live in a Windows initialisation file read and written through the platform's
// profile-string calls. Reading a boolean or integer setting writes back its normalised form
// when the key is missing or irregular, so the settings file lists every key in use.
//
// Contract:
// - The base folder and the settings file path are computed once per process and kept
//   (SettingsResetForTest forgets them). Settings themselves are read on every call.
// - Every settings call takes an optional file; null means the deliverable's settings file.
// - Nothing here fails visibly: a missing file reads as defaults; write-back creates it.
#pragma once

#include <string>

class CTxt;

// The folder of the main program: a trailing build folder "Debug" or "Release" and the
// trailing slash removed, forward slashes. The library variant lower-cases it on systems
// whose file names ignore case. Result its length.
int GetBaseDir(CTxt& out);
// "<base folder>/<program name>.ini", the program name without extension and without a
// trailing "Debug" or "Release". Result its length.
int GetIniFileName(CTxt& out);

// GetPrivateProfileString: value or def into out (at most size - 1 characters, terminated
// when size > 0). Result the number of characters copied; 0 when out is null.
int ReadIniString(const char* section, const char* key, const char* def, char* out, int size,
                  const char* file = nullptr);
// WritePrivateProfileString (a null value deletes the key). Result 1 written, 0 failed.
int WriteIniString(const char* section, const char* key, const char* value,
                   const char* file = nullptr);
// 1 when the value is "YES" (the program variant also takes "TRUE"), case ignored, else 0;
// a missing key counts as def. A missing key or a text other than "YES"/"NO" (case
// ignored) is written back as "YES" or "NO". A null section or key gives def (as 1 or 0)
// and leaves the file alone.
int ReadIniBool(const char* section, const char* key, int def, const char* file = nullptr);
// The value read as a number; a missing key counts as def. A missing key or a text that is
// not exactly the "%d" form of the value is written back in that form. A null section or
// key gives def and leaves the file alone.
int ReadIniInt(const char* section, const char* key, int def, const char* file = nullptr);
// Writes "%d". Result as WriteIniString.
int WriteIniInt(const char* section, const char* key, int value, const char* file = nullptr);

// The main program's file name without folder and extension.
std::string ProgramFileTitle();

// The pure parts of GetBaseDir / GetIniFileName, for a given main program path.
std::string BaseDirFromProgramPath(const std::string& programPath, bool lowerCase);
std::string IniFileFromProgramPath(const std::string& baseDir, const std::string& programPath);

// Tests only: forget the cached base folder and settings file path; with iniFile, use that
// file as the settings file until the next reset (so a test never writes beside a program).
void SettingsResetForTest(const char* iniFile = nullptr);
