// Tests of CTxt and files: path parts, file-name arithmetic, numbered files, whole-file
// load and save with their messages, binary records and the hex dump.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/platform/platform.h"
#include "common/testing/test_dirs.h"
#include "common/text/txt.h"

namespace {

std::string Part(const char* path, int part) {
  CTxt t(path), out;
  int n = t.GetFileTxt(part, out);
  EXPECT_EQ(n, out.GetLength());
  return std::string(out);
}

bool StartsWith(const char* text, const std::string& prefix) {
  return std::string(text).rfind(prefix, 0) == 0;
}

TEST(TxtFilesTest, PathParts) {
  const char* p = "C:/data/sub/name.v1.csv";
  EXPECT_EQ(Part(p, 0), "C:");
  EXPECT_EQ(Part(p, 1), "/data/sub/");
  EXPECT_EQ(Part(p, 2), "name.v1");
  EXPECT_EQ(Part(p, 3), "csv");
  EXPECT_EQ(Part(p, 4), "C:/data/sub/");
  EXPECT_EQ(Part(p, 5), "name.v1.csv");
  EXPECT_EQ(Part(p, 6), "C:/data/sub/name.v1");
  EXPECT_EQ(Part(p, 7), p);
  EXPECT_EQ(Part("c:\\dir.x\\file", 3), "");  // a point in the folder is no extension
  EXPECT_EQ(Part("c:\\dir.x\\file", 1), "\\dir.x\\");
  EXPECT_EQ(Part("plain", 2), "plain");
  EXPECT_EQ(Part("plain", 4), "");
  CTxt never, out("x");
  EXPECT_EQ(never.GetFileTxt(2, out), 0);

  CTxt a("C:/Data/File.TXT");
  EXPECT_EQ(a.IsSameFileTxt("c:/data/other.txt", 3), 1);
  EXPECT_EQ(a.IsSameFileTxt("c:/data/other.txt", 2), 0);
  EXPECT_EQ(a.IsSameFileTxt("c:\\data\\file.txt", 7), 1);
  EXPECT_EQ(a.IsSameFileTxt("c:\\data\\file.txt", 1), 0);
}

TEST(TxtFilesTest, SlashesAndExtensions) {
  CTxt t("\\\\server\\share\\dir\\");
  t.MakeFn();
  EXPECT_STREQ(t, "\\\\server/share/dir");
  t.SetTxt("c:/a/b//");
  t.MakeFnDOS();
  EXPECT_STREQ(t, "c:\\a\\b");

  t.SetTxt("c:/a/b.TXT");
  EXPECT_EQ(t.MakeFileExt("txt"), 1);
  EXPECT_STREQ(t, "c:/a/b.TXT");
  EXPECT_EQ(t.MakeFileExt("csv"), 0);
  EXPECT_STREQ(t, "c:/a/b.csv");
  t.SetTxt("c:/a/b");
  EXPECT_EQ(t.MakeFileExt(".log"), 0);
  EXPECT_STREQ(t, "c:/a/b.log");

  t.SetTxt("c:\\a\\old.txt");
  EXPECT_EQ(t.MakeFileName("new", "csv"), 0);
  EXPECT_STREQ(t, "c:/a/new.csv");
  t.MakeFileName("kept", nullptr);
  EXPECT_STREQ(t, "c:/a/kept.csv");
  t.MakeFileName("plain", "");
  EXPECT_STREQ(t, "c:/a/plain");  // an empty extension: no dot either
  t.MakeFileName("still", nullptr);
  EXPECT_STREQ(t, "c:/a/still");
  t.SetTxt("bare.txt");
  t.MakeFileName("other", "ini");
  EXPECT_STREQ(t, "other.ini");  // stays beside, not in the root folder

  t.SetTxt("c:/a/b.txt");
  t.AddToFn("2", 1);
  EXPECT_STREQ(t, "c:/a/b-2.txt");
  t.InsertToFn("pre", 1);
  EXPECT_STREQ(t, "c:/a/pre-b-2.txt");
  t.InsertToFn("x", 0);
  EXPECT_STREQ(t, "c:/a/xpre-b-2.txt");
  t.SetTxt("boom");
  t.AppendFileLocation("f.cpp", 12);
  EXPECT_STREQ(t, "boom\r\n(File=f.cpp, Line=12)");
  t.AppendFileLocation("g", 3, " [%s:%d]");
  EXPECT_STREQ(t, "boom\r\n(File=f.cpp, Line=12) [g:3]");
}

TEST(TxtFilesTest, FieldAndProgramName) {
  CTxt t;
  EXPECT_EQ(t.GetField("key  =value", '=', 1), 3);
  EXPECT_STREQ(t, "key");
  EXPECT_EQ(t.GetField("key  =value", '=', 0), 5);
  EXPECT_EQ(t.GetField("all of it", 0, 0), 9);

  CTxt name;
  EXPECT_GT(CTxt::GetExeName(name, 5), 0);
  EXPECT_EQ(name.FindChar('/'), -2);
  CTxt folder;
  CTxt::GetExeName(folder, 4);
  EXPECT_EQ(folder.FindChar('\\'), -2);
  EXPECT_EQ(folder.FindTextA("/Release/"), -1);
}

TEST(TxtFilesTest, NextNumberedFile) {
  ScopedTempDir dir("txt");
  ASSERT_TRUE(WriteWholeFile(dir.File("run001.txt"), "1"));
  ASSERT_TRUE(WriteWholeFile(dir.File("run002.txt"), "2"));
  CTxt t;
  std::string pattern = dir.File("run%%%.txt");
  EXPECT_EQ(t.GetNextFile(pattern.c_str()), 3);
  EXPECT_EQ(std::string(t), dir.File("run003.txt"));
  EXPECT_EQ(t.GetNextFile(dir.File("x%%").c_str()), 1);
  EXPECT_EQ(std::string(t), dir.File("x01"));
  EXPECT_EQ(t.GetNextFile("no-run%.txt"), -1);
  EXPECT_STREQ(t, "Missing Sequence Placeholder (%) in: no-run%.txt");

  // The pattern may be the text itself; a number wider than the run lengthens the name.
  for (int i = 1; i <= 100; i++) {
    char name[16];
    snprintf(name, sizeof name, "n%02d.log", i);
    ASSERT_TRUE(WriteWholeFile(dir.File(name), "x"));
  }
  CTxt self(dir.File("n%%.log").c_str());
  EXPECT_EQ(self.GetNextFile(self), 101);
  EXPECT_EQ(std::string(self), dir.File("n101.log"));
}

TEST(TxtFilesTest, WholeFileRoundTrip) {
  ScopedTempDir dir("txt");
  std::string path = dir.File("data.bin");
  CTxt t;
  t.ReadFromRam("line1\r\n", 7);
  EXPECT_EQ(t.SaveToFile(path.c_str(), 0), 7);
  t.SetTxt("more");
  EXPECT_EQ(t.SaveToFileCommit(path.c_str(), 1), 4);
  EXPECT_EQ(ReadWholeFile(path), "line1\r\nmore");
  t.SetTxt("new");
  EXPECT_EQ(t.SaveToFile(path.c_str(), 0), 3);  // replaces
  EXPECT_EQ(ReadWholeFile(path), "new");

  ASSERT_TRUE(WriteWholeFile(path, std::string("a\0b", 3)));
  CTxt in;
  EXPECT_EQ(in.LoadFromFile(path.c_str()), 3);  // the length is the file size
  EXPECT_EQ(in.GetAt(2), 'b');

  std::string missing = dir.File("none/x.txt");
  EXPECT_EQ(in.LoadFromFile(missing.c_str()), -1);
  EXPECT_TRUE(StartsWith(in, "Cannot open '" + missing + "' (")) << (const char*)in;
  t.SetTxt("x");
  EXPECT_EQ(t.SaveToFile(missing.c_str(), 0), -1);
  EXPECT_TRUE(StartsWith(t, "Cannot open '" + missing + "' ("));
  EXPECT_EQ(t.SaveToFile("", 0), -1);
  EXPECT_STREQ(t, "Missing filename");
  EXPECT_EQ(t.SaveToFile(nullptr, 1), -1);
}

TEST(TxtFilesTest, BinaryRecords) {
  ScopedTempDir dir("txt");
  std::string path = dir.File("records.bin");
  FILE* f = Platform::Default().OpenFile(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  CTxt a("hello"), never;
  EXPECT_EQ(a.BinarySave(f), 10);
  EXPECT_EQ(never.BinarySave(f), 5);
  fclose(f);
  std::string bytes = ReadWholeFile(path);
  EXPECT_EQ(bytes, std::string("\x06\0\0\0hello\0\x01\0\0\0\0", 15));

  f = Platform::Default().OpenFile(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  CTxt r;
  EXPECT_EQ(r.BinaryRead(f), 0);
  EXPECT_STREQ(r, "hello");
  EXPECT_EQ(r.BinaryRead(f), 0);
  EXPECT_EQ(r.GetLength(), 0);
  r.SetTxt("kept");
  EXPECT_EQ(r.BinaryRead(f), -1);  // end of file
  EXPECT_STREQ(r, "kept");
  fclose(f);

  CTxt m;
  EXPECT_EQ(m.BinaryRead(bytes.data(), static_cast<int>(bytes.size())), 10);
  EXPECT_STREQ(m, "hello");
  m.SetTxt("kept");
  EXPECT_EQ(m.BinaryRead(bytes.data(), 9), -1);  // the record is longer than the memory
  EXPECT_EQ(m.BinaryRead(bytes.data(), 3), -1);
  EXPECT_EQ(m.BinaryRead("\0\0\0\0", 4), -1);  // a count of 0 is not a record
  EXPECT_STREQ(m, "kept");
}

TEST(TxtFilesTest, HexDump) {
  ScopedTempDir dir("txt");
  std::string path = dir.File("w.bin");
  ASSERT_TRUE(WriteWholeFile(path, std::string("AB\x01\xff\x10", 5)));
  CTxt t;
  EXPECT_EQ(t.PrintFile(path.c_str(), 4, 1), 0);
  EXPECT_EQ(std::string(t), dir.File("w-4.txt"));
  EXPECT_EQ(ReadWholeFile(dir.File("w-4.txt")),
            "FILE:\t" + path + "\r\n\r\nLENGTH=4:\r\nPOS0:\r\n"
            "[        0]: FF014241 -    -16694719 - AB??\r\n"
            "[        4]: 00000010 -           16 - ?   \r\n");
  EXPECT_EQ(t.PrintFile(path.c_str(), 1, 0), 0);
  std::string one = ReadWholeFile(dir.File("w-1.txt"));
  EXPECT_NE(one.find("POS0:\r\n41 -  65 - A \r\n42 -  66 - B \r\n01 -   1 - ? \r\nFF - 255 - ? \r\n"),
            std::string::npos)
      << one;
  EXPECT_EQ(t.PrintFile(path.c_str(), 2, 0), 0);
  EXPECT_NE(ReadWholeFile(dir.File("w-2.txt")).find("4241 -  16961 - AB\r\nFF01 -  65281 - ??\r\n"),
            std::string::npos);

  std::string big = dir.File("big.bin");
  ASSERT_TRUE(WriteWholeFile(big, std::string(1002, 'x')));
  EXPECT_EQ(t.PrintFile(big.c_str(), 2, 0), 0);
  EXPECT_NE(ReadWholeFile(dir.File("big-2.txt")).find("POS1000:\r\n7878"), std::string::npos);

  EXPECT_EQ(t.PrintFile(dir.File("missing.bin").c_str(), 1, 0), -1);
  EXPECT_TRUE(StartsWith(t, "Empty or missing file "));
  ASSERT_TRUE(WriteWholeFile(dir.File("empty.bin"), ""));
  EXPECT_EQ(t.PrintFile(dir.File("empty.bin").c_str(), 1, 0), -1);
  EXPECT_EQ(std::string(t), "Empty or missing file " + dir.File("empty.bin") + " (0)");
}

}  // namespace
