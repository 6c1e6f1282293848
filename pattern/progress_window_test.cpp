// Progress display without a real window: the display switch, the search and program start
// when the window is missing, and the line and percentage sent to a window that the
// platform pretends to have.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/testing/fake_platform.h"
#include "pattern/progress_window.h"

namespace {

// Pretends that the progress window appears at a chosen lookup and records what it is sent.
class WindowPlatform : public FakePlatform {
 public:
  int appearAtLookup = 1;  // 0: never
  int lookups = 0;
  int sleeps = 0;
  std::vector<std::string> events;  // "find <class> <title>", "text <id> <text>", "command <id>"

  void* FindTopWindow(const char* className, const char* titlePrefix) override {
    ++lookups;
    events.push_back(std::string("find ") + className + " " + titlePrefix);
    return appearAtLookup > 0 && lookups >= appearAtLookup ? &window_ : nullptr;
  }
  bool SetChildText(void* window, int controlId, const char* text) override {
    EXPECT_EQ(window, &window_);
    events.push_back("text " + std::to_string(controlId) + " " + text);
    return true;
  }
  bool SendCommand(void* window, int commandId) override {
    EXPECT_EQ(window, &window_);
    events.push_back("command " + std::to_string(commandId));
    return true;
  }
  void SleepMs(int) override { ++sleeps; }

 private:
  int window_ = 0;
};

class ProgressWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { SetProgressDisplay(1); }
  void TearDown() override { SetProgressDisplay(1); }
  WindowPlatform platform;
  ScopedPlatform scope{platform};
};

TEST_F(ProgressWindowTest, FirstBarOfTheEntryFrameShowsZeroPercent) {
  EXPECT_EQ(UpdateProgressWindow("Processing Data (Date=20150415 Time=0930)", -1, 100000), 0);
  std::vector<std::string> expected = {
      "find #32770 BARGAUGEVIEW",
      "text 1004 0.0\t0 of 100000 - Processing Data (Date=20150415 Time=0930)",
      "command 1002"};
  EXPECT_EQ(platform.events, expected);
  EXPECT_TRUE(platform.processes.empty());
}

TEST_F(ProgressWindowTest, PercentageRule) {
  struct Case {
    int position, total;
    const char* text;
    const char* line;
  } cases[] = {
      {49999, 100000, "a", "50.0\t50000 of 100000 - a"},     // 49.9995
      {99, 100000, "b", "0.1\t100 of 100000 - b"},           // 0.09999
      {99999, 100000, "c", "100.0\t100000 of 100000 - c"},   // 99.999
      {1, 2, "d", "66.7\t2 of 2 - d"},
      {0, 1, "e", "50.0\t1 of 1 - e"},                       // total below 2
      {7, 0, "f", "50.0\t8 of 0 - f"},
      {-1, -5, nullptr, "50.0\t0 of -5 - "},                 // null text counts as empty
  };
  for (const Case& c : cases) {
    platform.events.clear();
    ASSERT_EQ(UpdateProgressWindow(c.text, c.position, c.total), 0);
    ASSERT_EQ(platform.events.size(), 3u);
    EXPECT_EQ(platform.events[1], std::string("text 1004 ") + c.line);
  }
}

TEST_F(ProgressWindowTest, SwitchedOffLooksForNothing) {
  EXPECT_EQ(ProgressDisplay(), 1);  // on at load
  SetProgressDisplay(0);
  EXPECT_EQ(ProgressDisplay(), 0);
  EXPECT_EQ(UpdateProgressWindow("x", 5, 100000), 99);
  EXPECT_TRUE(platform.events.empty());
  SetProgressDisplay(7);
  EXPECT_EQ(ProgressDisplay(), 1);
}

TEST_F(ProgressWindowTest, MissingWindowStartsTheProgramAndLooks100MoreTimes) {
  platform.appearAtLookup = 0;
  EXPECT_EQ(UpdateProgressWindow("x", 5, 100000), -1);
  EXPECT_EQ(platform.lookups, 101);
  EXPECT_EQ(platform.sleeps, 0);
  ASSERT_EQ(platform.processes.size(), 1u);
  EXPECT_EQ(platform.processes[0].commandLine, "BarGaugeView.exe");
  EXPECT_FALSE(platform.processes[0].opts.wait);

  // The program's window shows up during the search: the line goes out in the same call.
  platform.lookups = 0;
  platform.events.clear();
  platform.appearAtLookup = 60;
  EXPECT_EQ(UpdateProgressWindow("x", 5, 100000), 0);
  EXPECT_EQ(platform.lookups, 60);
  EXPECT_EQ(platform.processes.size(), 2u);
  EXPECT_EQ(platform.events.back(), "command 1002");
}

}  // namespace
