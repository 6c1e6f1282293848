// XMT_PATTERN_CalcPat from the outside: the built library loaded by file name, bars fed with
// XMT_PATTERN_AddBar, the rule file read from the library's own pattern folder, results
// compared with the checked-in sample run, and the error buffer bound.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <string>

#include "common/testing/loaded_library.h"
#include "common/testing/test_data.h"
#include "common/testing/test_dirs.h"
#include "hostbridge/entry_frame.h"
#include "hostbridge/testing/host_bars.h"
#include "pattern/testing/golden_slots.h"
#include "pattern/testing/pattern_test_env.h"
#include "pattern/xmt_pattern.h"
#include "studycore/barmgr/testing/data_drive.h"

namespace {

class CalcPatExportTest : public ::testing::Test {
 protected:
  // Loaded once and left loaded: the library's trace log stays open for the life of the
  // process by design, so after an unload a leak check would report its state.
  static void SetUpTestSuite() {
    static const LoadedLibrary library(XMT_PATTERN_FILE_NAME);
    lib_ = &library;
    addBar_ = library.Get<XMT_PATTERN_AddBar_fn>("XMT_PATTERN_AddBar");
    calcPat_ = library.Get<XMT_PATTERN_CalcPat_fn>("XMT_PATTERN_CalcPat");
  }
  void SetUp() override {
    PresetDataDrive();
    ASSERT_TRUE(lib_->Loaded()) << lib_->Error();
    ASSERT_NE(nullptr, addBar_);
    ASSERT_NE(nullptr, calcPat_);
  }

  static inline const LoadedLibrary* lib_ = nullptr;
  static inline XMT_PATTERN_AddBar_fn addBar_ = nullptr;
  static inline XMT_PATTERN_CalcPat_fn calcPat_ = nullptr;
};

TEST_F(CalcPatExportTest, SampleRunThroughTheExports) {
  std::string rules, expectedText;
  ASSERT_TRUE(ReadWholeFile(TestDataPath("patterns/PR_Swing3.txt"), &rules));
  ASSERT_TRUE(ReadWholeFile(TestDataPath("patterns/expected_Swing3.csv"), &expectedText));
  ASSERT_TRUE(WritePatternFile("pfx_Swing3", rules));

  // date -> "result,slots..." of every bar on which the checked-in run saw something.
  std::map<int, std::string> expected;
  std::istringstream lines(expectedText);
  std::string line;
  while (std::getline(lines, line)) {
    int date = 0, result = 0, count = 0, used = 0;
    if (std::sscanf(line.c_str(), "%d,%d,%d%n", &date, &result, &count, &used) == 3)
      expected[date] = std::to_string(result) + line.substr(static_cast<size_t>(used));
  }
  ASSERT_GT(expected.size(), 100u);

  XmtSlot block[8] = {};
  std::string previous;
  int checked = 0;
  for (const HostBar& b : HostBars(ReadTestBars("ttrc_daily.csv"), 100)) {
    const int date = HostDateToFull(b.date);
    int index = addBar_(1, "pfx_run", b.date, 0, 0, 100, &b.open, &b.high, &b.low, &b.close,
                        b.volume);
    ASSERT_GE(index, 0);
    char err[XMT_PATTERN_ERR_BUF_SIZE] = {};
    int r = calcPat_(0, "pfx_run", index + 1, 5, 5, block, "pfx_Swing3", err);
    ASSERT_GE(r, 0) << err;
    std::string got = std::to_string(r);
    if (r > 1) got += GoldenSlots(block, r);
    auto it = expected.find(date);
    if (it != expected.end()) {
      ASSERT_EQ(it->second, got) << date;
      ++checked;
    } else {
      // Nothing new on this bar: no new first pivot, and the block repeats the last one.
      ASSERT_NE(1, r) << date;
      if (r > 1) {
        ASSERT_EQ(previous, got) << date;
      }
    }
    if (r > 1) previous = got;
  }
  EXPECT_EQ(static_cast<int>(expected.size()), checked);
}

TEST_F(CalcPatExportTest, ErrorTextIsBoundedAndNullsAreSafe) {
  EXPECT_EQ(-2, calcPat_(0, nullptr, 1, 5, 5, nullptr, "x", nullptr));
  char err[XMT_PATTERN_ERR_BUF_SIZE + 64];
  std::memset(err, 'Z', sizeof err);
  const std::string longName(XMT_PATTERN_ERR_BUF_SIZE, 'q');
  EXPECT_EQ(-5, calcPat_(0, "pfx_err", 2, 5, 5, nullptr, longName.c_str(), err));
  EXPECT_EQ(static_cast<size_t>(XMT_PATTERN_ERR_BUF_SIZE - 1), std::strlen(err));
  for (size_t i = XMT_PATTERN_ERR_BUF_SIZE; i < sizeof err; ++i) ASSERT_EQ('Z', err[i]);
  EXPECT_EQ(-5, calcPat_(0, "pfx_err", 2, 5, 5, nullptr, nullptr, nullptr));

  // Garbage positions and window lengths: no pivot, no evaluation, no crash.
  ASSERT_TRUE(WritePatternFile("pfx_any", "Symbols:\nAB\n"));
  for (int pos : {INT_MIN, -1, 0, 2, INT_MAX}) {
    EXPECT_EQ(0, calcPat_(0, "pfx_garbage", pos, INT_MIN, INT_MAX, nullptr, "pfx_any", nullptr))
        << pos;
  }
}

}  // namespace
