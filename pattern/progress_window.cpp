// Progress display: finds (or starts) the BarGaugeView program and hands it one line of text.
#include "pattern/progress_window.h"

#include <cstdint>

#include "common/platform/platform.h"
#include "common/settings/processes.h"
#include "common/text/txt.h"

namespace {

constexpr const char* kWindowClass = "#32770";
constexpr const char* kTitlePrefix = "BARGAUGEVIEW";
constexpr const char* kProgram = "!BarGaugeView.exe";
constexpr int kTextControl = 1004;
constexpr int kTextChangedCommand = 1002;
constexpr int kLookupsAfterStart = 100;

int g_displayOn = 1;
void* g_window = nullptr;  // the last window found; looked up again on every call

}  // namespace

void SetProgressDisplay(int on) { g_displayOn = on != 0 ? 1 : 0; }

int ProgressDisplay() { return g_displayOn; }

int UpdateProgressWindow(const char* text, int position, int total) {
  // 64-bit sums so that extreme positions cannot overflow; the division itself is single
  // precision.
  float percent = 50.0f;
  if (total >= 2) {
    percent = static_cast<float>(static_cast<int64_t>(position) + 1) * 100.0f /
              static_cast<float>(static_cast<int64_t>(total) + 1);
  }
  if (!g_displayOn) return 99;

  Platform& platform = Platform::Default();
  g_window = platform.FindTopWindow(kWindowClass, kTitlePrefix);
  if (!g_window) {
    LaunchFile(kProgram, 0);
    for (int i = 0; i < kLookupsAfterStart && !g_window; ++i) {
      g_window = platform.FindTopWindow(kWindowClass, kTitlePrefix);
    }
    if (!g_window) return -1;
  }

  CTxt line;
  const int shown = static_cast<int>(static_cast<int64_t>(position) + 1);
  line.Format("%.1f\t%d of %d - %s", static_cast<double>(percent), shown, total,
              text ? text : "");
  platform.SetChildText(g_window, kTextControl, line);
  platform.SendCommand(g_window, kTextChangedCommand);
  return 0;
}
