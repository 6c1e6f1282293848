// FileOpenInThisProcess on Windows: an open without sharing fails while any handle holds
// the file.
#include "common/testing/open_files.h"

#include "common/platform/win32_api.h"

bool FileOpenInThisProcess(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION;
}
