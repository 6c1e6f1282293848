// Tests of the text array: ownership and null entries, key-value entries, finding, sorting,
// line endings of both file loaders and the block reader, CSV conversion, saving, and folder
// listings (extension filter, recursion, creation-time order).
#include "common/lists/txt_array.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/platform/platform.h"
#include "common/settings/trace_log.h"
#include "common/testing/test_dirs.h"
#include "common/text/block_reader.h"

namespace {

std::vector<std::string> Entries(const CTxtArray& a) {
  std::vector<std::string> out;
  for (int i = 0; i < a.GetSize(); ++i) out.push_back(a.GetAtTxt(i) ? a.GetAtTxt(i) : "<null>");
  return out;
}

using Lines = std::vector<std::string>;

TEST(TxtArrayList, AddInsertSetRemoveAndNullEntries) {
  CTxtArray a;
  EXPECT_EQ(0, a.Add("b"));
  EXPECT_EQ(1, a.Add(nullptr));
  EXPECT_EQ(0, a.Insert(0, "a"));
  EXPECT_EQ((Lines{"a", "b", ""}), Entries(a));
  EXPECT_EQ(0, a.SetAt(5, "f"));  // grows; 3 and 4 stay null
  EXPECT_EQ(6, a.GetSize());
  EXPECT_EQ(nullptr, a.GetAtTxt(4));
  EXPECT_EQ(nullptr, a.GetAt(6));
  EXPECT_EQ(nullptr, a.GetAt(-1));
  EXPECT_EQ(-1, a.SetAt(-1, "x"));
  EXPECT_EQ(-1, a.RemoveAt(6));
  EXPECT_EQ(0, a.RemoveAt(0));
  EXPECT_STREQ("b", a.GetAtTxt(0));

  CTxt joined;
  EXPECT_EQ(5, a.GetDelimTxt(joined, ";"));
  EXPECT_STREQ("b;;;;f;", joined);
  CTxt viaText;
  EXPECT_EQ(5, viaText.LoadFromArray(a, "\r\n"));
  EXPECT_STREQ("b\r\n\r\n\r\n\r\nf\r\n", viaText);

  CTxtArray same;
  same.LoadFromTxt("B\n\n\n\nF\n");
  EXPECT_EQ(0, a.Compare(same));
  same.SetAt(4, "g");
  EXPECT_EQ(-2, a.Compare(same));
  same.Add("h");
  EXPECT_EQ(-1, a.Compare(same));
}

TEST(TxtArrayFind, FindersAndAddIfNew) {
  CTxtArray a;
  a.LoadFromTxt("alpha\nBeta one\ngamma\nbeta two\n");
  EXPECT_EQ(1, a.FindString("BETA ONE"));
  EXPECT_EQ(-1, a.FindString("beta"));
  EXPECT_EQ(1, a.FindStringStart("BETA"));
  EXPECT_EQ(3, a.FindStringStart("beta", 1));
  EXPECT_EQ(2, a.FindStringSegment("AMM"));
  EXPECT_EQ(-1, a.FindStringSegment("zz"));
  EXPECT_EQ(0, a.AddIfNew("ALPHA"));
  EXPECT_EQ(1, a.AddIfNew("delta"));
  EXPECT_EQ(4, a.AddIfNewIdx("Delta"));
  EXPECT_EQ(5, a.GetSize());
}

TEST(TxtArrayKeyValue, FindSetRemoveAndCount) {
  CTxtArray a;
  a.Add("ABC|1|2");
  a.Add("plain");
  CTxt out("keep");
  EXPECT_EQ(0, a.FindValue("abc", out));
  EXPECT_STREQ("1|2", out);
  out = "keep";
  EXPECT_EQ(-1, a.FindValue("xyz", out));
  EXPECT_STREQ("keep", out);
  EXPECT_EQ(-1, a.FindValueReset("xyz", out));
  EXPECT_STREQ("", out);
  EXPECT_EQ(-1, a.FindValue("xyz", out, 1));
  EXPECT_STREQ("xyz to found", out);
  EXPECT_EQ(1, a.FindValueInt("ABC"));
  EXPECT_EQ(-1, a.FindValueInt("nope"));

  for (int i = 0; i < 3; ++i) a.AddCnt("x");
  EXPECT_EQ(2, a.FindString("x|3"));
  EXPECT_EQ(3, a.GetSize());

  EXPECT_EQ(0, a.SetValue("abc", "new"));
  EXPECT_STREQ("abc|new", a.GetAtTxt(0));
  EXPECT_EQ(3, a.SetValue("k", "v"));
  EXPECT_EQ(0, a.SetValue("ABC", nullptr));
  EXPECT_EQ(-1, a.FindValue("abc", out));
  EXPECT_EQ(-1, a.SetValue("abc", nullptr));

  // Keys compare over their first 99 characters only.
  const std::string longKey(120, 'k');
  a.SetValue(longKey.c_str(), "1");
  const std::string sameStart = std::string(99, 'k') + "DIFFERENT";
  EXPECT_GE(a.FindValue(sameStart.c_str(), out), 0);
}

TEST(TxtArraySort, CaseInsensitiveAndCustom) {
  CTxtArray a;
  a.LoadFromFields("pear, Apple ,banana,,apricot", ',');
  EXPECT_EQ((Lines{"pear", "Apple", "banana", "apricot"}), Entries(a));
  a.Sort();
  EXPECT_EQ((Lines{"Apple", "apricot", "banana", "pear"}), Entries(a));
  a.SortCust([](const char* x, const char* y) { return -strcmp(x, y); });
  EXPECT_EQ((Lines{"pear", "banana", "apricot", "Apple"}), Entries(a));
  a.LoadFromFields("z", ',', 0);  // appends
  EXPECT_EQ(5, a.GetSize());
}

class TxtArrayFiles : public ::testing::Test {
 protected:
  ScopedTempDir dir_{"txtarray"};
  CTxt msg_;
};

TEST_F(TxtArrayFiles, LineEndingsOfBothLoaders) {
  const std::string path = dir_.File("ends.txt");
  ASSERT_TRUE(WriteWholeFile(path, "a\r\nb\rc\n\nd"));
  CTxtArray a;
  EXPECT_EQ(5, a.LoadFromFile(path.c_str(), msg_));
  EXPECT_EQ((Lines{"a", "b", "c", "", "d"}), Entries(a));  // a lone CR ends a line, too
  // The block reader ends lines at LF only and drops every CR.
  EXPECT_EQ(4, a.LoadFromFileBuf(path.c_str(), msg_));
  EXPECT_EQ((Lines{"a", "bc", "", "d"}), Entries(a));
  // Switched to end lines at a lone CR (rule files), it reads as LoadFromFile does.
  EXPECT_EQ(5, a.LoadFromFileBuf(path.c_str(), msg_, 0, true));
  EXPECT_EQ((Lines{"a", "b", "c", "", "d"}), Entries(a));
  ASSERT_TRUE(WriteWholeFile(path, "\r\r\nx\r"));
  EXPECT_EQ(3, a.LoadFromFileBuf(path.c_str(), msg_, 0, true));
  EXPECT_EQ((Lines{"", "", "x"}), Entries(a));

  ASSERT_TRUE(WriteWholeFile(path, "x\ny\n"));
  EXPECT_EQ(2, a.LoadFromFile(path.c_str(), msg_));
  EXPECT_EQ(2, a.LoadFromFileBuf(path.c_str(), msg_));

  // Zero byte ends a line, Ctrl-Z ends a line and at a line's start the data.
  ASSERT_TRUE(WriteWholeFile(path, std::string("p\0q\nr\x1As\n\x1Alost\n", 14)));
  EXPECT_EQ(4, a.LoadFromFileBuf(path.c_str(), msg_));
  EXPECT_EQ((Lines{"p", "q", "r", "s"}), Entries(a));
}

TEST_F(TxtArrayFiles, LimitsAppendAndOpenFailures) {
  const std::string path = dir_.File("five.txt");
  ASSERT_TRUE(WriteWholeFile(path, "1\n2\n3\n4\n5\n"));
  CTxtArray a;
  EXPECT_EQ(2, a.LoadFromFileBuf(path.c_str(), msg_, 2));
  EXPECT_EQ(7, a.LoadFromFileBuf(path.c_str(), msg_, -1));

  const std::string longLine(150000, 'z');
  ASSERT_TRUE(WriteWholeFile(path, longLine + "\nend"));
  EXPECT_EQ(2, a.LoadFromFile(path.c_str(), msg_));
  EXPECT_EQ(99999, a.GetAt(0)->GetLength());
  EXPECT_EQ(2, a.LoadFromFileBuf(path.c_str(), msg_));
  EXPECT_EQ(99999, a.GetAt(0)->GetLength());
  EXPECT_STREQ("end", a.GetAtTxt(1));

  const std::string missing = dir_.File("missing.txt");
  EXPECT_EQ(-1, a.LoadFromFile(missing.c_str(), msg_));
  EXPECT_EQ(0, std::string(msg_).find("Cannot open " + missing + " ("));
  EXPECT_EQ(-1, a.LoadFromFileBuf(missing.c_str(), msg_));
  EXPECT_EQ(-1, a.LoadFromCSV(missing.c_str(), msg_));
}

// The block reader reads 300000 bytes at a time; a line that straddles two blocks, with its
// line end split between them or ending the first block, comes back whole, in both modes.
TEST_F(TxtArrayFiles, LinesAcrossReadBlocks) {
  const std::string path = dir_.File("blocks.txt");
  for (const bool loneCrEnds : {false, true}) {
    for (const char* end : {"\r\n", "\r"}) {
      if (!loneCrEnds && end[1] == 0) continue;  // a dropped CR joins the lines
      SCOPED_TRACE(std::string(loneCrEnds ? "lone CR ends, " : "") + (end[1] ? "CR LF" : "CR"));
      std::string data;
      for (int i = 0; i < 299; ++i) data += std::string(999, 'x') + "\n";
      data += std::string(999, 'y') + end + "end";  // the CR is byte 299999, the last of a block
      ASSERT_TRUE(WriteWholeFile(path, data));
      CTxtArray a;
      const int n = a.LoadFromFileBuf(path.c_str(), msg_, 0, loneCrEnds);
      ASSERT_EQ(301, n);
      EXPECT_EQ(std::string(999, 'y'), a.GetAtTxt(299));
      EXPECT_STREQ("end", a.GetAtTxt(300));
      CTxtArray b;
      ASSERT_EQ(301, b.LoadFromFile(path.c_str(), msg_));
      EXPECT_EQ(0, a.Compare(b));
    }
  }
}

TEST_F(TxtArrayFiles, CsvQuotesAndCommas) {
  const std::string path = dir_.File("q.csv");
  ASSERT_TRUE(WriteWholeFile(path, "a,\"b,c\",d\r\n\"x\"\"y\",,z\r\n"));
  CTxtArray a;
  EXPECT_EQ(2, a.LoadFromCSV(path.c_str(), msg_));
  EXPECT_STREQ("a\tb,c\td", a.GetAtTxt(0));
  EXPECT_STREQ("xy\t\tz", a.GetAtTxt(1));
}

TEST_F(TxtArrayFiles, SaveMessagesCountsAndAppend) {
  const std::string path = dir_.File("out.txt");
  CTxtArray a;
  a.Add("one");
  EXPECT_EQ(0, a.SaveToFile(path.c_str(), msg_));
  EXPECT_EQ("Saved 1 line to " + path, std::string(msg_));
  a.Add("two");
  a.SetAt(3, "four");
  EXPECT_EQ(0, a.SaveToFile(path.c_str(), msg_));
  EXPECT_EQ("Saved 4 lines to " + path, std::string(msg_));
  EXPECT_EQ("one\r\ntwo\r\n\r\nfour\r\n", ReadWholeFile(path));
  EXPECT_EQ(0, a.SaveToFile(path.c_str(), msg_, 1, 1));
  EXPECT_EQ("one\r\ntwo\r\n\r\nfour\r\none\r\n", ReadWholeFile(path));

  EXPECT_EQ(-1, a.SaveToFile(dir_.File("no/such/folder.txt").c_str(), msg_));
  EXPECT_EQ(0, std::string(msg_).find("Cannot open "));
  EXPECT_EQ(-10, a.SaveToNextFile(dir_.File("plain.txt").c_str(), msg_));

  const std::string pattern = dir_.File("run%%%.txt");
  EXPECT_EQ(0, a.SaveToNextFile(pattern.c_str(), msg_));
  EXPECT_EQ(0, a.SaveToNextFile(pattern.c_str(), msg_));
  EXPECT_EQ("one\r\ntwo\r\n\r\nfour\r\n", ReadWholeFile(dir_.File("run002.txt")));
}

TEST(BlockReaderMemory, LinesFromBytesAndSmallBuffers) {
  BlockReader reader;
  const char page[] = "12:00:01<br>\r\nFriday, March 14, 2025\r\ntail";
  reader.OpenMemory(page, sizeof page - 1);
  char buf[8];
  EXPECT_EQ(7, reader.ReadLine(buf, sizeof buf));  // cut to the buffer
  EXPECT_STREQ("12:00:0", buf);
  EXPECT_EQ(7, reader.ReadLine(buf, sizeof buf));
  EXPECT_EQ(4, reader.ReadLine(buf, sizeof buf));
  EXPECT_STREQ("tail", buf);
  EXPECT_EQ(-1, reader.ReadLine(buf, sizeof buf));

  reader.SetCtrlZBlank(true);
  reader.OpenMemory("\x1A" "a\n", 3);
  EXPECT_EQ(2, reader.ReadLine(buf, sizeof buf));
  EXPECT_STREQ(" a", buf);
  reader.Close();
  EXPECT_EQ(-1, reader.ReadLine(buf, sizeof buf));
}

class TxtArrayListing : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = dir_.path();
    ASSERT_EQ(0, Platform::Default().MakeDir((root_ + "/sub").c_str()));
    ASSERT_EQ(0, Platform::Default().MakeDir((root_ + "/sub/deep").c_str()));
    for (const char* name : {"a.txt", "b.TXT", "c.csv", "sub/d.txt", "sub/deep/e.txt",
                             "sub/f.log"}) {
      ASSERT_TRUE(WriteWholeFile(root_ + "/" + name, name));
    }
  }
  ScopedTempDir dir_{"listing"};
  std::string root_;
};

TEST_F(TxtArrayListing, ExtensionFilterRecursesWithoutFolders) {
  CTxtArray a;
  EXPECT_EQ(4, a.LoadFromDir(root_.c_str(), 1, 0, "!txt"));
  EXPECT_EQ((Lines{root_ + "/a.txt", root_ + "/b.TXT", root_ + "/sub/d.txt",
                   root_ + "/sub/deep/e.txt"}),
            Entries(a));
}

TEST_F(TxtArrayListing, FoldersWildcardsAndTree) {
  CTxtArray a;
  EXPECT_EQ(4, a.LoadFromDir(root_.c_str()));  // a, b, c and the folder sub
  EXPECT_EQ(root_ + "/sub", Entries(a).back());
  EXPECT_EQ(3, a.LoadFromDir(root_.c_str(), 0, 1));  // files only
  EXPECT_EQ(1, a.LoadFromDir(root_.c_str(), 0, 0, "*.csv"));
  EXPECT_EQ(root_ + "/c.csv", Entries(a)[0]);
  EXPECT_EQ(2, a.LoadFromDirNoSort(root_.c_str(), 0, 0, "a.*"));  // accumulates

  EXPECT_EQ(6, a.LoadFromDir(root_.c_str(), 1, 1));  // six files and nothing else
  EXPECT_EQ(6, a.LoadFromFilesFromTree(root_.c_str(), "", 0, 0, 1));
  EXPECT_EQ(2, a.LoadFromFilesFromTree(root_.c_str(), "txt", 0, 0, 0));
  EXPECT_EQ(0, a.LoadFromDir((root_ + "/missing").c_str()));
}

TEST_F(TxtArrayListing, VerboseListingsAreTraced) {
  CTxtArray a;
  EXPECT_EQ(1, a.LoadFromDir(root_.c_str(), 0, 0, "*.csv", 0, 1));
  EXPECT_EQ(2, a.LoadFromFilesFromTree((root_ + "/sub").c_str(), "txt", 2, 0, 1));
  char logPath[1024] = "";
  ASSERT_GT(GetLogFilePath(logPath, sizeof logPath), 0);
  const std::string log = ReadWholeFile(Platform::Default().NativePath(logPath));
  const std::string head = "Dir=" + root_ + ", Desc=0, File=0, Path=*.csv, nLev=0";
  EXPECT_NE(std::string::npos, log.find("LoadFromDir     |")) << log;
  EXPECT_NE(std::string::npos, log.find(head + "\r\n")) << log;
  EXPECT_NE(std::string::npos, log.find("Found File=" + root_ + "/c.csv")) << log;
  EXPECT_NE(std::string::npos, log.find(head + ", Sort 1 Files - Completed")) << log;
  EXPECT_NE(std::string::npos, log.find("LoadFromTree    |")) << log;
  EXPECT_NE(std::string::npos, log.find("Dir=" + root_ + "/sub, Ext=txt, nLev=0")) << log;
  EXPECT_NE(std::string::npos, log.find("Found File=" + root_ + "/sub/deep/e.txt")) << log;
}

TEST_F(TxtArrayListing, SortTimeOrdersByCreationOldestFirst) {
  ScopedTempDir timed("timed");
  // Names against the time order, so that only the time prefix can sort them.
  for (const char* name : {"z.txt", "m.txt", "a.txt"}) {
    ASSERT_TRUE(WriteWholeFile(timed.File(name), name));
    Platform::Default().SleepMs(30);
  }
  CTxtArray a;
  EXPECT_EQ(3, a.LoadFromDirSortTime(timed.path().c_str()));
  EXPECT_EQ(kListCreated, a.GetListStyle());
  ASSERT_EQ(3, a.GetSize());
  const Lines e = Entries(a);
  EXPECT_EQ(timed.File("z.txt"), e[0].substr(e[0].rfind('|') + 1));
  EXPECT_EQ(timed.File("m.txt"), e[1].substr(e[1].rfind('|') + 1));
  EXPECT_EQ(timed.File("a.txt"), e[2].substr(e[2].rfind('|') + 1));
  // "yyyymmdd|hhmmss.mmm|path"
  EXPECT_EQ('|', e[0][8]);
  EXPECT_EQ('.', e[0][15]);
  EXPECT_EQ('|', e[0][19]);

  // The style stays for later listings of the same array.
  EXPECT_EQ(3, a.LoadFromDir(timed.path().c_str()));
  EXPECT_EQ('|', Entries(a)[0][8]);
  EXPECT_EQ(3, a.LoadFromDirSortTimeStyle(kListModifiedUnix, timed.path().c_str()));
  EXPECT_EQ(10u, Entries(a)[0].find('|'));  // seconds since 1970, ten digits today
}

TEST(TxtArrayListView, NoListViewIsReported) {
  CTxtArray a;
  a.Add("old");
  CTxt text("0");
  EXPECT_EQ(-1, a.LoadFromLC(nullptr, text, 2));
  EXPECT_EQ(0, a.GetSize());
  EXPECT_NE(-1, text.FindTextA("not SysListView32"));
}

}  // namespace
