// Tests only (Windows build): a library that holds an open MIDI device the way XMT_SIGNALS
// holds its tick device, over the in-process driver (no sound device needed), so that a
// test can unload it, or end the process, with the device open and its worker running.
//
// ProbeOpen(report) opens the device and hands the driver one buffer; result 0. When the
// library is unloaded, report[0] receives the driver's close count and report[1] 1 when the
// device is still open (report may be null: nothing is reported).
#include "common/platform/testing/win32_midi_test_driver.h"
#include "signals/midi_out_device.h"

namespace {

ScopedTestMidiDriver g_driver;  // built before the device and gone after it

struct TickDeviceHolder {
  CMIDIOutDevice device;
  int* report = nullptr;
  ~TickDeviceHolder() {
    device.CloseAtUnload();
    if (report) {
      report[0] = g_driver.Closes();
      report[1] = device.IsOpen() ? 1 : 0;
    }
  }
};
TickDeviceHolder g_holder;

}  // namespace

extern "C" __declspec(dllexport) int ProbeOpen(int* report) {
  g_holder.report = report;
  if (g_holder.device.Open(0) != 0) return -1;
  return g_holder.device.SendLongMsg("\xF0\xF7", 2);
}
