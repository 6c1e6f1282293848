// File helpers: slash normalisation, folder paths, file tests and the binary copy, on real
// files below the test's temporary folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "common/settings/files.h"
#include "common/platform/platform.h"
#include "common/testing/test_dirs.h"
#include "common/text/txt.h"

namespace {

// A fresh folder for each test, removed at the end of the program.
std::string TempDir(const char* name) { return SharedTempSubdir("files", name); }

void WriteFile(const std::string& path, const std::string& data) {
  ASSERT_TRUE(WriteWholeFile(path, data)) << path;
}

std::string ReadFile(const std::string& path) {
  std::string data;
  return ReadWholeFile(path, &data) ? data : "<none>";
}

TEST(NormalizeSlashes, SingleBackslashesAndTrailingSlashes) {
  char a[] = "c:\\a\\b\\\\";
  EXPECT_EQ(NormalizeSlashes(a), 8);
  EXPECT_STREQ(a, "c:/a/b\\\\");
  char b[] = "\\\\server\\share\\dir//";
  EXPECT_EQ(NormalizeSlashes(b), 18);
  EXPECT_STREQ(b, "\\\\server/share/dir");
  char c[] = "///";
  EXPECT_EQ(NormalizeSlashes(c), 0);
  EXPECT_EQ(NormalizeSlashes(static_cast<char*>(nullptr)), -1);
  CTxt t("C:\\Database\\DO_DER\\");
  EXPECT_EQ(NormalizeSlashes(t), 18);
  EXPECT_STREQ(static_cast<const char*>(t), "C:/Database/DO_DER");
}

TEST(MakeDirPath, CreatesEveryLevelAndIsRepeatable) {
  std::string root = TempDir("mkdir");
  std::string abc = root + "/a/b/c";
  EXPECT_EQ(MakeDirPath(abc.c_str(), 0), 0);
  EXPECT_EQ(IsDirectory((root + "/a").c_str()), 1);
  EXPECT_EQ(IsDirectory((root + "/a/b").c_str()), 1);
  EXPECT_EQ(IsDirectory(abc.c_str()), 1);
  EXPECT_EQ(MakeDirPath(abc.c_str(), 0), 0);
  // Backslashes separate too; parentsOnly leaves the last part alone.
  std::string file = root + "\\p\\q\\file.txt";
  EXPECT_EQ(MakeDirPath(file.c_str(), 1), 0);
  EXPECT_EQ(IsDirectory((root + "/p/q").c_str()), 1);
  EXPECT_EQ(IsDirectory((root + "/p/q/file.txt").c_str()), -2);
  // A regular file in the way makes the last creation fail.
  WriteFile(root + "/plain", "x");
  EXPECT_EQ(MakeDirPath((root + "/plain/sub").c_str(), 0), -1);
  EXPECT_EQ(MakeDirPath("", 0), -1);
  EXPECT_EQ(MakeDirPath(nullptr, 0), -1);
}

TEST(FileTests, KindSizeAndTime) {
  std::string root = TempDir("kinds");
  std::string file = root + "/f.bin";
  WriteFile(file, std::string(1234, 'z'));
  EXPECT_EQ(IsDirectory(root.c_str()), 1);
  EXPECT_EQ(IsDirectory(file.c_str()), 0);
  EXPECT_EQ(IsDirectory((root + "/none").c_str()), -2);
  EXPECT_EQ(IsDirectory(""), -1);
  EXPECT_EQ(IsDirectory(nullptr), -1);
  EXPECT_EQ(IsRegularFile(file.c_str(), 4), 1);
  EXPECT_EQ(IsRegularFile(root.c_str(), 0), 0);
  EXPECT_EQ(IsRegularFile((root + "/none").c_str(), 0), 0);
  EXPECT_EQ(IsRegularFile(nullptr, 0), 0);
  EXPECT_EQ(FileSizeOf(file.c_str()), 1234);
  EXPECT_EQ(FileSizeOf((root + "/none").c_str()), -1);
  EXPECT_EQ(FileSizeOf(""), -2);
  long long now = Platform::Default().UnixNow();
  long long t = FileModTime(file.c_str());
  EXPECT_LE(std::llabs(now - t), 120) << t;
  EXPECT_EQ(FileModTime((root + "/none").c_str()), -1);
  EXPECT_EQ(FileModTime("nul"), 0);
}

TEST(CopyFileData, CopiesInBlocksAndReplacesTarget) {
  std::string root = TempDir("copy");
  std::string data;
  for (int i = 0; i < 150000; ++i) data += static_cast<char>(i * 7 % 256);
  WriteFile(root + "/src.bin", data);
  WriteFile(root + "/dst.bin", std::string(200000, 'x'));
  EXPECT_EQ(CopyFileData((root + "/src.bin").c_str(), (root + "/dst.bin").c_str()), 0);
  EXPECT_EQ(ReadFile(root + "/dst.bin"), data);
  WriteFile(root + "/empty", "");
  EXPECT_EQ(CopyFileData((root + "/empty").c_str(), (root + "/empty2").c_str()), 0);
  EXPECT_EQ(FileSizeOf((root + "/empty2").c_str()), 0);
}

TEST(CopyFileData, Failures) {
  std::string root = TempDir("copyfail");
  WriteFile(root + "/src.txt", "abc");
  EXPECT_EQ(CopyFileData((root + "/none").c_str(), (root + "/t").c_str()), -1);
  EXPECT_EQ(IsRegularFile((root + "/t").c_str(), 0), 0);
  EXPECT_EQ(CopyFileData((root + "/src.txt").c_str(), (root + "/nofolder/t").c_str()), -5);
  EXPECT_EQ(CopyFileData(nullptr, "x"), -1);
  // A folder is no file to copy (POSIX opens it and then fails on reading).
  MakeDirPath((root + "/folder").c_str(), 0);
  EXPECT_EQ(CopyFileData((root + "/folder").c_str(), (root + "/t2").c_str()), -4);
}

TEST(CopyFileData, OntoItselfLeavesTheFile) {
  std::string root = TempDir("copyself");
  std::string src = root + "/Self.txt";
  WriteFile(src, "keep me");
  EXPECT_EQ(CopyFileData(src.c_str(), src.c_str()), 0);
  // The same file written with the other slash must not be deleted as "the old target".
  std::string back = src;
  back[root.size()] = '\\';
  EXPECT_EQ(CopyFileData(src.c_str(), back.c_str()), 0);
  if (Platform::Default().PathsIgnoreCase()) {
    std::string upper = root + "/SELF.TXT";
    EXPECT_EQ(CopyFileData(src.c_str(), upper.c_str()), 0);
  }
  EXPECT_EQ(ReadFile(src), "keep me");
}

}  // namespace
