// The sound, speech and small-function exports through the loaded library. The library
// runs on the real backend here: no MIDI device exists (POSIX, Wine), and speech is silent
// where there is no speech service; the results do not depend on either.
#include <gtest/gtest.h>

#include <climits>

#include "signals/testing/signals_under_test.h"

namespace {

class SignalsExportsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(L.Complete()) << L.lib.Error(); }
  SignalsLibrary& L = SignalsLibrary::Get();
};

TEST_F(SignalsExportsTest, TickSoundAlwaysAnswersZero) {
  EXPECT_EQ(0, L.tickSound(0, 10, 0, 5));
  EXPECT_EQ(0, L.tickSound(0, INT_MAX, INT_MIN, -1));
  EXPECT_EQ(0, L.tickSound(1, 45, 100, 300));
}

TEST_F(SignalsExportsTest, SpeakResults) {
  EXPECT_EQ(-2, L.speak(nullptr, "text", 0));
  EXPECT_EQ(-3, L.speak("Speak", nullptr, 0));
  EXPECT_EQ(1, L.speak("Speak", "", 0));
  EXPECT_EQ(1, L.speak("sPEAKwAIT", "", 0));
  EXPECT_EQ(0, L.speak("sPeAkWaIt", "Long entry filled", 0));
  EXPECT_EQ(0, L.speak("Speak", "Stop hit", 0));
  EXPECT_EQ(0, L.speak("Stop", "", 0));
  EXPECT_EQ(0, L.speak("Louder", "", 0));
  EXPECT_EQ(0, L.speak("Stop", "ignored", 0));
}

TEST_F(SignalsExportsTest, PrcNormScalesInPlace) {
  int a = 25, b = 24, c = -25, d = -24, e = 0;
  EXPECT_EQ(0, L.prcNorm(0.1f, &a, &b, &c, &d, &e));
  EXPECT_EQ(3, a);
  EXPECT_EQ(2, b);
  EXPECT_EQ(-3, c);
  EXPECT_EQ(-2, d);
  EXPECT_EQ(0, e);
  EXPECT_EQ(0, L.prcNorm(2.0f, &a, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(6, a);
  EXPECT_EQ(0, L.prcNorm(0.1f, nullptr, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(SignalsExportsTest, RealtimeLatchTripsOnceForGood) {
  EXPECT_EQ(-1, L.ifRealtime(0, -1));    // a value of 0 never trips it
  EXPECT_EQ(-1, L.ifRealtime(5, 1000));  // within the time
  EXPECT_EQ(7, L.ifRealtime(7, -1));     // any time after the first call is more than -1 s
  EXPECT_EQ(7, L.ifRealtime(9, 1000));
  EXPECT_EQ(7, L.ifRealtime(0, 0));
}

TEST_F(SignalsExportsTest, StudyHooks) {
  EXPECT_EQ(0, L.onCreate());
  EXPECT_EQ(0, L.onDestroy());
}

}  // namespace
