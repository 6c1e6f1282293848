// The pattern-file loader: one read per file name (letter case ignored), the loader's
// states, and the "PatDetect Error" box for a file that cannot be read (recorded by the
// fake platform), which keeps nothing and is shown again on the next call.

#include "momentum/pat_detect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/testing/fake_platform.h"
#include "common/testing/test_dirs.h"

namespace {

class PatDetectTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearPatFiles(); }
  void TearDown() override { ClearPatFiles(); }

  ScopedTempDir dir_{"pat_detect"};
  FakePlatform platform_;
  ScopedPlatform scoped_{platform_};
};

TEST_F(PatDetectTest, FileIsReadOncePerNameWhateverTheCase) {
  const std::string path = dir_.File("Rising.txt");
  ASSERT_TRUE(WriteWholeFile(path, "A 1\r\nB 2\r\nC 3\r\n"));
  EXPECT_EQ(PatDetect(0, path.c_str()), 0);
  ASSERT_TRUE(WriteWholeFile(path, "changed\r\n"));  // not seen any more
  std::string upper = path;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(PatDetect(7, upper.c_str()), 0);
  EXPECT_EQ(PatDetect(0, path.c_str()), 0);
  EXPECT_EQ(PatFileCount(), 1);
  const CPatFileRec* rec = FindPatFile(upper.c_str());
  ASSERT_NE(rec, nullptr);
  EXPECT_STREQ(rec->m_Name, path.c_str());
  EXPECT_EQ(rec->m_nLineCount, 3);
  EXPECT_STREQ(rec->m_Lines.GetAtTxt(2), "C 3");
  EXPECT_EQ(rec->m_LineRecs.GetSize(), 0);
  EXPECT_EQ(rec->m_nState, CPatFileRec::kLoadTried);
  EXPECT_TRUE(platform_.messageBoxes.empty());

  // An empty file loads with no lines and is kept.
  const std::string empty = dir_.File("empty.txt");
  ASSERT_TRUE(WriteWholeFile(empty, ""));
  EXPECT_EQ(PatDetect(0, empty.c_str()), 0);
  EXPECT_EQ(PatFileCount(), 2);
  EXPECT_EQ(FindPatFile(empty.c_str())->m_nLineCount, 0);
}

TEST_F(PatDetectTest, UnreadableFileShowsTheBoxOnEveryCallAndKeepsNothing) {
  const std::string path = dir_.File("missing.txt");
  for (int call = 1; call <= 2; ++call) {
    EXPECT_EQ(PatDetect(0, path.c_str()), 0);
    ASSERT_EQ(platform_.messageBoxes.size(), static_cast<size_t>(call));
    const FakePlatform::MessageBoxCall& box = platform_.messageBoxes.back();
    EXPECT_EQ(box.caption, "PatDetect Error");
    EXPECT_EQ(box.flags, static_cast<unsigned>(kMbOk | kMbIconError));
    EXPECT_EQ(box.text, "File=" + path + ", Line#0, Error=Cannot open '" + path + "' (" +
                            std::strerror(ENOENT) + ")");
  }
  EXPECT_EQ(PatFileCount(), 0);

  // Once the file is there, the next call loads it.
  ASSERT_TRUE(WriteWholeFile(path, "X\n"));
  EXPECT_EQ(PatDetect(0, path.c_str()), 0);
  EXPECT_EQ(PatFileCount(), 1);
  EXPECT_EQ(platform_.messageBoxes.size(), 2u);

  // A null name: -9, no box.
  EXPECT_EQ(PatDetect(0, nullptr), -9);
  EXPECT_EQ(platform_.messageBoxes.size(), 2u);
  EXPECT_EQ(FindPatFile(nullptr), nullptr);
}

TEST_F(PatDetectTest, LoaderStates) {
  const std::string good = dir_.File("good.txt");
  ASSERT_TRUE(WriteWholeFile(good, "1\n2"));
  struct Case {
    std::string path;
    int first, again;
    int state;
  } cases[] = {
      {good, 0, 1, CPatFileRec::kLoadTried},
      {dir_.File("none.txt"), -1, 2, CPatFileRec::kLoadTried | CPatFileRec::kLoadFailed},
  };
  for (const Case& c : cases) {
    CPatFileRec rec;
    rec.m_Name = c.path.c_str();
    CTxt err;
    EXPECT_EQ(rec.Load(err), c.first) << c.path;
    EXPECT_EQ(rec.Load(err), c.again) << c.path;
    EXPECT_EQ(rec.m_nState, c.state);
    EXPECT_EQ(err.IsEmpty() != 0, c.first == 0) << err.GetData();
  }
}

}  // namespace
