// Process starts, the browser command, the Windows version and the registry string, against
// the platform of this build (its registry is a file below the test's root on POSIX).
#include <gtest/gtest.h>

#include <string>

#include "common/testing/fake_platform.h"
#include "common/platform/platform.h"
#include "common/settings/processes.h"
#include "common/settings/reg_string.h"
#include "common/settings/settings.h"
#include "common/testing/test_dirs.h"
#include "common/text/txt.h"

namespace {

TEST(LaunchFile, WaitsAndReportsTheExitCode) {
  EXPECT_EQ(LaunchFile("<!cmd /C exit 3", 0), 3);
  EXPECT_EQ(LaunchFile("<~!cmd /C exit 0", 0), 0);
  // Started without waiting: 1.
  EXPECT_EQ(LaunchFile("!cmd /C exit 5", 0), 1);
}

TEST(LaunchFile, StartFailureIsNegativeSystemCode) {
  int r = LaunchFile("<!xmt_no_such_program_4711.exe", 0);
  EXPECT_LT(r, 0);
  EXPECT_NE(r, -1);
}

TEST(GetWindowsVersion, NeverTheNineXFamilyHere) {
  int v = GetWindowsVersion();
  EXPECT_LT(v, 9000);
  if (Platform::Default().PathsIgnoreCase()) {
    EXPECT_GE(v, 500);
  }
}

TEST(BrowserCommand, FieldsOfTheRegisteredCommand) {
  char out[256];
  BrowserCommandFromRegistry(
      "\"C:\\Program Files\\Mozilla Firefox\\firefox.exe\" -osint -url \"%1\"", out, sizeof out);
  EXPECT_STREQ(out, "\"C:/Program Files/Mozilla Firefox/firefox.exe\" -osint -url ");
  BrowserCommandFromRegistry("C:\\b.exe  %1 HTTP://x.com htt Https -new", out, sizeof out);
  EXPECT_STREQ(out, "C:/b.exe Https -new ");
  BrowserCommandFromRegistry(nullptr, out, sizeof out);
  EXPECT_STREQ(out, "");
  // Never more than the caller's buffer.
  char small[6] = "?????";
  BrowserCommandFromRegistry("abcdefgh ij", small, 4);
  EXPECT_STREQ(small, "abc");
  EXPECT_EQ(small[4], '?');
}

TEST(ReadRegString, CreatesTheKeyWithTheDefaultThenReadsIt) {
  const char* key = "XmtSettingsTest";
  CTxt out("stale");
  // Without the create flag a missing key is an error.
  EXPECT_EQ(ReadRegString("DRIVE", out, "C:", "XmtSettingsTestNoSuchKey", 0), -1);
  EXPECT_EQ(out.GetLength(), 0);
  std::string value = "D:" + std::to_string(Platform::Default().UnixNow());
  EXPECT_EQ(ReadRegString("DRIVE", out, value.c_str(), key, 1), 0);
  // A value written by an earlier run stays; otherwise ours was written.
  std::string first = static_cast<const char*>(out);
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(ReadRegString("DRIVE", out, "other", key, 0), 0);
  EXPECT_EQ(std::string(static_cast<const char*>(out)), first);
  // A missing value gets the default; only a key opened with the create flag can take it.
  std::string fresh = "Fresh" + std::to_string(Platform::Default().UnixNow()) + "_" +
                      std::to_string(Platform::Default().CurrentProcessId());
  EXPECT_EQ(ReadRegString(fresh.c_str(), out, value.c_str(), key, 0), -2);
  EXPECT_EQ(std::string(static_cast<const char*>(out)), value);
  EXPECT_EQ(ReadRegString(fresh.c_str(), out, value.c_str(), key, 1), 0);
  EXPECT_EQ(ReadRegString(fresh.c_str(), out, "ignored", key, 0), 0);
  EXPECT_EQ(std::string(static_cast<const char*>(out)), value);
  // A null default reads and is written as empty.
  EXPECT_EQ(ReadRegString((fresh + "N").c_str(), out, nullptr, key, 1), 0);
  EXPECT_EQ(out.GetLength(), 0);
  EXPECT_EQ(ReadRegString((fresh + "N").c_str(), out, "x", key, 0), 0);
  EXPECT_EQ(out.GetLength(), 0);
}

}  // namespace

namespace {

// Process starts as the fake records them; nothing is started or shown.
class LaunchFakeTest : public ::testing::Test {
 protected:
  void SetUp() override { SettingsResetForTest(dir_.File("settings.ini").c_str()); }
  void TearDown() override { SettingsResetForTest(); }
  ScopedTempDir dir_{"launch"};
  FakePlatform fake_;
  ScopedPlatform scope_{fake_};
};

TEST_F(LaunchFakeTest, PrefixesSelectTheStartFlags) {
  fake_.processExitCode = 7;
  EXPECT_EQ(LaunchFile("<#!prog a b", 0), 7);
  EXPECT_EQ(LaunchFile("~@!prog c", 0), 1);
  EXPECT_EQ(LaunchFile("!prog d", 0), 1);
  ASSERT_EQ(fake_.processes.size(), 3u);
  const PlatformStart& full = fake_.processes[0].opts;
  EXPECT_EQ(fake_.processes[0].commandLine, "prog a b");
  EXPECT_TRUE(full.wait && full.fullScreen && full.shareConsole && full.useShowWindow);
  EXPECT_EQ(full.show, 1);
  const PlatformStart& mini = fake_.processes[1].opts;
  EXPECT_FALSE(mini.wait || mini.fullScreen);
  EXPECT_TRUE(mini.shareConsole);
  EXPECT_EQ(mini.show, 2);
  const PlatformStart& plain = fake_.processes[2].opts;
  EXPECT_FALSE(plain.wait || plain.fullScreen || plain.shareConsole);
  EXPECT_EQ(plain.show, 1);
  EXPECT_TRUE(fake_.messageBoxes.empty());
}

TEST_F(LaunchFakeTest, FilesGoThroughTheCommandInterpreter) {
  std::string file = dir_.File("doc.txt");
  ASSERT_TRUE(WriteWholeFile(file, "x"));
  EXPECT_EQ(LaunchFile(("<" + file).c_str(), 0), 0);
  ASSERT_EQ(fake_.processes.size(), 1u);
  EXPECT_EQ(fake_.processes[0].commandLine, "cmd /C \"" + file + "\"");
  // A missing file is reported whatever showErrors says, and nothing starts.
  EXPECT_EQ(LaunchFile(dir_.File("none.txt").c_str(), 0), -1);
  EXPECT_EQ(fake_.processes.size(), 1u);
  ASSERT_EQ(fake_.messageBoxes.size(), 1u);
  EXPECT_EQ(fake_.messageBoxes[0].text.rfind("File Launch Error (", 0), 0u);
}

TEST_F(LaunchFakeTest, StartFailures) {
  fake_.processStartError = 2;
  EXPECT_EQ(LaunchFile("!nothing here", 0), -2);
  EXPECT_TRUE(fake_.messageBoxes.empty());
  EXPECT_EQ(LaunchFile("<!nothing here", 1), -2);
  ASSERT_EQ(fake_.messageBoxes.size(), 1u);
  EXPECT_EQ(fake_.messageBoxes[0].text.rfind("File Launch Error (2) in:\r\nnothing here\r\n", 0), 0u)
      << fake_.messageBoxes[0].text;
  EXPECT_EQ(OpenInBrowser("http://x.com/a", 0), -1);
  ASSERT_EQ(fake_.messageBoxes.size(), 2u);
  EXPECT_EQ(fake_.messageBoxes[1].caption, "View Error");
  EXPECT_NE(fake_.messageBoxes[1].text.find("' (2)\r\n"), std::string::npos);
}

TEST_F(LaunchFakeTest, EditorFromTheSettings) {
  EXPECT_EQ(LaunchFile("^c:/dir/f.txt", 0), 1);
  char editor[32];
  ReadIniString("SYS", "EDITOR", "", editor, sizeof editor);
  EXPECT_STREQ(editor, "NOTEPAD");  // written back
  WriteIniString("SYS", "EDITOR", "myedit");
  LaunchFile("^c:/dir/g.txt", 0);
  ASSERT_EQ(fake_.processes.size(), 2u);
  bool windows = Platform::Default().PathsIgnoreCase();
  EXPECT_EQ(fake_.processes[0].commandLine,
            windows ? "NOTEPAD \"c:\\dir\\f.txt\"" : "NOTEPAD \"c:/dir/f.txt\"");
  EXPECT_EQ(fake_.processes[1].commandLine.rfind("myedit \"", 0), 0u);
}

TEST_F(LaunchFakeTest, BrowserCommandLine) {
  WriteIniString("INTERNET", "Browser", "C:\\b\\browser.exe");
  EXPECT_EQ(OpenInBrowser("c:\\help\\page.htm", 1), 0);
  ASSERT_EQ(fake_.processes.size(), 1u);
  EXPECT_TRUE(fake_.processes[0].opts.wait);
  // The registered http command (where there is one) replaced the setting.
  char browser[512];
  ReadIniString("INTERNET", "Browser", "", browser, sizeof browser);
  std::string expect = std::string(browser) + " \"c:/help/page.htm\"";
  for (char& c : expect) {
    if (c == '\\') c = '/';
  }
  EXPECT_EQ(fake_.processes[0].commandLine, expect);
}

}  // namespace
