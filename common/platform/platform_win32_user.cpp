// Windows backend: message boxes, string resources, message texts with numbered inserts,
// and other programs' windows (finding a window, setting a control's text, sending a
// command, reading a list view across the process boundary).
#include "common/platform/platform_win32.h"

#include "common/platform/win32_api.h"
#include <commctrl.h>

#include <cctype>
#include <cstring>

int PlatformBackend::MessageBox(const char* text, const char* caption, unsigned flags) {
  return MessageBoxA(nullptr, text ? text : "", caption ? caption : "", flags);
}

std::string PlatformBackend::LoadStringResource(unsigned id) {
  char buf[1024];
  int n = LoadStringA(GetModuleHandleA(nullptr), id, buf, sizeof buf);
  return n > 0 ? std::string(buf, (size_t)n) : std::string();
}

bool PlatformBackend::FormatInserts(const char* fmt, va_list args, std::string* out) {
  if (!fmt || !out) return false;
  if (!*fmt) {
    out->clear();
    return true;
  }
  va_list ap;
  va_copy(ap, args);
  char* buf = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER, fmt, 0,
                           0, reinterpret_cast<LPSTR>(&buf), 0, &ap);
  va_end(ap);
  if (!buf) {
    // A message that formats to nothing ("%0") is no failure.
    if (GetLastError() == ERROR_SUCCESS) {
      out->clear();
      return true;
    }
    return false;
  }
  out->assign(buf, n);
  LocalFree(buf);
  return true;
}

// --- other programs' windows ---------------------------------------------------------------

namespace {

struct WindowSearch {
  const char* className;
  const char* titlePrefix;
  HWND found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param) {
  auto* s = reinterpret_cast<WindowSearch*>(param);
  char cls[256] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (_stricmp(cls, s->className) != 0) return TRUE;
  char title[512] = {};
  GetWindowTextA(hwnd, title, sizeof title);
  for (char* p = title; *p; ++p) *p = (char)toupper((unsigned char)*p);
  if (strncmp(title, s->titlePrefix, strlen(s->titlePrefix)) != 0) return TRUE;
  s->found = hwnd;
  return FALSE;
}

}  // namespace

void* PlatformBackend::FindTopWindow(const char* className, const char* titlePrefix) {
  if (!className || !titlePrefix) return nullptr;
  WindowSearch search{className, titlePrefix};
  EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool PlatformBackend::SetChildText(void* window, int controlId, const char* text) {
  return window && SetDlgItemTextA((HWND)window, controlId, text ? text : "") != 0;
}

bool PlatformBackend::SendCommand(void* window, int commandId) {
  if (!window || !IsWindow((HWND)window)) return false;
  SendMessageA((HWND)window, WM_COMMAND, (WPARAM)commandId, 0);
  return true;
}

int PlatformBackend::ReadListView(void* window, unsigned long presetPid, int columns,
                                  int selectRow, std::vector<std::string>* rows,
                                  unsigned long* pid) {
  HWND hwnd = (HWND)window;
  char cls[64] = {};
  if (!hwnd || !GetClassNameA(hwnd, cls, sizeof cls) || _stricmp(cls, "SysListView32") != 0)
    return -1;
  DWORD owner = (DWORD)presetPid;
  if (owner == 0) GetWindowThreadProcessId(hwnd, &owner);
  if (pid) *pid = owner;
  if (owner == 0) return -2;
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                   PROCESS_QUERY_INFORMATION,
                               FALSE, owner);
  if (!process) return -3;

  // One block for the item description (its real size, not a fixed guess), one for text.
  const int kTextBlock = 1000, kTextMax = 512;
  void* remoteItem = VirtualAllocEx(process, nullptr, sizeof(LVITEMA), MEM_COMMIT,
                                    PAGE_READWRITE);
  void* remoteText = VirtualAllocEx(process, nullptr, kTextBlock, MEM_COMMIT, PAGE_READWRITE);
  if (remoteItem && remoteText && rows) {
    int count = (int)SendMessageA(hwnd, LVM_GETITEMCOUNT, 0, 0);
    if (count <= 0) count = 1000;
    for (int row = 0; row < count; ++row) {
      std::string line;
      for (int col = 0; col < columns; ++col) {
        LVITEMA item {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.iSubItem = col;
        item.pszText = static_cast<LPSTR>(remoteText);
        item.cchTextMax = kTextMax;
        SIZE_T done = 0;
        WriteProcessMemory(process, remoteItem, &item, sizeof item, &done);
        SendMessageA(hwnd, LVM_GETITEMTEXTA, (WPARAM)row, (LPARAM)remoteItem);
        char text[kTextMax + 1] = {};
        ReadProcessMemory(process, remoteText, text, kTextMax, &done);
        text[kTextMax] = 0;  // the other process's text need not be terminated
        line += text;
        if (columns > 1) line += "|";
      }
      if (selectRow > 0) {
        LVITEMA state {};
        state.stateMask = 15;
        state.state = row + 1 == selectRow ? LVIS_SELECTED : 0;
        SIZE_T done = 0;
        WriteProcessMemory(process, remoteItem, &state, sizeof state, &done);
        SendMessageA(hwnd, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)remoteItem);
      }
      rows->push_back(line);
    }
  }
  if (remoteItem) VirtualFreeEx(process, remoteItem, 0, MEM_RELEASE);
  if (remoteText) VirtualFreeEx(process, remoteText, 0, MEM_RELEASE);
  CloseHandle(process);
  return 0;
}
