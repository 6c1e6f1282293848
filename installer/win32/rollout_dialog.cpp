// Rollout.exe: the installer as a Windows dialog.
//
// The main dialog shows the installation's status text, refreshed by a 500 ms timer. The
// first tick starts the install worker (a start that fails is logged and tried again on the
// next tick); the worker runs the installation, reports its result and, one second later,
// enables "Close". Until then the dialog cannot be closed: closing it would end the process
// in the middle of a copy or while the platform's editor imports an archive.
#include "common/platform/win32_api.h"

#include <cstdio>
#include <string>

#include "common/settings/deliverable.h"
#include "common/settings/trace_log.h"
#include "common/text/txt.h"
#include "installer/install_core.h"
#include "installer/status_text.h"
#include "installer/win32/rollout_resource.h"

namespace {

constexpr UINT_PTR kTimerId = 1969;
constexpr UINT kTimerMs = 500;

struct RolloutConfigSetter {
  RolloutConfigSetter() { SetDeliverableConfig(RolloutConfig(RolloutStatusSink)); }
};
RolloutConfigSetter g_config;

// State of the main dialog; the window thread owns it, the worker reads source only.
struct DialogState {
  HWND dialog = nullptr;
  HICON icon = nullptr;
  UINT_PTR timer = 0;
  HANDLE worker = nullptr;
  InstallPlaces places;
  CTxt source;
};
DialogState g_state;

DWORD WINAPI InstallWorker(LPVOID context) {
  auto* state = static_cast<DialogState*>(context);
  InstallAndReport(state->places, state->source);
  LogTrace("*FLUSH", 1, "Saving Logfile...");
  Sleep(1000);
  EnableWindow(GetDlgItem(state->dialog, IDCANCEL), TRUE);
  return 0;
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

void AddAboutEntry(HWND dialog) {
  HMENU menu = GetSystemMenu(dialog, FALSE);
  char text[64] = "";
  if (!menu || LoadStringA(GetModuleHandleA(nullptr), IDS_ABOUTBOX, text, sizeof text) <= 0) return;
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, text);
}

// Result false when the dialog cannot start (no timer, no current folder).
bool InitDialog(HWND dialog) {
  g_state.dialog = dialog;
  g_state.timer = SetTimer(dialog, kTimerId, kTimerMs, nullptr);
  if (!g_state.timer) return false;

  AddAboutEntry(dialog);
  g_state.icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
  SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_state.icon));
  SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_state.icon));
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "(%s %s)", __DATE__, __TIME__);
  SetDlgItemTextA(dialog, IDC_BUILD_STAMP, stamp);

  if (ChooseSourceFolder(g_state.places, g_state.source) != 0) return false;
  char title[64];
  std::snprintf(title, sizeof title, "XMT Multichart Installer (%s)", kRolloutVersion);
  SetWindowTextA(dialog, title);
  SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  return true;
}

void OnTick(HWND dialog) {
  if (!g_state.worker) {
    g_state.worker = CreateThread(nullptr, 0, InstallWorker, &g_state, 0, nullptr);
    if (!g_state.worker) LogTrace(kRolloutCategory, 1, "Install Task failed");
  }
  HWND status = GetDlgItem(dialog, IDC_STATUS);
  std::string shown(static_cast<size_t>(GetWindowTextLengthA(status)) + 1, '\0');
  shown.resize(static_cast<size_t>(GetWindowTextA(status, shown.data(), static_cast<int>(shown.size()))));
  if (RolloutStatus().Refresh(&shown)) SetWindowTextA(status, shown.c_str());
}

void PaintMinimised(HWND dialog) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(dialog, &paint);
  RECT client;
  GetClientRect(dialog, &client);
  const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, g_state.icon);
  EndPaint(dialog, &paint);
}

INT_PTR CALLBACK RolloutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      if (!InitDialog(dialog)) EndDialog(dialog, -1);
      return TRUE;
    case WM_TIMER:
      if (wParam == kTimerId) OnTick(dialog);
      return TRUE;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUTBOX), dialog,
                        AboutProc, 0);
        return TRUE;
      }
      return FALSE;
    case WM_PAINT:
      if (!IsIconic(dialog)) return FALSE;
      PaintMinimised(dialog);
      return TRUE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(g_state.icon);
    case WM_COMMAND:
      // Escape and the title bar's close box come here too; like the button, they close
      // the dialog only once the installation is over.
      if (LOWORD(wParam) == IDCANCEL && IsWindowEnabled(GetDlgItem(dialog, IDCANCEL))) {
        EndDialog(dialog, IDCANCEL);
      }
      return TRUE;
    case WM_DESTROY:
      if (g_state.timer) KillTimer(dialog, kTimerId);
      g_state.timer = 0;
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ROLLOUT_DIALOG), nullptr, RolloutProc, 0);
  if (g_state.worker) CloseHandle(g_state.worker);
  return 0;
}
