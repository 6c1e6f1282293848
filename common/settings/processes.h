// Starting programs, editors and the web browser.
//
// Contract: LaunchFile and OpenInBrowser may show message boxes (LaunchFile only where said);
// waiting calls block until the started process ends. Results are numbers; nothing throws.
#pragma once

// Windows NT family (environment "OS" beginning with "WINDOWS_NT"): major * 100 + minor;
// otherwise 9800 for version 4.10 and 9500 + minor for other versions.
int GetWindowsVersion();

// Starts a program or opens a file. The command may begin with these prefixes, in this order:
//   "^" the rest is a file to edit with the editor of "SYS"/"EDITOR" (default "NOTEPAD");
//   "<" wait for the end;  "#" show-window and full-screen flags, sharing the console;
//   "~" minimised;  "@" show-window flag only, sharing the console;
//   "!" the rest is a complete command line, run unchanged.
// Without "!" the rest must name an existing file, run through "cmd /C" (the 9x family hands
// it to OpenInBrowser). Result the exit code when waiting, 1 when started without waiting,
// -1 when the file to open does not exist (after a message box), the negative system error
// code when the start fails (message box only when showErrors is 1).
int LaunchFile(const char* command, int showErrors);

// Opens target with the browser registered for http (kept in "INTERNET"/"Browser"); with
// wait 1 waits for the browser to end. Result 0, or -1 when it cannot be started (after a
// "View Error" message box).
int OpenInBrowser(const char* target, int wait);

// The browser command made from a registry command text: blank-separated fields, leaving out
// those beginning with "\"%" or "%" and those that begin "http:" or are a beginning of it
// (case ignored); backslashes become slashes; each kept field is followed by a blank.
void BrowserCommandFromRegistry(const char* registryCommand, char* out, int size);
