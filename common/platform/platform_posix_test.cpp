// The POSIX backend where it has to make its own choices: where host paths, bare profile
// file names and the registry live, the "cmd /C" translation, argument splitting, and the
// guard against changing the real clock.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "common/platform/platform.h"
#include "common/platform/platform_posix.h"
#include "common/testing/test_dirs.h"

namespace {

Platform& P() { return NativePlatform(); }

std::string Root() { return getenv("XMT_ROOT") ? getenv("XMT_ROOT") : ""; }

long RunWaiting(const char* line, unsigned long* code) {
  PlatformStart opts;
  opts.wait = true;
  return P().StartProcess(line, opts, code);
}

TEST(PosixPlatform, MainProgramFollowsHostDirAndModuleIsReal) {
  const char* host = getenv("XMT_HOST_DIR");
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(P().MainProgramPath(), std::string(host) + "/platform_test");
  EXPECT_EQ(P().FileAccess(P().ModulePath().c_str(), 4), 0);
  EXPECT_FALSE(P().PathsIgnoreCase());
}

TEST(PosixPlatform, BareProfileNameLivesInTheWindowsFolderAndDriveFilesBelowRoot) {
  ASSERT_TRUE(P().WriteProfileString("S", "k", "v", "xmt_contract.ini"));
  EXPECT_EQ(ReadWholeFile(Root() + "/C/Windows/xmt_contract.ini"), "[S]\r\nk=v\r\n");
  P().RemoveFile((Root() + "/C/Windows/xmt_contract.ini").c_str());

  EXPECT_GE(P().MakeDir("C:\\"), 0);
  ASSERT_TRUE(P().WriteProfileString("S", "k", "v", "c:\\host.ini"));
  char buf[8];
  EXPECT_EQ(P().ReadProfileString("s", "K", "", buf, sizeof buf, "C:/HOST.ini"), 0)
      << "file names are never case-folded";
  EXPECT_EQ(P().ReadProfileString("s", "K", "", buf, sizeof buf, "C:/host.ini"), 1);
}

// On a fresh machine neither $XMT_ROOT nor its drive folders exist yet; like a Windows
// drive, the drive folder is there as soon as a path on it is used, so logs, data folders
// and the registry can be written.
TEST(PosixPlatform, FreshRootGetsItsDriveFolderAndRegistry) {
  ScopedTempDir tmp("fresh-root");
  const std::string saved = Root();
  const std::string root = tmp.File("not/yet/there");
  setenv("XMT_ROOT", root.c_str(), 1);
  EXPECT_EQ(P().MakeDir("C:/Database"), 0);
  EXPECT_EQ(P().MakeDir("C:/Database/DO_DER"), 0);
  void* key = nullptr;
  EXPECT_EQ(P().RegOpen(RegRoot::LocalMachine, "Software\\XMT\\Fresh", true, true, &key), 0);
  if (key) P().RegClose(key);
  setenv("XMT_ROOT", saved.c_str(), 1);
  PlatformFileInfo info;
  ASSERT_EQ(P().FileStat((root + "/C/Database/DO_DER").c_str(), &info), 0);
  EXPECT_TRUE(info.isDirectory);
  EXPECT_EQ(P().FileAccess((root + "/registry.ini").c_str(), 4), 0);
}

TEST(PosixPlatform, ProfileKeepsTheLineEndingsOfTheFile) {
  ScopedTempDir dir("posix");
  std::string file = dir.File("lf.ini");
  ASSERT_TRUE(WriteWholeFile(file, "[A]\nx=1\n[B]\ny=2\n"));
  ASSERT_TRUE(P().WriteProfileString("A", "z", "3", file.c_str()));
  EXPECT_EQ(ReadWholeFile(file), "[A]\nx=1\nz=3\n[B]\ny=2\n");
  ASSERT_TRUE(P().WriteProfileString("A", nullptr, nullptr, file.c_str()));  // drop section
  EXPECT_EQ(ReadWholeFile(file), "[B]\ny=2\n");
}

TEST(PosixPlatform, RegistryIsAnIniFileBelowRoot) {
  void* key = nullptr;
  ASSERT_EQ(P().RegOpen(RegRoot::CurrentUser, "Software\\XMT\\PosixTest", true, false, &key), 0);
  EXPECT_EQ(P().RegSetString(key, nullptr, "default"), 0);
  std::string value;
  EXPECT_EQ(P().RegQueryString(key, "", &value), 0);
  EXPECT_EQ(value, "default");
  P().RegClose(key);
  std::string text = ReadWholeFile(Root() + "/registry.ini");
  EXPECT_NE(text.find("[HKCU\\Software\\XMT\\PosixTest]"), std::string::npos);
  EXPECT_NE(text.find("@=\"default\""), std::string::npos);

  // A number stored by hand, the way an installer script would.
  ASSERT_TRUE(P().WriteProfileString("HKLM\\Software\\XMT\\Num", "Count", "dword:0000002a",
                                     (Root() + "/registry.ini").c_str()));
  ASSERT_EQ(P().RegOpen(RegRoot::LocalMachine, "Software\\XMT\\Num", false, true, &key), 0);
  uint32_t number = 0;
  EXPECT_EQ(P().RegQueryDword(key, "count", &number), 0);
  EXPECT_EQ(number, 42u);
  EXPECT_NE(P().RegQueryString(key, "Count", &value), 0);
  P().RegClose(key);
}

TEST(PosixPlatform, CommandLinesAndShell) {
  ScopedTempDir dir("spawn");
  unsigned long code = 0;
  std::string out = dir.File("out.txt");
  std::string line = "cmd /C \"echo hi > " + out + "\"";
  ASSERT_EQ(RunWaiting(line.c_str(), &code), 0);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(ReadWholeFile(out), "hi\n");

  // Windows quoting: the quoted argument with a blank and an escaped quote stays one.
  std::string script = dir.File("args.sh");
  ASSERT_TRUE(WriteWholeFile(script, "[ \"$1\" = 'a b\"c' ] && [ \"$2\" = 'x\\y' ] && exit 7\nexit 1\n"));
  line = "/bin/sh " + script + " \"a b\\\"c\" x\\y";
  ASSERT_EQ(RunWaiting(line.c_str(), &code), 0);
  EXPECT_EQ(code, 7u);
  EXPECT_EQ(RunWaiting("/no/such/program", &code), 2);
  EXPECT_EQ(RunWaiting("", &code), 2);

  PlatformStart noWait;
  EXPECT_EQ(P().StartProcess("cmd /C exit 0", noWait, nullptr), 0);
}

TEST(PosixPlatform, RealClockIsNeverSetWithoutExplicitPermission) {
  unsetenv("XMT_ALLOW_CLOCK_SET");
  PlatformTime t = P().LocalNow();
  t.year = 2001;
  EXPECT_NE(P().SetLocalClock(t), 0);
  EXPECT_GE(P().LocalNow().year, 2020);
}

TEST(PosixPlatform, TimeZoneFromTheZoneRules) {
  const char* old = getenv("TZ");
  std::string saved = old ? old : "";
  setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
  tzset();
  PlatformTimeZone zone;
  ASSERT_TRUE(P().TimeZone(&zone));
  EXPECT_EQ(zone.bias, -60);
  EXPECT_EQ(zone.standardBias, 0);
  EXPECT_EQ(zone.daylightBias, -60);
  EXPECT_TRUE(zone.state == 1 || zone.state == 2);
  PlatformTime summer{2025, 7, 1, 12, 0, 0};
  EXPECT_EQ(P().LocalToUnix(summer), 1751364000);  // 10:00 UTC
  PlatformTime local;
  ASSERT_TRUE(P().UnixToLocal(1735732800, &local));  // 2025-01-01 12:00 UTC
  EXPECT_EQ(local.hour, 13);

  setenv("TZ", "UTC0", 1);
  tzset();
  ASSERT_TRUE(P().TimeZone(&zone));
  EXPECT_EQ(zone.bias, 0);
  EXPECT_EQ(zone.daylightBias, 0);
  EXPECT_EQ(zone.state, 0);  // no daylight saving: unknown, as Windows says
  if (old) setenv("TZ", saved.c_str(), 1); else unsetenv("TZ");
  tzset();
}

// The local clock follows a zone loaded anew at once, also within the second whose fields
// it has already worked out once.
TEST(PosixPlatform, LocalNowFollowsAZoneLoadedWithinTheSecond) {
  const char* old = getenv("TZ");
  std::string saved = old ? old : "";
  for (int attempt = 0; attempt < 5; ++attempt) {
    setenv("TZ", "UTC0", 1);
    tzset();
    PlatformTime utc = P().LocalNow();
    setenv("TZ", "XMT-5", 1);
    tzset();
    PlatformTime east = P().LocalNow();
    if (east.minute != utc.minute) continue;  // the minute turned in between: again
    EXPECT_EQ(east.hour, (utc.hour + 5) % 24);
    break;
  }
  if (old) setenv("TZ", saved.c_str(), 1); else unsetenv("TZ");
  tzset();
}

TEST(PosixPlatform, WildcardsCompareWithoutCase) {
  EXPECT_TRUE(posix_detail::WildcardMatch("PR_*.TXT", "pr_Head.txt"));
  EXPECT_TRUE(posix_detail::WildcardMatch("*a*b", "xxaxxab"));  // needs a second try
  EXPECT_TRUE(posix_detail::WildcardMatch("?.d*", "c.dat"));
  EXPECT_FALSE(posix_detail::WildcardMatch("?.dat", "ab.dat"));
  EXPECT_FALSE(posix_detail::WildcardMatch("*.txt", "a.txt.bak"));
  EXPECT_TRUE(posix_detail::WildcardMatch("*", ""));
}

}  // namespace
