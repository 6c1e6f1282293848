// The console program rollout end to end below a temporary $XMT_ROOT: the release folder
// with two libraries, an archive and a "Rollout.cfg" naming a program, the platform's
// folder with the stand-in editor; then the same without the platform's folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/platform/modules.h"
#include "common/platform/platform.h"
#include "common/testing/loaded_library.h"
#include "installer/testing/install_tree.h"

namespace {

// The platform's folder as the messages name it: the Windows path, kept below $XMT_ROOT.
const std::string kHost = "C:/Program Files/TS Support/MultiCharts64";

class RolloutConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    xmtRoot_ = tree_.Make(tree_.root() + "/xmt");
    SetEnvironmentValue("XMT_ROOT", xmtRoot_.c_str());
    SetEnvironmentValue("XMT_HOST_DIR", tree_.Make(tree_.root() + "/program").c_str());
    host_ = xmtRoot_ + "/C/Program Files/TS Support/MultiCharts64";
    release_ = xmtRoot_ + "/C/Database/RE_RI";
  }
  void TearDown() override {
    SetEnvironmentValue("XMT_ROOT", savedRoot_.c_str());
    SetEnvironmentValue("XMT_HOST_DIR", savedHost_.c_str());
  }
  // Runs rollout; result its exit code, *out what it printed.
  unsigned long Run(std::string* out) {
    const std::string printed = tree_.root() + "/printed.txt";
    const std::string line =
        "cmd /C \"" + TestProgramFolder() + ROLLOUT_FILE_NAME + "\" > \"" + printed + "\"";
    PlatformStart opts;
    opts.wait = true;
    unsigned long code = 99;
    EXPECT_EQ(Platform::Default().StartProcess(line.c_str(), opts, &code), 0);
    *out = ReadWholeFile(printed);
    return code;
  }

  InstallTree tree_{"console"};
  std::string xmtRoot_;
  std::string host_;
  std::string release_;
  std::string savedRoot_ = Env("XMT_ROOT");
  std::string savedHost_ = Env("XMT_HOST_DIR");

 private:
  static std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
  }
};

TEST_F(RolloutConsoleTest, InstallsTheReleaseFolderBelowXmtRoot) {
  tree_.Make(host_);
  tree_.Make(release_);
  ASSERT_TRUE(InstallTree::PutStandin(host_ + "/PLEditor.exe"));
  ASSERT_TRUE(InstallTree::PutStandin(release_ + "/ran.exe"));
  ASSERT_TRUE(InstallTree::Put(release_ + "/XMT_ONE.dll", 100));
  ASSERT_TRUE(InstallTree::Put(release_ + "/XMT_TWO.DLL", 200));
  ASSERT_TRUE(InstallTree::PutText(release_ + "/studies.pla", "0"));
  ASSERT_TRUE(InstallTree::PutText(release_ + "/Rollout.cfg", "./ran.exe\n"));

  std::string out;
  EXPECT_EQ(Run(&out), 0u) << out;
  for (const std::string& line : std::vector<std::string>{
           "Switching to install folder: C:\\Database\\RE_RI\n",
           "Synchronized DLL module:\n  " + release_ + "/XMT_ONE.dll ->\n  " + kHost +
               "/XMT_ONE.dll (0)\n",
           "Installing Logic Module: studies.pla (Click on File/Exit when completed)\n",
           "Installed PLA module:\n  " + release_ + "/studies.pla (0)\n",
           "Opening App: ./ran.exe\n",
           "Installation completed successfully: (" + release_ + ")\n"}) {
    EXPECT_NE(out.find(line), std::string::npos) << line << "\nin:\n" << out;
  }
  EXPECT_EQ(out.find('\r'), std::string::npos);
  EXPECT_EQ(ReadWholeFile(host_ + "/XMT_TWO.DLL"), std::string(200, 'x'));
  EXPECT_EQ(InstallTree::Records(host_ + "/PLEditor.exe"),
            std::vector<std::string>{release_ + "/studies.pla"});
  // The configured program is started without waiting for it.
  for (int i = 0; i < 100 && InstallTree::Records(release_ + "/ran.exe").empty(); ++i) {
    Platform::Default().SleepMs(50);
  }
  EXPECT_EQ(InstallTree::Records(release_ + "/ran.exe"), std::vector<std::string>{""});

  // A second run finds the libraries in place.
  EXPECT_EQ(Run(&out), 0u) << out;
  EXPECT_NE(out.find("Found installed DLL module(200):\n  " + release_ + "/XMT_TWO.DLL"),
            std::string::npos)
      << out;
}

TEST_F(RolloutConsoleTest, WithoutThePlatformTheExitCodeIsMinusTwo) {
  tree_.Make(release_);
  std::string out;
  EXPECT_EQ(Run(&out), 254u) << out;  // -2 as the shell sees it
  EXPECT_NE(out.find("Cannot find MultiChart 64 Home Folder (" + kHost + ")\n"), std::string::npos)
      << out;
  EXPECT_NE(out.find("Installation completed(-2): (" + release_ + ")\n"), std::string::npos) << out;
}

}  // namespace
