// Process starts, the browser command, the Windows version and the registry string, against
// the platform of this build (its registry is a file below the test's root on POSIX).
#include <gtest/gtest.h>

#include <string>

#include "common/platform/platform.h"
#include "common/processes.h"
#include "common/reg_string.h"
#include "common/txt.h"

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
