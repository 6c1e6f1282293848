// Settings: base folder and settings file names, profile strings, and the write-back of
// boolean and integer settings, against the platform of this build.
#include <gtest/gtest.h>

#include <string>

#include "common/settings/deliverable.h"
#include "common/settings/files.h"
#include "common/platform/platform.h"
#include "common/settings/settings.h"
#include "common/testing/test_dirs.h"
#include "common/text/txt.h"

namespace {

// A fresh folder for the test program, removed at its end.
std::string TempDir(const char* name) { return SharedTempSubdir("settings", name); }

std::string Raw(const char* section, const char* key, const std::string& file) {
  char out[256];
  ReadIniString(section, key, "<missing>", out, sizeof out, file.c_str());
  return out;
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = TempDir("settings") + "/" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini";
    Platform::Default().RemoveFile(file_.c_str());
    saved_ = GetDeliverableConfig();
  }
  void TearDown() override {
    SetDeliverableConfig(saved_);
    SettingsResetForTest();
  }
  void UseVariant(DeliverableVariant v) {
    DeliverableConfig c = saved_;
    c.variant = v;
    SetDeliverableConfig(c);
  }
  std::string file_;
  DeliverableConfig saved_;
};

TEST(SettingsNames, BuildFoldersAndSuffixesAreDropped) {
  EXPECT_EQ(BaseDirFromProgramPath("c:/x/Release/tool.exe", false), "c:/x");
  EXPECT_EQ(BaseDirFromProgramPath("c:\\x\\debug\\tool.exe", false), "c:/x");
  EXPECT_EQ(BaseDirFromProgramPath("C:\\Prog\\MC\\host.exe", false), "C:/Prog/MC");
  EXPECT_EQ(BaseDirFromProgramPath("C:\\Prog\\MC\\host.exe", true), "c:/prog/mc");
  // Only a whole folder named so is a build folder.
  EXPECT_EQ(BaseDirFromProgramPath("/opt/PreRelease/tool", false), "/opt/PreRelease");
  EXPECT_EQ(IniFileFromProgramPath("c:/x", "c:/x/Release/tool.exe"), "c:/x/tool.ini");
  EXPECT_EQ(IniFileFromProgramPath("c:/x", "c:\\x\\toolDebug.exe"), "c:/x/tool.ini");
  EXPECT_EQ(IniFileFromProgramPath("c:/x", "c:/x/TOOLRELEASE.EXE"), "c:/x/TOOL.ini");
  EXPECT_EQ(IniFileFromProgramPath("/h", "/h/xmt-host"), "/h/xmt-host.ini");
}

TEST_F(SettingsTest, BaseFolderAndSettingsFileOfThisProgram) {
  SettingsResetForTest();
  CTxt base;
  CTxt ini;
  int n = GetBaseDir(base);
  EXPECT_EQ(n, base.GetLength());
  ASSERT_GT(n, 0);
  std::string b = static_cast<const char*>(base);
  EXPECT_EQ(b.find('\\'), std::string::npos);
  EXPECT_NE(b.back(), '/');
  n = GetIniFileName(ini);
  EXPECT_EQ(n, ini.GetLength());
  std::string i = static_cast<const char*>(ini);
  EXPECT_EQ(i.rfind(b + "/", 0), 0u) << i;
  EXPECT_NE(i.find("/base_test.ini"), std::string::npos) << i;
}

TEST_F(SettingsTest, StringsReadWriteAndCut) {
  char out[8];
  EXPECT_EQ(ReadIniString("S", "K", "dflt", out, sizeof out, file_.c_str()), 4);
  EXPECT_STREQ(out, "dflt");
  EXPECT_EQ(WriteIniString("S", "K", "a longer value", file_.c_str()), 1);
  EXPECT_EQ(ReadIniString("s", "k", "", out, sizeof out, file_.c_str()), 7);
  EXPECT_STREQ(out, "a longe");
  EXPECT_EQ(ReadIniString("S", "K", "", nullptr, 10, file_.c_str()), 0);
  // The settings file of the deliverable when no file is named.
  SettingsResetForTest(file_.c_str());
  EXPECT_EQ(WriteIniString("S", "Other", "v"), 1);
  EXPECT_EQ(Raw("S", "Other", file_), "v");
}

TEST_F(SettingsTest, BoolWriteBackProgramVariant) {
  UseVariant(DeliverableVariant::Program);
  const char* f = file_.c_str();
  EXPECT_EQ(ReadIniBool("SYS", "Missing", 1, f), 1);
  EXPECT_EQ(Raw("SYS", "Missing", file_), "YES");
  EXPECT_EQ(ReadIniBool("SYS", "Missing0", 0, f), 0);
  EXPECT_EQ(Raw("SYS", "Missing0", file_), "NO");
  WriteIniString("SYS", "T", "true", f);
  EXPECT_EQ(ReadIniBool("SYS", "T", 0, f), 1);
  EXPECT_EQ(Raw("SYS", "T", file_), "YES");
  WriteIniString("SYS", "M", "maybe", f);
  EXPECT_EQ(ReadIniBool("SYS", "M", 1, f), 0);
  EXPECT_EQ(Raw("SYS", "M", file_), "NO");
  // Already normal apart from case: left as the user wrote it.
  WriteIniString("SYS", "Y", "yes", f);
  EXPECT_EQ(ReadIniBool("SYS", "Y", 0, f), 1);
  EXPECT_EQ(Raw("SYS", "Y", file_), "yes");
}

TEST_F(SettingsTest, BoolLibraryVariantTakesOnlyYes) {
  UseVariant(DeliverableVariant::Library);
  WriteIniString("SYS", "T", "TRUE", file_.c_str());
  EXPECT_EQ(ReadIniBool("SYS", "T", 1, file_.c_str()), 0);
  EXPECT_EQ(Raw("SYS", "T", file_), "NO");
  WriteIniString("SYS", "Y", "Yes", file_.c_str());
  EXPECT_EQ(ReadIniBool("SYS", "Y", 0, file_.c_str()), 1);
}

TEST_F(SettingsTest, IntWriteBack) {
  const char* f = file_.c_str();
  EXPECT_EQ(ReadIniInt("BarMgr", "Max", 250, f), 250);
  EXPECT_EQ(Raw("BarMgr", "Max", file_), "250");
  WriteIniString("BarMgr", "N", "42abc", f);
  EXPECT_EQ(ReadIniInt("BarMgr", "N", 7, f), 42);
  EXPECT_EQ(Raw("BarMgr", "N", file_), "42");
  WriteIniString("BarMgr", "Bad", "abc", f);
  EXPECT_EQ(ReadIniInt("BarMgr", "Bad", 7, f), 0);
  EXPECT_EQ(Raw("BarMgr", "Bad", file_), "0");
  WriteIniString("BarMgr", "Huge", "99999999999", f);
  EXPECT_EQ(ReadIniInt("BarMgr", "Huge", 7, f), 2147483647);
  EXPECT_EQ(WriteIniInt("BarMgr", "Neg", -12, f), 1);
  EXPECT_EQ(ReadIniInt("BarMgr", "Neg", 0, f), -12);
  EXPECT_EQ(Raw("BarMgr", "Neg", file_), "-12");
}

TEST_F(SettingsTest, NullSectionOrKeyLeavesTheFileAlone) {
  // A null key would list the section's keys and its write-back delete the whole section.
  const char* f = file_.c_str();
  WriteIniString("SYS", "Keep", "value", f);
  WriteIniString("SYS", "Other", "12", f);
  EXPECT_EQ(ReadIniBool("SYS", nullptr, 1, f), 1);
  EXPECT_EQ(ReadIniBool(nullptr, "Keep", 0, f), 0);
  EXPECT_EQ(ReadIniInt("SYS", nullptr, 5, f), 5);
  EXPECT_EQ(ReadIniInt(nullptr, "Other", 6, f), 6);
  EXPECT_EQ(Raw("SYS", "Keep", file_), "value");
  EXPECT_EQ(Raw("SYS", "Other", file_), "12");
}

}  // namespace
