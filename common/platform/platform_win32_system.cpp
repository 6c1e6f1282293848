// Windows backend: profile strings, the registry, starting programs and fetching web pages
// through WinINet.
#include "common/platform/scoped_release.h"
#include "common/platform/platform_win32.h"

#include "common/platform/win32_api.h"
#include <wininet.h>

#include <algorithm>
#include <cstring>

// --- profile strings -----------------------------------------------------------------------

int PlatformBackend::ReadProfileString(const char* section, const char* key, const char* def,
                                       char* out, int size, const char* file) {
  if (!out || size <= 0) return 0;
  return (int)GetPrivateProfileStringA(section, key, def ? def : "", out, (DWORD)size, file);
}

bool PlatformBackend::WriteProfileString(const char* section, const char* key, const char* value,
                                         const char* file) {
  return WritePrivateProfileStringA(section, key, value, file) != 0;
}

// --- registry ------------------------------------------------------------------------------

long PlatformBackend::RegOpen(RegRoot root, const char* keyPath, bool create, bool wow64_32,
                              void** key) {
  if (!key || !keyPath) return ERROR_INVALID_PARAMETER;
  *key = nullptr;
  HKEY base = root == RegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  REGSAM view = wow64_32 ? KEY_WOW64_32KEY : 0;
  HKEY hk = nullptr;
  LONG rc;
  if (create) {
    DWORD disposition = 0;
    char keyClass[] = "Application Global Data";
    rc = RegCreateKeyExA(base, keyPath, 0, keyClass, REG_OPTION_NON_VOLATILE,
                         KEY_ALL_ACCESS | view, nullptr, &hk, &disposition);
  } else {
    rc = RegOpenKeyExA(base, keyPath, 0, KEY_READ | view, &hk);
  }
  if (rc == ERROR_SUCCESS) *key = hk;
  return rc;
}

long PlatformBackend::RegQueryString(void* key, const char* valueName, std::string* out) {
  if (!key) return ERROR_INVALID_HANDLE;
  DWORD type = 0, size = 0;
  LONG rc = RegQueryValueExA((HKEY)key, valueName, nullptr, &type, nullptr, &size);
  if (rc != ERROR_SUCCESS) return rc;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;
  std::string value(size + 1, '\0');
  rc = RegQueryValueExA((HKEY)key, valueName, nullptr, &type,
                        reinterpret_cast<BYTE*>(value.data()), &size);
  if (rc != ERROR_SUCCESS) return rc;
  value.resize(strlen(value.c_str()));  // stored with or without its terminating zero
  if (out) *out = value;
  return 0;
}

long PlatformBackend::RegQueryDword(void* key, const char* valueName, uint32_t* out) {
  if (!key) return ERROR_INVALID_HANDLE;
  DWORD type = 0, value = 0, size = sizeof value;
  LONG rc = RegQueryValueExA((HKEY)key, valueName, nullptr, &type,
                             reinterpret_cast<BYTE*>(&value), &size);
  if (rc == ERROR_MORE_DATA) return ERROR_INVALID_DATA;
  if (rc != ERROR_SUCCESS) return rc;
  if (type != REG_DWORD || size != sizeof value) return ERROR_INVALID_DATA;
  if (out) *out = value;
  return 0;
}

long PlatformBackend::RegSetString(void* key, const char* valueName, const char* value) {
  if (!key) return ERROR_INVALID_HANDLE;
  const char* v = value ? value : "";
  return RegSetValueExA((HKEY)key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(v),
                        (DWORD)strlen(v) + 1);
}

void PlatformBackend::RegClose(void* key) {
  if (key) RegCloseKey((HKEY)key);
}

// --- processes -----------------------------------------------------------------------------

long PlatformBackend::StartProcess(const char* commandLine, const PlatformStart& opts,
                                   unsigned long* exitCode) {
  if (!commandLine) return ERROR_INVALID_PARAMETER;
  STARTUPINFOA si {};
  si.cb = sizeof si;
  if (opts.useShowWindow) {
    si.dwFlags |= STARTF_USESHOWWINDOW;
    si.wShowWindow = (WORD)opts.show;
  }
  if (opts.fullScreen) si.dwFlags |= STARTF_RUNFULLSCREEN;
  DWORD flags = NORMAL_PRIORITY_CLASS | (opts.shareConsole ? 0 : DETACHED_PROCESS);
  std::string line = commandLine;  // CreateProcessA may write into the command line
  PROCESS_INFORMATION pi {};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                      &si, &pi))
    return (long)GetLastError();
  CloseHandle(pi.hThread);
  if (opts.wait) {
    DWORD code = STILL_ACTIVE;
    while (GetExitCodeProcess(pi.hProcess, &code) && code == STILL_ACTIVE) Sleep(100);
    if (exitCode) *exitCode = code;
  }
  CloseHandle(pi.hProcess);
  return 0;
}

// --- web -----------------------------------------------------------------------------------

int PlatformBackend::FetchPage(const char* url, const char* agent, size_t limit,
                               std::string* body) {
  if (!url || !body) return -2;
  body->clear();
  HINTERNET session = InternetOpenA(agent ? agent : "", INTERNET_OPEN_TYPE_PRECONFIG, nullptr,
                                    nullptr, 0);
  if (!session) return -1;
  ScopedRelease closeSession([session] { InternetCloseHandle(session); });
  HINTERNET page = InternetOpenUrlA(
      session, url, nullptr, 0,
      INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE, 0);
  if (!page) return -2;
  ScopedRelease closePage([page] { InternetCloseHandle(page); });
  int result = 0;
  char buf[4096];
  while (body->size() < limit) {
    DWORD want = (DWORD)std::min(sizeof buf, limit - body->size());
    DWORD got = 0;
    if (!InternetReadFile(page, buf, want, &got)) {
      result = -3;
      break;
    }
    if (got == 0) break;
    body->append(buf, got);
  }
  return result;
}
