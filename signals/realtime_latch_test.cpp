// The real-time latch on the fake clock.
#include <gtest/gtest.h>

#include "common/testing/fake_platform.h"
#include "signals/realtime_latch.h"

namespace {

TEST(RealtimeLatch, TripsOnTheFirstCallMoreThanTheSecondsAfterTheFirst) {
  FakePlatform fake;
  ScopedPlatform scope(fake);
  CRealtimeLatch latch;
  EXPECT_EQ(-1, latch.Check(5, 10));
  fake.AdvanceMs(10000);
  EXPECT_EQ(-1, latch.Check(5, 10));  // exactly 10 s is not more
  fake.AdvanceMs(1000);
  EXPECT_EQ(5, latch.Check(5, 10));
  EXPECT_EQ(5, latch.Check(0, 1000));  // for good, whatever the arguments
  EXPECT_EQ(5, latch.Check(8, -1));
}

TEST(RealtimeLatch, AValueOfZeroOrLessNeverTrips) {
  FakePlatform fake;
  ScopedPlatform scope(fake);
  CRealtimeLatch latch;
  EXPECT_EQ(-1, latch.Check(0, 10));
  fake.AdvanceMs(100000);
  EXPECT_EQ(-1, latch.Check(0, 10));
  EXPECT_EQ(-1, latch.Check(-3, 10));
  EXPECT_EQ(4, latch.Check(4, 10));  // the time still counts from the very first call
}

}  // namespace
