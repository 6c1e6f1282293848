// The tick note, the speech entry and the MIDI wrapper's buffer hand-back over the fake
// platform, which records MIDI messages, waits, COM results, speech and message boxes.
#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "common/testing/fake_platform.h"
#include "signals/sound_cues.h"
#include "signals/testing/eventually.h"

namespace {

uint32_t Msg(int status, int data1, int data2) {
  return (uint32_t)status | ((uint32_t)data1 << 8) | ((uint32_t)data2 << 16);
}

TEST(TickSound, LimitsNoteAndVelocityAndKeepsTheFirstProgram) {
  FakePlatform fake;
  fake.midiDevices = 1;
  ScopedPlatform scope(fake);
  CTickSoundDevice tick;
  EXPECT_EQ(0, tick.Tick(45, 100, 5));
  EXPECT_EQ(5, tick.GetProgram());
  const struct {
    int note, velocity, playedNote, playedVelocity;
  } cases[] = {
      {10, 0, 30, 20},   {29, 19, 30, 20},  {30, 20, 30, 20},   {60, 127, 60, 127},
      {61, 128, 60, 127}, {100, 200, 60, 127}, {-5, -5, 30, 20},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(0, tick.Tick(c.note, c.velocity, 9));  // another program changes nothing
    std::vector<uint32_t> sent = fake.MidiMessages();
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(Msg(144, c.playedNote, c.playedVelocity), sent[sent.size() - 2]) << c.note;
    EXPECT_EQ(Msg(128, c.playedNote, 0), sent.back());
  }
  std::vector<uint32_t> sent = fake.MidiMessages();
  EXPECT_EQ(Msg(192, 5, 0), sent[0]);  // one program change, first
  EXPECT_EQ(1u + 2u * 8u, sent.size());
  EXPECT_EQ(1, fake.midiOpenCount);
  EXPECT_EQ(std::vector<int>(8, 5), fake.sleeps);  // 5 ms between note-on and note-off
  tick.Close();
}

// A program change has a 7-bit data byte: 0 and 127 are sent, anything outside is not (-1
// would go out as data byte 255), and either way the device is set up only once.
TEST(TickSound, OnlyAProgramOf0To127IsSentAndTheDeviceIsSetUpOnce) {
  const struct {
    int program;
    bool sent;
  } cases[] = {{0, true}, {127, true}, {-1, false}, {128, false}, {-128, false}, {255, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program);
    FakePlatform fake;
    fake.midiDevices = 1;
    ScopedPlatform scope(fake);
    CTickSoundDevice tick;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(0, tick.Tick(40, 60, c.program));
    EXPECT_EQ(1, fake.midiOpenCount);
    EXPECT_EQ(1, fake.librariesKeptLoaded);  // an open device keeps its library loaded
    std::vector<uint32_t> sent = fake.MidiMessages();
    ASSERT_EQ((c.sent ? 1u : 0u) + 6u, sent.size());
    if (c.sent) {
      EXPECT_EQ(Msg(192, c.program, 0), sent[0]);
    }
    EXPECT_EQ(Msg(144, 40, 60), sent[sent.size() - 2]);
    EXPECT_EQ(c.sent ? c.program : 0, tick.GetProgram());  // 0: the device's own
    tick.Close();
  }
}

TEST(TickSound, WithoutADeviceNotesAreDroppedAndTheSetUpIsNotRetried) {
  FakePlatform fake;
  ScopedPlatform scope(fake);
  CTickSoundDevice tick;
  EXPECT_EQ(0, tick.Tick(40, 60, 3));
  EXPECT_EQ(3, tick.GetProgram());
  fake.midiDevices = 1;
  EXPECT_EQ(0, tick.Tick(40, 60, 3));
  EXPECT_EQ(0, fake.midiOpenCount);
  EXPECT_TRUE(fake.MidiMessages().empty());
  EXPECT_EQ(std::vector<int>(2, 5), fake.sleeps);
}

TEST(MidiOutDevice, OpenFailureSetsTheErrorText) {
  FakePlatform fake;
  ScopedPlatform scope(fake);
  CMIDIOutDevice device;
  EXPECT_EQ(-1, device.Open(0));
  EXPECT_STREQ("MIDI: OutOpen error (2)", device.GetErrorText());
  EXPECT_FALSE(device.IsOpen());
  EXPECT_EQ(-1, device.SendLongMsg("\xF0\xF7", 2));
  device.SendShortMsg(0x90);  // dropped
  EXPECT_TRUE(fake.MidiMessages().empty());
}

TEST(MidiOutDevice, WorkerHandsFinishedBuffersBackAndCloseFreesTheRest) {
  FakePlatform fake;
  fake.midiDevices = 1;
  ScopedPlatform scope(fake);
  CMIDIOutDevice device;
  ASSERT_EQ(0, device.Open(0));
  const unsigned char sysex[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
  for (int i = 0; i < 3; ++i) ASSERT_EQ(0, device.SendLongMsg(sysex, sizeof sysex));
  EXPECT_EQ(3, device.GetHeaderCount());

  fake.MidiDone();  // the driver is done with the oldest buffer
  EXPECT_TRUE(Eventually([&] { return device.GetHeaderCount() == 2; }));
  EXPECT_EQ(2, fake.MidiBuffersOutstanding());

  device.Close();  // two still held by the driver
  EXPECT_EQ(0, device.GetHeaderCount());
  EXPECT_EQ(0, fake.MidiBuffersOutstanding());
  EXPECT_FALSE(device.IsOpen());
  device.Close();  // closing again does nothing

  ASSERT_EQ(0, device.Open(0));  // and it opens again
  EXPECT_EQ(0, device.SendLongMsg(sysex, sizeof sysex));
}  // the destructor closes

// A worker whose way out takes its time, as a thread's end may.
class SlowThreadEnd : public FakePlatform {
 public:
  std::atomic<bool> ended{false};
  void EndThreadForUnload() override {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ended = true;
    FakePlatform::EndThreadForUnload();
  }
};

// Unloading the library from a running process stops the worker and waits until it has
// ended (through EndThreadForUnload, which the loader lets it do): after that no code of
// the library runs on it. Every buffer is freed, the driver's too.
TEST(MidiOutDevice, CloseAtUnloadWaitsUntilTheWorkerHasEnded) {
  SlowThreadEnd fake;
  fake.midiDevices = 1;
  ScopedPlatform scope(fake);
  CMIDIOutDevice device;
  ASSERT_EQ(0, device.Open(0));
  for (int i = 0; i < 2; ++i) ASSERT_EQ(0, device.SendLongMsg("\xF0\xF7", 2));
  device.CloseAtUnload();
  EXPECT_TRUE(fake.ended.load());
  EXPECT_EQ(1, fake.threadsEndedForUnload.load());
  EXPECT_FALSE(device.IsOpen());
  EXPECT_EQ(0, device.GetHeaderCount());
  EXPECT_EQ(0, fake.MidiBuffersOutstanding());
  device.CloseAtUnload();  // closed: nothing more

  ASSERT_EQ(0, device.Open(0));  // a plain close lets the worker end on its own
  device.Close();
  EXPECT_EQ(1, fake.threadsEndedForUnload.load());
}

// The process ends with the device open: the system has stopped the worker wherever it
// was, perhaps inside one of its events, and destroying such an event waits for ever. The
// device leaves its worker's thread object, events and lock as they are. (Here the worker
// still waits on its event, which a destroyed event would wait for in turn.)
class EndingProcess : public FakePlatform {
 public:
  bool ProcessEnding() override { return true; }
};

TEST(MidiOutDevice, AtTheProcessEndTheWorkersEventsAreLeftAsTheyAre) {
  EndingProcess fake;
  fake.midiDevices = 1;
  ScopedPlatform scope(fake);
  // In static room, as a library's own objects are: it stays mapped until the process ends.
  alignas(CMIDIOutDevice) static unsigned char room[sizeof(CMIDIOutDevice)];
  auto* device = new (room) CMIDIOutDevice();
  ASSERT_EQ(0, device->Open(0));
  device->CloseAtUnload();
  EXPECT_FALSE(device->IsOpen());
  std::atomic<bool> destroyed{false};
  std::thread teardown([&] {
    device->~CMIDIOutDevice();
    destroyed = true;
  });
  EXPECT_TRUE(Eventually([&] { return destroyed.load(); }));
  if (destroyed.load()) {
    teardown.join();
  } else {
    teardown.detach();  // stuck for good: the failure above says so
  }
}

TEST(Speech, CommandsAndResults) {
  FakePlatform fake;
  fake.speechService = true;
  ScopedPlatform scope(fake);
  CSpeechCues speech;
  EXPECT_EQ(-2, speech.Speak(nullptr, "x"));
  EXPECT_EQ(-3, speech.Speak("Speak", nullptr));
  EXPECT_EQ(0, fake.comInitializeCalls);  // argument checks come first

  EXPECT_EQ(0, speech.Speak("sPeAkWaIt", "Long entry filled"));
  EXPECT_EQ(0, speech.Speak("SPEAK", "Stop hit"));
  EXPECT_EQ(1, speech.Speak("SpeakWait", ""));
  EXPECT_EQ(1, speech.Speak("speak", ""));
  EXPECT_EQ(0, speech.Speak("Stop", ""));
  EXPECT_EQ(0, speech.Speak("Shout", "ignored"));
  EXPECT_EQ(0, speech.Speak("Speak Wait", "ignored"));
  EXPECT_EQ(1, fake.comInitializeCalls);  // once per process
  ASSERT_EQ(3u, fake.speech.size());
  EXPECT_EQ("Long entry filled", fake.speech[0].text);
  EXPECT_EQ(1, fake.speech[0].mode);
  EXPECT_EQ("Stop hit", fake.speech[1].text);
  EXPECT_EQ(0, fake.speech[1].mode);
  EXPECT_EQ(2, fake.speech[2].mode);

  fake.speechService = false;  // no service: same results, nothing spoken
  EXPECT_EQ(0, speech.Speak("Speak", "quiet"));
  EXPECT_TRUE(fake.messageBoxes.empty());
}

TEST(Speech, ComFailuresShowAMessageBoxAndAreTriedAgain) {
  const struct {
    uint32_t code;
    const char* prefix;
  } cases[] = {
      {0x8000FFFFu, "Cannot initialize OLE (UNEXPECTED,"},
      {0x8007000Eu, "Cannot initialize OLE (OUTOFMEMORY,"},
      {0x80070057u, "Cannot initialize OLE (INVALIDARG,"},
  };
  for (const auto& c : cases) {
    FakePlatform fake;
    fake.comInitializeResult = (long)(int32_t)c.code;
    ScopedPlatform scope(fake);
    CSpeechCues speech;
    EXPECT_EQ(-1, speech.Speak("Speak", "x"));
    EXPECT_EQ(-1, speech.Speak("Stop", ""));
    ASSERT_EQ(2u, fake.messageBoxes.size());
    const std::string& text = fake.messageBoxes[0].text;
    EXPECT_EQ(0u, text.rfind(c.prefix, 0)) << text;
    EXPECT_EQ(") ", text.substr(text.size() - 2));
    std::string lower = text;
    for (char& ch : lower) ch = (char)std::tolower((unsigned char)ch);
    char hex[16];
    snprintf(hex, sizeof hex, "%x", c.code);
    EXPECT_NE(std::string::npos, lower.find(hex)) << text;
    EXPECT_EQ("Voice Initializeion Failure", fake.messageBoxes[0].caption);
    EXPECT_EQ((unsigned)kMbIconError, fake.messageBoxes[0].flags);

    fake.comInitializeResult = 1;  // S_FALSE: already initialised counts as success
    EXPECT_EQ(0, speech.Speak("Stop", ""));
    EXPECT_EQ(0, speech.Speak("Stop", ""));
    EXPECT_EQ(3, fake.comInitializeCalls);
  }
  FakePlatform fake;
  fake.comInitializeResult = (long)(int32_t)0x80010106u;  // any other failure is success
  ScopedPlatform scope(fake);
  CSpeechCues speech;
  EXPECT_EQ(0, speech.Speak("Speak", "x"));
  EXPECT_TRUE(fake.messageBoxes.empty());
}

}  // namespace
