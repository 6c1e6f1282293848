// Rollout.exe end to end under Wine, in the test prefix: the platform's folder with the
// stand-in editor, the release folder "C:\Database\RE_RI" with two libraries, one archive
// and a "Rollout.cfg" naming a program of ours. The dialog must appear with its title, show
// the installation line by line, keep "Close" disabled (and itself open) while it works,
// enable "Close" at the end, open its About box from the system menu, and end the process
// on IDCANCEL.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/platform/platform.h"
#include "common/testing/loaded_library.h"
#include "installer/testing/install_tree.h"
#include "installer/win32/dialog_probe.h"

namespace fs = std::filesystem;

namespace {

const std::string kPlatformRoot = "C:/Program Files/TS Support";
const std::string kHost = kPlatformRoot + "/MultiCharts64";
const std::string kRelease = "C:/Database/RE_RI";
const char* kTitle = "XMT Multichart Installer (1.2c)";

// Waits up to seconds for done() to hold.
template <typename Done>
bool WaitFor(double seconds, Done done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

class RolloutWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!InTestWinePrefix()) GTEST_SKIP() << "runs only in the build tree's Wine prefix";
    RemovePlaces();
  }
  void TearDown() override {
    if (InTestWinePrefix()) RemovePlaces();
  }
  static void RemovePlaces() {
    std::error_code ec;
    fs::remove_all(kPlatformRoot, ec);
    fs::remove_all(kRelease, ec);
  }
};

TEST_F(RolloutWineTest, InstallsTheReleaseFolderAndClosesWhenDone) {
  InstallTree program("rollout");  // Rollout.exe runs from here: its log and settings stay in
  const std::string exe = program.root() + "/Rollout.exe";
  std::error_code ec;
  fs::copy_file(TestProgramFolder() + ROLLOUT_FILE_NAME, exe, ec);
  ASSERT_FALSE(ec) << ec.message();
  fs::create_directories(kHost, ec);
  fs::create_directories(kRelease, ec);
  ASSERT_TRUE(InstallTree::PutStandin(kHost + "/PLEditor.exe"));
  ASSERT_TRUE(InstallTree::PutStandin(kRelease + "/after.exe"));
  ASSERT_TRUE(InstallTree::Put(kRelease + "/XMT_A.dll", 100));
  ASSERT_TRUE(InstallTree::Put(kRelease + "/XMT_B.DLL", 200));
  ASSERT_TRUE(InstallTree::PutText(kRelease + "/studies.pla", "0 1500"));  // the editor takes its time
  ASSERT_TRUE(InstallTree::PutText(kRelease + "/Rollout.cfg", "C:\\Database\\RE_RI\\after.exe\r\n"));

  long started = -1;
  unsigned long exitCode = 99;
  std::thread runner([&] {
    PlatformStart opts;
    opts.wait = true;
    started = Platform::Default().StartProcess(("\"" + exe + "\"").c_str(), opts, &exitCode);
  });

  void* dialog = nullptr;
  EXPECT_TRUE(WaitFor(30, [&] { return (dialog = FindDialogByTitle(kTitle)) != nullptr; }))
      << "no dialog titled " << kTitle;
  if (dialog) {
    const std::string stamp = ControlText(dialog, 1001);
    EXPECT_TRUE(stamp.size() > 2 && stamp.front() == '(' && stamp.back() == ')') << stamp;
    // While the installation runs, "Close" is disabled and IDCANCEL does not close.
    if (!ControlEnabled(dialog, 2)) {
      PostDialogCommand(dialog, 2);
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      EXPECT_TRUE(IsDialogAlive(dialog));
    }
    EXPECT_TRUE(WaitFor(60, [&] { return ControlEnabled(dialog, 2); })) << "Close stayed disabled";
    const std::string status = ControlText(dialog, 1000);
    for (const std::string& line : std::vector<std::string>{
             "Switching to install folder: C:\\Database\\RE_RI\r\n",
             "Starting Installation from: C:/Database/RE_RI (5 Files)\r\n",
             "Synchronized DLL module:\r\n  C:/Database/RE_RI/XMT_A.dll ->\r\n  " + kHost +
                 "/XMT_A.dll (0)\r\n",
             "Synchronized DLL module:\r\n  C:/Database/RE_RI/XMT_B.DLL ->\r\n  " + kHost +
                 "/XMT_B.DLL (0)\r\n",
             "Installing Logic Module: studies.pla (Click on File/Exit when completed)\r\n",
             "Installed PLA module:\r\n  C:\\Database\\RE_RI\\studies.pla (0)\r\n",
             "Opening App: C:\\Database\\RE_RI\\after.exe\r\n",
             "Installation completed successfully: (C:/Database/RE_RI)\r\n"}) {
      EXPECT_NE(status.find(line), std::string::npos) << line << "\nnot in:\n" << status;
    }
    // The About box of the system menu's entry (command 16).
    PostSystemCommand(dialog, 16);
    void* about = nullptr;
    EXPECT_TRUE(WaitFor(10, [&] { return (about = FindDialogByTitle("About Rollout")) != nullptr; }));
    if (about) {
      PostDialogCommand(about, 1);  // IDOK
      EXPECT_TRUE(WaitFor(10, [&] { return !IsDialogAlive(about); }));
    }
    PostDialogCommand(dialog, 2);  // IDCANCEL
  }
  runner.join();
  EXPECT_EQ(started, 0);
  EXPECT_EQ(exitCode, 0u);
  EXPECT_FALSE(IsDialogAlive(dialog));

  EXPECT_EQ(ReadWholeFile(kHost + "/XMT_A.dll"), std::string(100, 'x'));
  EXPECT_EQ(ReadWholeFile(kHost + "/XMT_B.DLL"), std::string(200, 'x'));
  EXPECT_EQ(InstallTree::Records(kHost + "/PLEditor.exe"),
            std::vector<std::string>{"C:\\Database\\RE_RI\\studies.pla"});
  EXPECT_TRUE(WaitFor(10, [] { return !InstallTree::Records(kRelease + "/after.exe").empty(); }))
      << "the program of Rollout.cfg did not run";
}

}  // namespace
