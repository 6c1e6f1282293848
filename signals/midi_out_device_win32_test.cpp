// The MIDI wrapper over the Windows backend, with the in-process driver standing in for
// the system's: opening, short messages, the driver's callback waking the worker that hands
// finished buffers back, and closing with buffers still queued.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "common/platform/testing/win32_midi_test_driver.h"
#include "signals/sound_cues.h"
#include "signals/testing/eventually.h"

namespace {

TEST(MidiOutDeviceWin32, BuffersComeBackThroughTheDriverCallback) {
  ScopedTestMidiDriver driver;
  CMIDIOutDevice device;
  EXPECT_EQ(-1, device.Open(3));  // no such device
  EXPECT_STREQ("MIDI: OutOpen error (2)", device.GetErrorText());
  ASSERT_EQ(0, device.Open(0));
  EXPECT_EQ(1, driver.Opens());

  const unsigned char sysex[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
  for (int i = 0; i < 4; ++i) ASSERT_EQ(0, device.SendLongMsg(sysex, sizeof sysex));
  EXPECT_EQ(4, driver.Prepared());
  EXPECT_EQ(4, driver.Queued());

  // The driver finishes the two oldest; the worker hands exactly those back.
  ASSERT_TRUE(driver.FinishOldest());
  ASSERT_TRUE(driver.FinishOldest());
  EXPECT_TRUE(Eventually([&] { return device.GetHeaderCount() == 2; }));
  EXPECT_EQ(2, driver.Prepared());

  // Closing with two still queued: the driver gives them back and every one is freed.
  device.Close();
  EXPECT_EQ(0, device.GetHeaderCount());
  EXPECT_EQ(0, driver.Prepared());
  EXPECT_EQ(0, driver.Queued());
  EXPECT_GE(driver.Resets(), 1);
  EXPECT_EQ(1, driver.Closes());
  EXPECT_FALSE(driver.FinishOldest());
}

TEST(MidiOutDeviceWin32, TickSoundOpensDeviceZeroOnce) {
  ScopedTestMidiDriver driver;
  {
    CTickSoundDevice tick;
    EXPECT_EQ(0, tick.Tick(100, 0, 12));
    EXPECT_EQ(0, tick.Tick(10, 300, 40));
    const std::vector<uint32_t> expected = {0x0CC0, 0x143C90, 0x3C80, 0x7F1E90, 0x1E80};
    EXPECT_EQ(expected, driver.ShortMessages());
    EXPECT_EQ(1, driver.Opens());
  }  // the destructor closes
  EXPECT_EQ(1, driver.Closes());
}

}  // namespace
