// rollout: the installer as a console program for POSIX systems.
//
// It runs the same installation as the Windows dialog, in the foreground: each status line
// is printed as it arrives, the platform's editor is run through LaunchFile and waited for,
// and the program exits with the installation's result code (0, -1, -2 or -3; the shell
// sees 0, 255, 254 or 253). The Windows folders the installation uses ("C:/Program Files/TS
// Support/MultiCharts64", "C:\Database\RE_RI") live below $XMT_ROOT, as for the libraries,
// so an installation can be tried out here before it is made on Windows.
#include <cstdio>
#include <string>

#include "common/settings/deliverable.h"
#include "common/settings/trace_log.h"
#include "common/text/txt.h"
#include "installer/install_core.h"
#include "installer/status_text.h"

namespace {

// Prints a status message at once, its CR LF line breaks as plain line ends.
void PrintStatus(const char* message) {
  std::string line = message ? message : "";
  for (size_t at = line.find("\r\n"); at != std::string::npos; at = line.find("\r\n", at)) {
    line.erase(at, 1);
  }
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

struct ConsoleConfig {
  ConsoleConfig() { SetDeliverableConfig(RolloutConfig(PrintStatus)); }
};
ConsoleConfig g_consoleConfig;

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    std::fprintf(stderr,
                 "usage: %s\n"
                 "Installs the release folder $XMT_ROOT/C/Database/RE_RI (or the current folder)\n"
                 "into $XMT_ROOT/C/Program Files/TS Support/MultiCharts64.\n",
                 argv[0]);
    return 2;
  }
  const InstallPlaces places;
  CTxt source;
  if (ChooseSourceFolder(places, source) != 0) return -1;
  const int result = InstallAndReport(places, source);
  LogTrace("*FLUSH", 1, "Saving Logfile...");
  return result;
}
