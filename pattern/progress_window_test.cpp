// Progress display without a real window: the display switch, the search that finds
// nothing, and the line and percentage sent to a window the platform pretends to have.
#include <gtest/gtest.h>

#include <chrono>

#include "pattern/progress_window.h"

namespace {

TEST(ProgressWindow, SwitchedOffReturns99AndNoWindowReturnsMinusOneAtOnce) {
  EXPECT_EQ(ProgressDisplay(), 1);  // on at load
  SetProgressDisplay(0);
  EXPECT_EQ(UpdateProgressWindow("Processing Data", 5, 100000), 99);
  SetProgressDisplay(7);
  EXPECT_EQ(ProgressDisplay(), 1);

  // This system has no windows: the program start fails and the 100 lookups run out
  // without any pause between them.
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(UpdateProgressWindow("Processing Data", 5, 100000), -1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
