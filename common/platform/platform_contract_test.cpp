// Behaviour every backend must show, checked against Platform::Default(): natively on
// Linux and, in the Windows build, against the real Windows calls as Wine provides them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "common/platform/platform.h"
#include "common/testing/test_dirs.h"

namespace {

Platform& P() { return Platform::Default(); }

std::string ReadIni(const char* section, const char* key, const char* def, const std::string& file,
                    int size = 256) {
  std::string buf((size_t)size, '\0');
  int n = P().ReadProfileString(section, key, def, buf.data(), size, file.c_str());
  EXPECT_EQ(n, (int)strlen(buf.c_str()));
  return buf.c_str();
}

std::string Format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string out;
  bool ok = P().FormatInserts(fmt, args, &out);
  va_end(args);
  return ok ? out : "<failed>";
}

int64_t MsOf(const PlatformTime& t) {
  // Enough for comparing two readings a few seconds apart on the same or next day.
  return ((((int64_t)t.day * 24 + t.hour) * 60 + t.minute) * 60 + t.second) * 1000 + t.millisecond;
}

TEST(PlatformContract, ProfileStringsReadDefaultsAndNormaliseValues) {
  ScopedTempDir dir("profile");
  std::string file = dir.File("host.ini");
  EXPECT_EQ(ReadIni("SYS", "EDITOR", "NOTEPAD", file), "NOTEPAD");  // no file yet
  EXPECT_EQ(ReadIni("SYS", "EDITOR", "vi  ", file), "vi");         // default's blanks go
  EXPECT_EQ(ReadIni("SYS", "EDITOR", nullptr, file), "");

  ASSERT_TRUE(WriteWholeFile(file,
                             "[Sys]\r\n"
                             "Editor =  gedit  \r\n"
                             "Quoted=\"  two words  \"\r\n"
                             "Single='x'\r\n"
                             "Empty=\r\n"));
  EXPECT_EQ(ReadIni("SYS", "EDITOR", "d", file), "gedit");  // case, blanks around '='
  EXPECT_EQ(ReadIni("sys", "quoted", "d", file), "  two words  ");
  EXPECT_EQ(ReadIni("SYS", "Single", "d", file), "x");
  EXPECT_EQ(ReadIni("SYS", "Empty", "d", file), "");  // present but empty: not the default
  EXPECT_EQ(ReadIni("SYS", "Missing", "d", file), "d");
  EXPECT_EQ(ReadIni("Other", "Editor", "d", file), "d");
  EXPECT_EQ(ReadIni("SYS", "EDITOR", "d", file, 4), "ged");  // cut to size - 1
}

TEST(PlatformContract, ProfileStringWritesKeepOtherLines) {
  ScopedTempDir dir("profile");
  std::string file = dir.File("host.ini");
  ASSERT_TRUE(P().WriteProfileString("SYS", "LogShowTime", "YES", file.c_str()));
  EXPECT_EQ(ReadIni("sys", "logshowtime", "d", file), "YES");
  std::string created = ReadWholeFile(file);
  EXPECT_NE(created.find("[SYS]"), std::string::npos);
  EXPECT_NE(created.find("LogShowTime=YES"), std::string::npos);

  ASSERT_TRUE(WriteWholeFile(file,
                             "; settings of the host\r\n"
                             "[A]\r\n"
                             "one=1\r\n"
                             "two=2\r\n"
                             "\r\n"
                             "[B]\r\n"
                             "keep=this\r\n"));
  ASSERT_TRUE(P().WriteProfileString("a", "TWO", "22", file.c_str()));  // existing key
  ASSERT_TRUE(P().WriteProfileString("A", "three", "3", file.c_str()));  // new key
  ASSERT_TRUE(P().WriteProfileString("C", "new", "n", file.c_str()));    // new section
  EXPECT_EQ(ReadIni("A", "one", "d", file), "1");
  EXPECT_EQ(ReadIni("A", "two", "d", file), "22");
  EXPECT_EQ(ReadIni("A", "three", "d", file), "3");
  EXPECT_EQ(ReadIni("B", "keep", "d", file), "this");
  EXPECT_EQ(ReadIni("C", "new", "d", file), "n");
  std::string text = ReadWholeFile(file);
  EXPECT_EQ(text.find("; settings of the host"), 0u);
  // The new key lands in its own section, before [B].
  EXPECT_LT(text.find("three=3"), text.find("[B]"));

  ASSERT_TRUE(P().WriteProfileString("A", "one", nullptr, file.c_str()));  // delete
  EXPECT_EQ(ReadIni("A", "one", "gone", file), "gone");
  EXPECT_EQ(ReadIni("A", "two", "d", file), "22");
  EXPECT_EQ(ReadWholeFile(file).find("one="), std::string::npos);
}

TEST(PlatformContract, ProfileNameListsAndSectionRemoval) {
  ScopedTempDir dir("profile");
  std::string file = dir.File("lists.ini");
  ASSERT_TRUE(WriteWholeFile(file, "[A]\nx=1\nz=3\n[B]\ny=2\n"));  // LF-only lines read too
  char buf[64];
  int n = P().ReadProfileString(nullptr, nullptr, "", buf, sizeof buf, file.c_str());
  EXPECT_EQ(std::string(buf, (size_t)n + 1), std::string("A\0B\0\0", 5));
  n = P().ReadProfileString("a", nullptr, "", buf, sizeof buf, file.c_str());
  EXPECT_EQ(std::string(buf, (size_t)n + 1), std::string("x\0z\0\0", 5));
  n = P().ReadProfileString("a", nullptr, "", buf, 4, file.c_str());  // no room for "z"
  EXPECT_EQ(n, 2);
  EXPECT_EQ(std::string(buf, 4), std::string("x\0\0\0", 4));
  ASSERT_TRUE(P().WriteProfileString("A", nullptr, nullptr, file.c_str()));
  EXPECT_EQ(ReadIni("A", "x", "gone", file), "gone");
  EXPECT_EQ(ReadIni("B", "y", "d", file), "2");
  EXPECT_EQ(ReadWholeFile(file).find("[A]"), std::string::npos);
}

TEST(PlatformContract, ProfileWritesFromSeveralThreadsLoseNothing) {
  ScopedTempDir dir("profile");
  std::string file = dir.File("shared.ini");
  auto writer = [&](const char* section) {
    for (int i = 0; i < 40; ++i)
      P().WriteProfileString(section, ("Key" + std::to_string(i)).c_str(),
                             std::to_string(i * 7).c_str(), file.c_str());
  };
  std::thread a(writer, "BarMgr"), b(writer, "SYS");
  a.join();
  b.join();
  for (int i = 0; i < 40; i += 13) {
    EXPECT_EQ(ReadIni("BarMgr", ("Key" + std::to_string(i)).c_str(), "lost", file),
              std::to_string(i * 7));
    EXPECT_EQ(ReadIni("SYS", ("Key" + std::to_string(i)).c_str(), "lost", file),
              std::to_string(i * 7));
  }
  EXPECT_EQ(ReadIni("SYS", "Key39", "lost", file), "273");
}

TEST(PlatformContract, ProfileWriteIntoMissingFolderFails) {
  ScopedTempDir dir("profile");
  std::string file = dir.File("no/such/folder/x.ini");
  EXPECT_FALSE(P().WriteProfileString("S", "k", "v", file.c_str()));
}

TEST(PlatformContract, RegistryCreateWriteReadAndMissing) {
  // Process ids come round again (quickly under Wine) and the interface has no way to
  // delete a key, so the name also carries the time.
  std::string path = "Software\\XMT\\ContractTest" + std::to_string(P().CurrentProcessId()) +
                     "_" + std::to_string(P().UnixNow());
  void* key = nullptr;
  EXPECT_EQ(P().RegOpen(RegRoot::LocalMachine, path.c_str(), false, true, &key), 2);
  EXPECT_EQ(key, nullptr);

  ASSERT_EQ(P().RegOpen(RegRoot::LocalMachine, path.c_str(), true, true, &key), 0);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(P().RegSetString(key, "DataDrive", "D:"), 0);
  EXPECT_EQ(P().RegSetString(key, "Spaced", "  a \"b\" c  "), 0);
  std::string value;
  EXPECT_EQ(P().RegQueryString(key, "DataDrive", &value), 0);
  EXPECT_EQ(value, "D:");
  EXPECT_EQ(P().RegQueryString(key, "NoSuchValue", &value), 2);
  uint32_t number = 7;
  EXPECT_NE(P().RegQueryDword(key, "DataDrive", &number), 0);  // a string is no number
  P().RegClose(key);

  // Opened again for reading: the values are there, names without regard to case.
  key = nullptr;
  ASSERT_EQ(P().RegOpen(RegRoot::LocalMachine, path.c_str(), false, true, &key), 0);
  EXPECT_EQ(P().RegQueryString(key, "datadrive", &value), 0);
  EXPECT_EQ(value, "D:");
  EXPECT_EQ(P().RegQueryString(key, "SPACED", &value), 0);
  EXPECT_EQ(value, "  a \"b\" c  ");
  EXPECT_NE(P().RegSetString(key, "DataDrive", "E:"), 0);  // read access only
  P().RegClose(key);
  std::string lower = path;
  for (auto& c : lower) c = (char)tolower((unsigned char)c);
  ASSERT_EQ(P().RegOpen(RegRoot::LocalMachine, lower.c_str(), false, true, &key), 0);
  P().RegClose(key);
}

// The short date format is the user's "sShortDate" value and nothing else: set, it is
// read back as it is; emptied, the format is unknown (no locale stands in for it).
TEST(PlatformContract, ShortDateFormatIsTheUserRegistryValue) {
  void* key = nullptr;
  ASSERT_EQ(P().RegOpen(RegRoot::CurrentUser, "Control Panel\\International", true, false, &key),
            0);
  std::string saved;
  const bool had = P().RegQueryString(key, "sShortDate", &saved) == 0;
  for (const char* format : {"dd.MM.yyyy", ""}) {
    ASSERT_EQ(P().RegSetString(key, "sShortDate", format), 0);
    EXPECT_EQ(P().ShortDateFormat(), format);
  }
  if (had) P().RegSetString(key, "sShortDate", saved.c_str());
  P().RegClose(key);
}

TEST(PlatformContract, StartProcessReportsExitCodeAndStartFailure) {
  PlatformStart wait;
  wait.wait = true;
  unsigned long code = 99;
  ASSERT_EQ(P().StartProcess("cmd /C exit 3", wait, &code), 0);
  EXPECT_EQ(code, 3u);
  ASSERT_EQ(P().StartProcess("CMD /c \"exit 5\"", wait, &code), 0);
  EXPECT_EQ(code, 5u);
  EXPECT_EQ(P().StartProcess("xmt_no_such_program_4711.exe a b", wait, &code), 2);
}

TEST(PlatformContract, FindFilesMatchesWildcardsWithoutCaseAndGivesTimes) {
  ScopedTempDir dir("find");
  ASSERT_TRUE(WriteWholeFile(dir.File("a.txt"), "12345"));
  ASSERT_TRUE(WriteWholeFile(dir.File("B.TXT"), ""));
  ASSERT_TRUE(WriteWholeFile(dir.File("c.dat"), "x"));
  ASSERT_EQ(P().MakeDir(dir.File("sub").c_str()), 0);
  int64_t now = P().UnixNow() * 1000;

  std::vector<PlatformFileInfo> found;
  ASSERT_EQ(P().FindFiles((dir.path() + "/*.txt").c_str(), &found), 2);
  bool sawA = false;
  for (const auto& f : found) {
    EXPECT_FALSE(f.isDirectory);
    EXPECT_NEAR((double)f.lastWriteMs, (double)now, 120000.0) << f.name;
    if (f.name == "a.txt") {
      sawA = true;
      EXPECT_EQ(f.size, 5);
    }
  }
  EXPECT_TRUE(sawA);

  found.clear();
  EXPECT_EQ(P().FindFiles((dir.path() + "/?.DAT").c_str(), &found), 1);
  found.clear();
  int all = P().FindFiles((dir.path() + "/*").c_str(), &found);
  EXPECT_EQ(all, 6);  // ".", "..", three files and the folder
  int folders = 0;
  for (const auto& f : found)
    if (f.isDirectory) ++folders;
  EXPECT_EQ(folders, 3);
  found.clear();
  EXPECT_EQ(P().FindFiles((dir.path() + "/*.*").c_str(), &found), 6);  // names without a dot too
  found.clear();
  EXPECT_EQ(P().FindFiles((dir.path() + "/*.none").c_str(), &found), 0);
  EXPECT_EQ(P().FindFiles((dir.path() + "/missing/*").c_str(), &found), -1);
}

TEST(PlatformContract, CurrentFolderIsSetAndReadBack) {
  ScopedTempDir dir("cwd");
  const std::string before = P().CurrentDir();
  ASSERT_FALSE(before.empty());
  std::string made = dir.Subdir("Here");
  ASSERT_EQ(P().SetCurrentDir(made.c_str()), 0);
  std::string now = P().CurrentDir();
  for (char& c : now) c = c == '\\' ? '/' : c;
  // The folder may come back in another form (a symbolic link resolved, a drive's case).
  EXPECT_NE(now.find("/Here"), std::string::npos) << now;
  EXPECT_EQ(now.substr(now.size() - 5), "/Here");
  EXPECT_EQ(P().SetCurrentDir(dir.File("missing").c_str()), -1);
  EXPECT_EQ(P().SetCurrentDir(nullptr), -1);
  EXPECT_EQ(P().SetCurrentDir(before.c_str()), 0);
}

TEST(PlatformContract, FilesFolderAndStat) {
  ScopedTempDir dir("files");
  std::string sub = dir.File("made");
  EXPECT_EQ(P().MakeDir(sub.c_str()), 0);
  EXPECT_EQ(P().MakeDir(sub.c_str()), 1);
  EXPECT_EQ(P().MakeDir(dir.File("no/parent").c_str()), -1);
  EXPECT_EQ(P().FileAccess(sub.c_str(), 0), 0);

  std::string file = dir.File("raw.bin");
  FILE* f = P().OpenFile(file.c_str(), "wbc");
  ASSERT_NE(f, nullptr);
  fputs("buffered-", f);
  P().CommitFile(f);
  P().WriteRaw(f, "raw", 3);
  fclose(f);
  EXPECT_EQ(ReadWholeFile(file), "buffered-raw");

  PlatformFileInfo info;
  ASSERT_EQ(P().FileStat(file.c_str(), &info), 0);
  EXPECT_EQ(info.size, 12);
  EXPECT_FALSE(info.isDirectory);
  EXPECT_EQ(info.name, "raw.bin");
  EXPECT_EQ(P().FileStat(dir.File("none").c_str(), &info), -1);
  EXPECT_EQ(P().OpenFile(dir.File("none").c_str(), "rb"), nullptr);
  EXPECT_EQ(P().RemoveFile(file.c_str()), 0);
  EXPECT_EQ(P().RemoveFile(file.c_str()), -1);
  EXPECT_EQ(P().FileAccess(file.c_str(), 0), -1);
}

TEST(PlatformContract, NativePathMapsDriveLetters) {
  if (P().PathsIgnoreCase()) {
    EXPECT_EQ(P().NativePath("C:/Database/DO_DER"), "C:/Database/DO_DER");
    return;
  }
  const char* root = getenv("XMT_ROOT");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(P().NativePath("C:/Database/DO_DER"), std::string(root) + "/C/Database/DO_DER");
  EXPECT_EQ(P().NativePath("c:\\Database\\Pr_X.txt"), std::string(root) + "/C/Database/Pr_X.txt");
  EXPECT_EQ(P().NativePath("logs\\Day.log"), "logs/Day.log");
  EXPECT_EQ(P().NativePath("/opt/Data"), "/opt/Data");
}

TEST(PlatformContract, FormatInsertsLikeTheMessageFormatter) {
  EXPECT_EQ(Format("%1 has %2!d! bars", "ES", 42), "ES has 42 bars");
  EXPECT_EQ(Format("%2-%1", "a", "b"), "b-a");
  EXPECT_EQ(Format("[%1!5s!|%2!-4d!|%3!04X!]", "ab", 7, 255), "[   ab|7   |00FF]");
  EXPECT_EQ(Format("100%% done%n"), "100% done\r\n");
  EXPECT_EQ(Format("cut%0here"), "cut");
  EXPECT_EQ(Format("%1 %1", "twice"), "twice twice");
  EXPECT_EQ(Format("50%. %! %s"), "50. ! s");  // other escapes give the character
}

TEST(PlatformContract, ClocksAgree) {
  PlatformTime local = P().LocalNow();
  PlatformTime utc = P().UtcNow();
  EXPECT_GE(local.year, 2020);
  EXPECT_GE(local.millisecond, 0);
  EXPECT_LT(local.millisecond, 1000);
  PlatformTime converted;
  ASSERT_TRUE(P().UtcToLocal(utc, &converted));
  if (converted.day == local.day) {
    EXPECT_NEAR((double)MsOf(converted), (double)MsOf(local), 5000.0);
  }

  PlatformTimeZone zone;
  ASSERT_TRUE(P().TimeZone(&zone));
  int bias = zone.bias + (zone.state == 2 ? zone.daylightBias : zone.standardBias);
  int64_t t = P().UnixNow();
  PlatformTime fromUnix;
  ASSERT_TRUE(P().UnixToLocal(t, &fromUnix));
  EXPECT_EQ(P().LocalToUnix(fromUnix), t);
  EXPECT_GE(bias, -14 * 60);
  EXPECT_LE(bias, 12 * 60);
  // Midnight of 1970-01-01 local time lies before the epoch east of Greenwich: no time.
  PlatformTime epochDay{1970, 1, 1, 0, 0, 0};
  int64_t standard = (int64_t)(zone.bias + zone.standardBias) * 60;
  EXPECT_EQ(P().LocalToUnix(epochDay), standard >= 0 ? standard : -1);
}

TEST(PlatformContract, ErrorsIdsMemory) {
  EXPECT_FALSE(P().ErrorText(2).empty());
  EXPECT_NE(P().CurrentProcessId(), 0u);
  char* p = static_cast<char*>(P().TaskAlloc(16));
  ASSERT_NE(p, nullptr);
  strcpy(p, "0123456789");
  p = static_cast<char*>(P().TaskRealloc(p, 4096));
  ASSERT_NE(p, nullptr);
  EXPECT_STREQ(p, "0123456789");
  P().TaskFree(p);
  EXPECT_GE(P().ComInitialize(), 0);
}

TEST(PlatformContract, AbsentWindowsAndDevicesTakeTheNotFoundPaths) {
  EXPECT_EQ(P().FindTopWindow("XmtNoSuchClass", "NOTHING"), nullptr);
  unsigned long pid = 1;
  std::vector<std::string> rows;
  EXPECT_EQ(P().ReadListView(nullptr, 0, 2, 0, &rows, &pid), -1);
  if (P().MidiDeviceCount() == 0) {
    void* handle = &pid;
    EXPECT_NE(P().MidiOpen(0, nullptr, nullptr, &handle), 0);
    EXPECT_EQ(handle, nullptr);
    void* buffer = &pid;
    EXPECT_NE(P().MidiLongMessage(nullptr, "\xF0\xF7", 2, &buffer), 0);
    EXPECT_EQ(buffer, nullptr);
    EXPECT_NE(P().MidiReleaseBuffer(nullptr, nullptr), 0);
    EXPECT_NE(P().MidiReset(nullptr), 0);
  }
  // Stopping speech works, or tells that there is no speech service.
  ASSERT_GE(P().ComInitialize(), 0);
  int stop = P().Speak(nullptr, 2);
  EXPECT_TRUE(stop == 0 || stop == -1) << stop;
  std::string body = "stale";
  EXPECT_EQ(P().FetchPage("http://127.0.0.1:1/time", "XMT", 100, &body), -2);  // refused
  EXPECT_TRUE(body.empty());
}

}  // namespace
