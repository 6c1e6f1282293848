// FakePlatform: the settable clock and what it records instead of reaching the system.
#include <gtest/gtest.h>

#include "common/testing/fake_platform.h"

namespace {

void ExpectTime(const PlatformTime& t, int y, int mo, int d, int h, int mi, int s, int ms) {
  EXPECT_EQ(t.year, y);
  EXPECT_EQ(t.month, mo);
  EXPECT_EQ(t.day, d);
  EXPECT_EQ(t.hour, h);
  EXPECT_EQ(t.minute, mi);
  EXPECT_EQ(t.second, s);
  EXPECT_EQ(t.millisecond, ms);
}

TEST(FakePlatform, ClockFollowsLocalTimeBiasAndStep) {
  FakePlatform fake;
  ScopedPlatform scope(fake);
  fake.SetLocalTime(MakePlatformTime(2024, 12, 31, 23, 59, 59, 900));
  PlatformTimeZone zone;
  zone.bias = -60;  // one hour east of Greenwich
  zone.daylightBias = -60;
  zone.state = 1;
  fake.SetTimeZone(zone);
  fake.SetStepMs(250);

  PlatformTime first = Platform::Default().LocalNow();
  ExpectTime(first, 2024, 12, 31, 23, 59, 59, 900);
  EXPECT_EQ(first.weekday, 2);  // a Tuesday
  // The step carries over the year's end; universal time is an hour behind.
  ExpectTime(fake.UtcNow(), 2024, 12, 31, 23, 0, 0, 150);
  ExpectTime(fake.LocalNow(), 2025, 1, 1, 0, 0, 0, 400);

  fake.SetStepMs(0);
  fake.SetLocalTime(MakePlatformTime(2025, 3, 14, 9, 30, 0));
  EXPECT_EQ(fake.UnixNow(), 1741941000);  // 08:30 UTC
  zone.state = 2;  // daylight: two hours east
  fake.SetTimeZone(zone);
  EXPECT_EQ(fake.UnixNow(), 1741941000 - 3600);

  PlatformTime local;
  ASSERT_TRUE(fake.UnixToLocal(1741941000, &local));
  ExpectTime(local, 2025, 3, 14, 10, 30, 0, 0);
  EXPECT_EQ(fake.LocalToUnix(local), 1741941000);
  ASSERT_TRUE(fake.UtcToLocal(MakePlatformTime(2024, 2, 28, 23, 15, 0, 5), &local));
  ExpectTime(local, 2024, 2, 29, 1, 15, 0, 5);  // leap day
  EXPECT_EQ(fake.LocalToUnix(MakePlatformTime(1970, 1, 1, 1, 0, 0)), -1);  // before the epoch in UTC

  fake.SleepMs(1500);
  ExpectTime(fake.PeekLocal(), 2025, 3, 14, 9, 30, 1, 500);
}

TEST(FakePlatform, ClockChangesAreRecordedAndTakeEffectOnlyOnSuccess) {
  FakePlatform fake;
  fake.SetLocalTime(MakePlatformTime(2025, 1, 2, 3, 4, 5));
  EXPECT_EQ(fake.SetLocalClock(MakePlatformTime(2025, 6, 1, 12, 0, 0)), 0);
  ExpectTime(fake.PeekLocal(), 2025, 6, 1, 12, 0, 0, 0);
  fake.clockSetResult = 1314;  // no privilege
  EXPECT_EQ(fake.SetLocalClock(MakePlatformTime(2030, 1, 1, 0, 0, 0)), 1314);
  ExpectTime(fake.PeekLocal(), 2025, 6, 1, 12, 0, 0, 0);
  ASSERT_EQ(fake.clockChanges.size(), 2u);
  EXPECT_EQ(fake.clockChanges[1].year, 2030);
}

TEST(FakePlatform, RecordsMessageBoxesAndProcessesWithoutRunningThem) {
  FakePlatform fake;
  fake.messageBoxAnswer = 2;
  EXPECT_EQ(fake.MessageBox("File Launch Error", "Error", kMbIconError), 2);
  ASSERT_EQ(fake.messageBoxes.size(), 1u);
  EXPECT_EQ(fake.messageBoxes[0].caption, "Error");
  EXPECT_EQ(fake.messageBoxes[0].flags, (unsigned)kMbIconError);

  PlatformStart opts;
  opts.wait = true;
  opts.show = 7;
  fake.processExitCode = 42;
  unsigned long code = 0;
  EXPECT_EQ(fake.StartProcess("cmd /C rm -rf /", opts, &code), 0);
  EXPECT_EQ(code, 42u);
  fake.processStartError = 2;
  EXPECT_EQ(fake.StartProcess("BarGaugeView.exe", PlatformStart(), nullptr), 2);
  ASSERT_EQ(fake.processes.size(), 2u);
  EXPECT_EQ(fake.processes[0].commandLine, "cmd /C rm -rf /");
  EXPECT_EQ(fake.processes[0].opts.show, 7);
}

TEST(FakePlatform, MidiDevicesAndMessages) {
  FakePlatform fake;
  void* handle = &fake;
  EXPECT_EQ(fake.MidiOpen(0, nullptr, nullptr, &handle), 2);  // no device by default
  EXPECT_EQ(handle, nullptr);

  fake.midiDevices = 1;
  int doneCalls = 0;
  auto done = [](void* context) { ++*static_cast<int*>(context); };
  ASSERT_EQ(fake.MidiOpen(0, done, &doneCalls, &handle), 0);
  EXPECT_EQ(fake.MidiShortMessage(handle, 0x7F3C90), 0);
  EXPECT_NE(fake.MidiShortMessage(nullptr, 1), 0);
  fake.MidiDone();
  EXPECT_EQ(doneCalls, 1);
  EXPECT_EQ(fake.MidiClose(handle), 0);
  fake.MidiDone();  // closed: no more callbacks
  EXPECT_EQ(doneCalls, 1);
  EXPECT_EQ(fake.MidiMessages(), std::vector<uint32_t>{0x7F3C90});
}

TEST(FakePlatform, CannedPagesAreCutToTheLimit) {
  FakePlatform fake;
  fake.pages["http://time.example/now"] = "0123456789";
  std::string body;
  EXPECT_EQ(fake.FetchPage("http://time.example/now", "XMT", 4, &body), 0);
  EXPECT_EQ(body, "0123");
  EXPECT_EQ(fake.FetchPage("http://elsewhere.example/", "XMT", 100, &body), -2);
  EXPECT_TRUE(body.empty());
  EXPECT_EQ(fake.fetchedUrls.size(), 2u);
}

}  // namespace
