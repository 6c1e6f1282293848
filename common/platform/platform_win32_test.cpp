// The Windows backend where Wine gives us the real thing but no peer program is needed:
// a list view of our own process read through the cross-process route, the class check
// that turns other windows away, and the flags a study's text goes to the speech service
// with.
#include <gtest/gtest.h>

#include "common/platform/platform.h"
#include "common/platform/platform_win32.h"
#include "common/platform/win32_api.h"
#include <commctrl.h>
#include <sapi.h>

namespace {

struct Window {
  HWND hwnd = nullptr;
  Window(const char* cls, DWORD style) {
    hwnd = CreateWindowExA(0, cls, "XMT list", style, 0, 0, 300, 200, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  }
  ~Window() {
    if (hwnd) DestroyWindow(hwnd);
  }
};

void AddRow(HWND list, int row, const char* first, const char* second) {
  LVITEMA item {};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.pszText = const_cast<char*>(first);
  SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&item);
  item.iSubItem = 1;
  item.pszText = const_cast<char*>(second);
  SendMessageA(list, LVM_SETITEMTEXTA, (WPARAM)row, (LPARAM)&item);
}

TEST(Win32Platform, ReadsListViewRowsAndSelectsTheAskedRow) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
  ASSERT_TRUE(InitCommonControlsEx(&icc));
  Window list(WC_LISTVIEWA, WS_OVERLAPPEDWINDOW | LVS_REPORT);
  ASSERT_NE(list.hwnd, nullptr);
  for (int col = 0; col < 2; ++col) {
    LVCOLUMNA c {};
    c.mask = LVCF_TEXT | LVCF_WIDTH;
    c.cx = 100;
    c.pszText = const_cast<char*>(col ? "Price" : "Name");
    SendMessageA(list.hwnd, LVM_INSERTCOLUMNA, (WPARAM)col, (LPARAM)&c);
  }
  AddRow(list.hwnd, 0, "ES", "4500.25");
  AddRow(list.hwnd, 1, "NQ", "");
  AddRow(list.hwnd, 2, "CL", "71.3");

  std::vector<std::string> rows;
  unsigned long pid = 0;
  ASSERT_EQ(Platform::Default().ReadListView(list.hwnd, 0, 2, 2, &rows, &pid), 0);
  EXPECT_EQ(pid, GetCurrentProcessId());
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], "ES|4500.25|");
  EXPECT_EQ(rows[1], "NQ||");
  EXPECT_EQ(rows[2], "CL|71.3|");
  EXPECT_EQ(SendMessageA(list.hwnd, LVM_GETITEMSTATE, 1, LVIS_SELECTED), LVIS_SELECTED);
  EXPECT_EQ(SendMessageA(list.hwnd, LVM_GETITEMSTATE, 0, LVIS_SELECTED), 0);

  rows.clear();  // one column: no separators
  ASSERT_EQ(Platform::Default().ReadListView(list.hwnd, 0, 1, 0, &rows, &pid), 0);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[2], "CL");

  Window other("STATIC", WS_OVERLAPPEDWINDOW);
  ASSERT_NE(other.hwnd, nullptr);
  EXPECT_EQ(Platform::Default().ReadListView(other.hwnd, 0, 1, 0, &rows, &pid), -1);
}

// A study's text is plain text to the speech service in both speaking modes: markup such
// as "<volume level='0'/>alert" must be read out, not obeyed (or mute the alert).
TEST(Win32Platform, SpeechTextIsNeverTakenAsMarkup) {
  for (int mode : {0, 1}) {
    const unsigned long flags = Win32SpeechFlags(mode);
    EXPECT_EQ((unsigned long)SPF_IS_NOT_XML, flags & (SPF_IS_NOT_XML | SPF_IS_XML)) << mode;
    EXPECT_EQ(mode == 0, (flags & SPF_ASYNC) != 0) << mode;  // only SpeakWait waits
  }
  EXPECT_NE(0ul, Win32SpeechFlags(2) & SPF_PURGEBEFORESPEAK);
}

}  // namespace
