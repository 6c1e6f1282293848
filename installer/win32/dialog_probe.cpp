// Test support: the dialog of another process, seen from outside (see dialog_probe.h).
#include "installer/win32/dialog_probe.h"

#include "common/platform/win32_api.h"

#include <cstdlib>

bool InTestWinePrefix() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return false;
  const char* prefix = std::getenv("WINEPREFIX");
  const char* ours = std::getenv("XMT_WINEPREFIX");
  return prefix && ours && *ours && std::string(prefix) == ours;
}

void* FindDialogByTitle(const char* title) { return FindWindowA("#32770", title); }

bool IsDialogAlive(void* dialog) { return dialog && IsWindow(static_cast<HWND>(dialog)); }

std::string DialogTitle(void* dialog) { return ControlText(dialog, 0); }

std::string ControlText(void* dialog, int controlId) {
  HWND window = static_cast<HWND>(dialog);
  if (controlId != 0) window = GetDlgItem(window, controlId);
  if (!window) return "<no control>";
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) {
    return "<no answer>";
  }
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 5000, &copied);
  text.resize(copied);
  return text;
}

bool ControlEnabled(void* dialog, int controlId) {
  HWND control = GetDlgItem(static_cast<HWND>(dialog), controlId);
  return control && IsWindowEnabled(control);
}

void PostDialogCommand(void* dialog, int commandId) {
  PostMessageA(static_cast<HWND>(dialog), WM_COMMAND, static_cast<WPARAM>(commandId), 0);
}

void PostSystemCommand(void* dialog, unsigned command) {
  PostMessageA(static_cast<HWND>(dialog), WM_SYSCOMMAND, static_cast<WPARAM>(command), 0);
}
