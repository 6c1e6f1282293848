// A stand-in for the BarGaugeView progress program, for the win64 tests.
//
// Usage: progress_peer <output file>
// Shows a dialog-class window titled "BarGaugeView - test" with a static control 1004. When
// WM_COMMAND 1002 arrives it writes the control's text into the output file and exits. It
// gives up by itself after a minute so that a failed test leaves nothing running.
#include <cstdio>
#include <cstring>

#include "common/platform/win32_api.h"

namespace {

const char* g_outFile = nullptr;
constexpr int kTextControl = 1004;
constexpr int kTextChangedCommand = 1002;
constexpr UINT_PTR kGiveUpTimer = 1;

INT_PTR CALLBACK PeerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetTimer(dialog, kGiveUpTimer, 60000, nullptr);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == kTextChangedCommand) {
        char text[1024] = "";
        GetDlgItemTextA(dialog, kTextControl, text, sizeof text);
        if (FILE* f = std::fopen(g_outFile, "wb")) {
          std::fwrite(text, 1, std::strlen(text), f);
          std::fclose(f);
        }
        DestroyWindow(dialog);
      }
      return TRUE;
    case WM_TIMER:
      DestroyWindow(dialog);
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return TRUE;
    default:
      return FALSE;
  }
}

// Appends a zero-terminated wide copy of an ASCII text to a dialog template.
WORD* PutText(WORD* p, const char* text) {
  while (*text) *p++ = static_cast<WORD>(static_cast<unsigned char>(*text++));
  *p++ = 0;
  return p;
}

WORD* AlignDword(WORD* p) {
  return reinterpret_cast<WORD*>((reinterpret_cast<ULONG_PTR>(p) + 3) & ~ULONG_PTR{3});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: progress_peer <output file>\n");
    return 2;
  }
  g_outFile = argv[1];

  // An in-memory dialog template: the dialog itself and one static control.
  alignas(4) static WORD buffer[512] = {};
  auto* dlg = reinterpret_cast<DLGTEMPLATE*>(buffer);
  dlg->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
  dlg->cdit = 1;
  dlg->cx = 240;
  dlg->cy = 40;
  WORD* p = reinterpret_cast<WORD*>(dlg + 1);
  *p++ = 0;  // no menu
  *p++ = 0;  // the standard dialog class
  p = PutText(p, "BarGaugeView - test");
  p = AlignDword(p);
  auto* item = reinterpret_cast<DLGITEMTEMPLATE*>(p);
  item->style = WS_CHILD | WS_VISIBLE | SS_LEFT;
  item->x = 5;
  item->y = 5;
  item->cx = 230;
  item->cy = 20;
  item->id = kTextControl;
  p = reinterpret_cast<WORD*>(item + 1);
  *p++ = 0xFFFF;
  *p++ = 0x0082;  // static control
  *p++ = 0;       // no initial text
  *p++ = 0;       // no creation data

  HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dlg, nullptr, PeerProc, 0);
  if (!dialog) {
    std::fprintf(stderr, "progress_peer: no dialog (%lu)\n", GetLastError());
    return 1;
  }
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return 0;
}
