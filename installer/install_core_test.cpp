// The installation over a temporary tree: the source folder, the library phase with its size
// test, the archive phase through the editor (the stand-in program, or a fake platform that
// records the command line), the missing platform folder and editor, the after-installation
// action of "Rollout.cfg", and the trace log and status text of one run.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "common/platform/platform.h"
#include "common/settings/deliverable.h"
#include "common/settings/settings.h"
#include "common/settings/trace_log.h"
#include "common/testing/fake_platform.h"
#include "common/text/txt.h"
#include "installer/install_core.h"
#include "installer/status_text.h"
#include "installer/testing/install_tree.h"

namespace {

std::vector<std::string> g_messages;
void Collect(const char* message) { g_messages.push_back(message); }

bool EndsWithNoCase(const std::string& s, const std::string& tail) {
  if (tail.size() > s.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(s[s.size() - tail.size() + i])) !=
        std::tolower(static_cast<unsigned char>(tail[i])))
      return false;
  }
  return true;
}

// The archive path as the editor gets it: backslashes where the system is Windows.
std::string AsArchive(std::string path) {
  if (Platform::Default().PathsIgnoreCase()) {
    for (char& c : path) c = c == '/' ? '\\' : c;
  }
  return path;
}

class InstallCoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = GetDeliverableConfig();
    cwd_ = Platform::Default().CurrentDir();
    SettingsResetForTest((tree_.root() + "/Rollout.ini").c_str());
    TraceLogResetForTest();
    DeliverableConfig config = RolloutConfig(Collect);
    config.logBaseDir = tree_.root().c_str();
    config.logName = "rollout";
    SetDeliverableConfig(config);
    g_messages.clear();
    tree_.Make(tree_.start());
    Platform::Default().SetCurrentDir(tree_.start().c_str());
  }
  void TearDown() override {
    Platform::Default().SetCurrentDir(cwd_.c_str());
    TraceLogResetForTest();
    SettingsResetForTest();
    SetDeliverableConfig(saved_);
  }

  // The source folder as the program takes it (the start folder, or the release folder).
  std::string Source() {
    CTxt source;
    EXPECT_EQ(ChooseSourceFolder(places_, source), 0);
    return static_cast<const char*>(source);
  }
  int Install(const std::string& source) {
    CTxt closing;
    int result = RunInstallation(places_, source.c_str(), closing);
    closing_ = static_cast<const char*>(closing);
    return result;
  }
  bool Logged(const std::string& message) const {
    for (const std::string& m : g_messages) {
      if (m == message) return true;
    }
    return false;
  }
  int IndexOf(const std::string& prefix) const {
    for (size_t i = 0; i < g_messages.size(); ++i) {
      if (g_messages[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
    }
    return -1;
  }
  std::string AllMessages() const {
    std::string all;
    for (const std::string& m : g_messages) all += m + "\n";
    return all;
  }
  std::string Editor() const { return tree_.host() + "/PLEditor.exe"; }
  // The system's text in the error line that starts with prefix: what follows "Error(n): "
  // up to the closing ")". It must tell why the call failed, never that all went well.
  void ExpectFailureText(const std::string& prefix) const {
    const int at = IndexOf(prefix);
    ASSERT_GE(at, 0) << AllMessages();
    const std::string& line = g_messages[at];
    ASSERT_EQ(line.back(), ')');
    const std::string text = line.substr(prefix.size(), line.size() - prefix.size() - 1);
    EXPECT_FALSE(text.empty()) << line;
    EXPECT_NE(text, std::strerror(0)) << line;
    EXPECT_NE(text, Platform::Default().ErrorText(0)) << line;
  }
  bool Exists(const std::string& path) const {
    return Platform::Default().FileAccess(path.c_str(), 0) == 0;
  }

  InstallTree tree_;
  InstallPlaces places_ = tree_.Places();
  std::string closing_;
  std::string cwd_;
  DeliverableConfig saved_;
};

TEST_F(InstallCoreTest, LibrariesAreCopiedUnlessTheSizeMatchesAndFailuresDoNotStopTheRun) {
  const std::string src = tree_.start();
  const std::string host = tree_.Make(tree_.host());
  ASSERT_TRUE(InstallTree::PutStandin(Editor()));
  struct Case {
    const char* name;
    size_t sourceSize;
    int hostSize;  // -1: none in the platform's folder
    bool copied;
  };
  const Case cases[] = {
      {"A.DLL", 10, 10, false},  // equal size: left alone
      {"b.dll", 11, 10, true},   // one byte more
      {"c.Dll", 9, 10, true},    // one byte less
      {"new.dll", 5, -1, true},  // not there yet
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(InstallTree::Put(src + "/" + c.name, c.sourceSize));
    if (c.hostSize >= 0) {
      ASSERT_TRUE(InstallTree::Put(host + "/" + c.name, c.hostSize));
    }
  }
  ASSERT_TRUE(InstallTree::Put(src + "/notes.txt", 3));
  ASSERT_TRUE(InstallTree::Put(src + "/d.dll", 3));
  tree_.Make(host + "/d.dll");         // a folder in the way: the copy fails
  tree_.Make(src + "/folder.dll");     // folders are not listed

  const std::string source = Source();
  EXPECT_EQ(InstallAndReport(places_, source.c_str()), -3);  // d.dll was not copied
  EXPECT_TRUE(Logged("Starting Installation from: " + source + " (6 Files)")) << AllMessages();

  int previous = -1;
  for (const Case& c : cases) {
    const std::string from = source + "/" + c.name;
    const std::string to = host + "/" + c.name;
    SCOPED_TRACE(c.name);
    if (c.copied) {
      EXPECT_TRUE(Logged("Synchronized DLL module:\r\n  " + from + " ->\r\n  " + to + " (0)"))
          << AllMessages();
      EXPECT_EQ(ReadWholeFile(to), std::string(c.sourceSize, 'x'));
      // A library that was replaced is kept beside its successor, and that is logged first.
      const std::string kept = "Kept replaced DLL module:\r\n  " + to + " ->\r\n  " + to + ".bak";
      if (c.hostSize >= 0) {
        EXPECT_EQ(ReadWholeFile(to + ".bak"), std::string(c.hostSize, 'x'));
        EXPECT_EQ(IndexOf(kept) + 1, IndexOf("Synchronized DLL module:\r\n  " + from));
      } else {
        EXPECT_FALSE(Exists(to + ".bak"));
        EXPECT_EQ(IndexOf(kept), -1);
      }
    } else {
      EXPECT_FALSE(Exists(to + ".bak"));
      EXPECT_TRUE(Logged("Found installed DLL module(10):\r\n  " + from + " ->\r\n  " + to + " (0)"))
          << AllMessages();
    }
    // Listed by name without regard to case.
    int at = IndexOf(c.copied ? "Synchronized DLL module:\r\n  " + from
                              : "Found installed DLL module(10):\r\n  " + from);
    EXPECT_GT(at, previous);
    previous = at;
  }
  // The copy goes to a partial file beside the target; renaming it over the folder fails.
  const std::string failure = "Error synchronizing DLL module:\r\n  " + source +
                              "/d.dll ->\r\n  " + host + "/d.dll\r\n  Error(-8): ";
  ExpectFailureText(failure);
  // The text is the system's own for that rename: the same rename fails the same way here.
  ASSERT_TRUE(InstallTree::Put(host + "/d.dll.again", 1));
  ASSERT_NE(Platform::Default().RenameFile((host + "/d.dll.again").c_str(), (host + "/d.dll").c_str()), 0);
  const std::string why = Platform::Default().ErrorText(Platform::Default().LastError());
  EXPECT_TRUE(Logged(failure + why + ")")) << why << "\n" << AllMessages();
  std::filesystem::remove(host + "/d.dll.again");
  EXPECT_LT(IndexOf(failure), IndexOf("Synchronized DLL module:\r\n  " + source + "/new.dll"));
  EXPECT_FALSE(Exists(host + "/d.dll.bak"));  // a folder is no library to keep
  EXPECT_EQ(IndexOf("Synchronized DLL module:\r\n  " + source + "/notes.txt"), -1);
  EXPECT_EQ(IndexOf("Synchronized DLL module:\r\n  " + source + "/folder.dll"), -1);
  EXPECT_EQ(g_messages.back(),
            "Installation completed(-3): 1 of 5 libraries not copied (" + source + ")");

  // Once every library is in place, the run is a success again.
  std::filesystem::remove(host + "/d.dll");
  g_messages.clear();
  EXPECT_EQ(InstallAndReport(places_, source.c_str()), 0);
  EXPECT_EQ(g_messages.back(), "Installation completed successfully: (" + source + ")");
}

// A copy that fails at any point leaves the platform's old library whole and no partial
// file behind, and the run goes on: a full disk, a refused rename, and on Windows a
// read-only library and one the system has loaded (locked).
TEST_F(InstallCoreTest, AFailedCopyLeavesTheOldLibraryInPlace) {
  const std::string src = tree_.start();
  const std::string host = tree_.Make(tree_.host());
  ASSERT_TRUE(InstallTree::PutStandin(Editor()));
  ASSERT_TRUE(InstallTree::Put(src + "/lib.dll", 20));
  const std::string target = host + "/lib.dll";
  enum class Failure { DiskFull, RenameRefused, KeepRefused, ReadOnly, Loaded };
  struct Case {
    const char* name;
    Failure how;
    int error;
    bool kept;  // the old library was kept as ".bak" before the step that failed
  };
  std::vector<Case> cases = {{"disk full", Failure::DiskFull, -6, false},  // the writes fail
                             {"rename refused", Failure::RenameRefused, -8, true},
                             {"old one cannot be kept", Failure::KeepRefused, -9, false}};
#ifdef _WIN32
  cases.push_back({"read-only library", Failure::ReadOnly, -2, false});
  cases.push_back({"loaded library", Failure::Loaded, -8, true});
#endif
  const std::string source = Source();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The old library: a real program file where the system is to load it.
    Platform::Default().RemoveFile(target.c_str());
    std::filesystem::remove(target + ".bak");  // a file, or the folder of the last case
    if (c.how == Failure::KeepRefused) tree_.Make(target + ".bak");  // a folder in the way
    ASSERT_TRUE(c.how == Failure::Loaded ? InstallTree::PutStandin(target)
                                         : InstallTree::PutText(target, "old library"));
    const std::string old = ReadWholeFile(target);
    FakePlatform fake;
    fake.diskFull = c.how == Failure::DiskFull;
    fake.renameFails = c.how == Failure::RenameRefused;
    ScopedPlatform scope(fake);
#ifdef _WIN32
    HMODULE loaded = nullptr;
    if (c.how == Failure::ReadOnly) SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
    if (c.how == Failure::Loaded) {
      loaded = LoadLibraryExA(target.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
      ASSERT_NE(loaded, nullptr);
    }
#endif
    g_messages.clear();
    EXPECT_EQ(InstallAndReport(places_, source.c_str()), -3);
#ifdef _WIN32
    if (loaded) FreeLibrary(loaded);
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
    ExpectFailureText("Error synchronizing DLL module:\r\n  " + source + "/lib.dll ->\r\n  " +
                      target + "\r\n  Error(" + std::to_string(c.error) + "): ");
    EXPECT_EQ(g_messages.back(),
              "Installation completed(-3): 1 of 1 libraries not copied (" + source + ")");
    EXPECT_EQ(ReadWholeFile(target), old);
    EXPECT_FALSE(Exists(target + ".partial"));
    if (c.kept) {
      EXPECT_EQ(ReadWholeFile(target + ".bak"), old);
    } else if (c.how == Failure::DiskFull) {
      EXPECT_FALSE(Exists(target + ".bak"));
    }
  }
}

TEST_F(InstallCoreTest, ArchivesAreImportedOneAtATimeWaitingForTheEditor) {
  tree_.Make(tree_.host());
  ASSERT_TRUE(InstallTree::PutStandin(Editor()));
  const std::string src = tree_.start();
  // The stand-in exits with the first number of the archive, after the second (ms).
  ASSERT_TRUE(InstallTree::PutText(src + "/a.pla", "0 400"));
  ASSERT_TRUE(InstallTree::PutText(src + "/B.Pla", "3"));
  ASSERT_TRUE(InstallTree::PutText(src + "/c.PLA", "0"));
  ASSERT_TRUE(InstallTree::PutText(src + "/d.plan", "0"));

  const std::string source = Source();
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(Install(source), 0);  // a failed import leaves the result alone
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(400));

  const std::string a = AsArchive(source + "/a.pla");
  const std::string b = AsArchive(source + "/B.Pla");
  const std::string c = AsArchive(source + "/c.PLA");
  // One argument each, in listing order: the slow first import ended before the next began.
  EXPECT_EQ(InstallTree::Records(Editor()), (std::vector<std::string>{a, b, c}));
  EXPECT_TRUE(Logged("Installing Logic Module: a.pla (Click on File/Exit when completed)"));
  EXPECT_TRUE(Logged("Installed PLA module:\r\n  " + a + " (0)")) << AllMessages();
  EXPECT_TRUE(Logged("Error during installing PLA module:\r\n  " + b + " (3)")) << AllMessages();
  EXPECT_TRUE(Logged("Installed PLA module:\r\n  " + c + " (0)")) << AllMessages();
  EXPECT_EQ(IndexOf("Installing Logic Module: d.plan"), -1);
}

TEST_F(InstallCoreTest, EditorCommandLineAndItsResults) {
  tree_.Make(tree_.host());
  ASSERT_TRUE(InstallTree::Put(Editor(), 1));
  ASSERT_TRUE(InstallTree::Put(tree_.start() + "/m.pla", 1));
  const std::string source = Source();
  const std::string archive = AsArchive(source + "/m.pla");
  struct Case {
    long startError;
    unsigned long exitCode;
    const char* shown;
  };
  for (const Case& c : {Case{0, 0, "Installed PLA module:\r\n  "},
                        Case{0, 7, "Error during installing PLA module:\r\n  "},
                        Case{2, 0, "Error during installing PLA module:\r\n  "}}) {
    FakePlatform fake;
    ScopedPlatform scope(fake);
    fake.processStartError = c.startError;
    fake.processExitCode = c.exitCode;
    g_messages.clear();
    EXPECT_EQ(Install(source), 0);
    ASSERT_EQ(fake.processes.size(), 1u);
    EXPECT_EQ(fake.processes[0].commandLine, "\"" + Editor() + "\" \"" + archive + "\"");
    EXPECT_TRUE(fake.processes[0].opts.wait);
    const long result = c.startError ? -c.startError : static_cast<long>(c.exitCode);
    EXPECT_TRUE(Logged(c.shown + archive + " (" + std::to_string(result) + ")")) << AllMessages();
    EXPECT_TRUE(fake.messageBoxes.empty());  // import errors are logged, not shown
  }
}

TEST_F(InstallCoreTest, MissingEditorOrPlatformFolder) {
  ASSERT_TRUE(InstallTree::PutText(tree_.start() + "/x.pla", "0"));
  ASSERT_TRUE(InstallTree::Put(tree_.start() + "/y.dll", 4));
  const std::string source = Source();

  // No platform folder: both checks fail, -2 wins.
  EXPECT_EQ(InstallAndReport(places_, source.c_str()), -2);
  EXPECT_TRUE(Logged("Cannot find MultiChart 64 Home Folder (" + tree_.host() + ")"));
  EXPECT_TRUE(Logged("Cannot find MultiChart 64 Logic Importer (" + Editor() + ")"));
  EXPECT_EQ(g_messages.back(), "Installation completed(-2): (" + source + ")");

  // The folder without its editor: libraries are copied, archives are not imported.
  g_messages.clear();
  tree_.Make(tree_.host());
  EXPECT_EQ(Install(source), -2);
  EXPECT_EQ(closing_, "(" + source + ")");
  EXPECT_EQ(IndexOf("Cannot find MultiChart 64 Home Folder"), -1);
  EXPECT_TRUE(Logged("Cannot find MultiChart 64 Logic Importer (" + Editor() + ")"));
  EXPECT_EQ(ReadWholeFile(tree_.host() + "/y.dll"), "xxxx");
  EXPECT_EQ(IndexOf("Installing Logic Module"), -1) << AllMessages();
}

TEST_F(InstallCoreTest, RolloutCfgOpensAPageOrStartsAProgram) {
  tree_.Make(tree_.host());
  ASSERT_TRUE(InstallTree::Put(tree_.start() + "/tool.exe", 1));
  const std::string source = Source();
  const std::string cfg = source + "/Rollout.cfg";
  struct Case {
    const char* content;  // null: no file
    const char* logged;   // null: nothing opened
    const char* command;  // the end of the started command line
  };
  const Case cases[] = {
      {"docs/guide.htm\r\nsecond line.exe\r\n", "Opening App Page: docs/guide.htm", "\"docs/guide.htm\""},
      {"GUIDE.HTM", "Opening App Page: GUIDE.HTM", "\"GUIDE.HTM\""},
      {"docs/guide\n", "Opening App Page: docs/guide", "\"docs/guide\""},
      {"tool.exe\n", "Opening App: tool.exe", "cmd /C \"tool.exe\""},
      {"notes.txt\n", nullptr, nullptr},
      {"", nullptr, nullptr},
      {"  \r\n", nullptr, nullptr},
      {nullptr, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content ? c.content : "(no file)");
    Platform::Default().RemoveFile(cfg.c_str());
    if (c.content) {
      ASSERT_TRUE(InstallTree::PutText(cfg, c.content));
    }
    FakePlatform fake;
    ScopedPlatform scope(fake);
    g_messages.clear();
    EXPECT_EQ(Install(source), -2);  // no editor: the action follows all the same
    EXPECT_EQ(IndexOf("Opening App"), c.logged ? IndexOf(c.logged) : -1) << AllMessages();
    if (c.logged) {
      EXPECT_TRUE(Logged(c.logged)) << AllMessages();
      ASSERT_EQ(fake.processes.size(), 1u);
      EXPECT_TRUE(EndsWithNoCase(fake.processes[0].commandLine, c.command))
          << fake.processes[0].commandLine;
      EXPECT_FALSE(fake.processes[0].opts.wait);
    } else {
      EXPECT_TRUE(fake.processes.empty());
    }
  }
}

TEST_F(InstallCoreTest, TheReleaseFolderWinsWhenItExists) {
  CTxt source;
  ASSERT_EQ(ChooseSourceFolder(places_, source), 0);
  EXPECT_TRUE(EndsWithNoCase(static_cast<const char*>(source), tree_.start())) << source;
  EXPECT_EQ(IndexOf("Switching to install folder"), -1);

  tree_.Make(tree_.release());
  ASSERT_EQ(ChooseSourceFolder(places_, source), 0);
  EXPECT_TRUE(EndsWithNoCase(static_cast<const char*>(source), tree_.release())) << source;
  EXPECT_EQ(std::string(source).find('\\'), std::string::npos);
  EXPECT_TRUE(Logged("Switching to install folder: " + tree_.release()));
  EXPECT_TRUE(EndsWithNoCase(Platform::Default().CurrentDir(), "release"));
}

// The program variant of the trace log over one run, against the status text of the same
// run: date column, "ACTION-INIT", line breaks as "+" in the log and kept in the status.
class InstallLogTest : public InstallCoreTest {
 protected:
  InstallLogTest() { fake_.SetLocalTime(MakePlatformTime(2015, 2, 17, 21, 38, 45, 123)); }
  FakePlatform fake_;
  ScopedPlatform scope_{fake_};
};

TEST_F(InstallLogTest, LogLinesAndStatusTextOfOneRun) {
  DeliverableConfig config = GetDeliverableConfig();
  config.statusSink = RolloutStatusSink;
  SetDeliverableConfig(config);
  RolloutStatus().Clear();
  tree_.Make(tree_.host());
  ASSERT_TRUE(InstallTree::Put(tree_.start() + "/a.dll", 2));
  const std::string source = Source();
  InstallAndReport(places_, source.c_str());
  const std::string from = source + "/a.dll";
  const std::string to = tree_.host() + "/a.dll";

  const std::string log = tree_.root() + "/logs/20150217/rollout.log";
  const std::string head = "Rollout         |150217|21:38:45.123a|";
  const std::string expected =
      "ACTION-INIT     |150217|21:38:45.123 |====== Opening " + log + " ======\r\n" +
      head + "Starting Installation from: " + source + " (1 Files)\r\n" +
      head + "Synchronized DLL module:++  " + from + " ->++  " + to + " (0)\r\n" +
      head + "Cannot find MultiChart 64 Logic Importer (" + Editor() + ")\r\n" +
      head + "Installation completed(-2): (" + source + ")\r\n";
  EXPECT_EQ(ReadWholeFile(log), expected);
  EXPECT_EQ(RolloutStatus().Get(),
            "Starting Installation from: " + source + " (1 Files)\r\n" +
            "Synchronized DLL module:\r\n  " + from + " ->\r\n  " + to + " (0)\r\n" +
            "Cannot find MultiChart 64 Logic Importer (" + Editor() + ")\r\n" +
            "Installation completed(-2): (" + source + ")\r\n");

  // "*COPY" puts a copy of the log into the current folder; commands are not status lines.
  EXPECT_EQ(LogTrace("*COPY", 1, "copy"), 0);
  EXPECT_EQ(ReadWholeFile(source + "/LogCpy.tmp"), expected);
  EXPECT_EQ(RolloutStatus().Get().find("copy"), std::string::npos);
  RolloutStatus().Clear();
}

}  // namespace
