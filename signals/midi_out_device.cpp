// The MIDI output wrapper: opening and closing, the worker that hands finished buffers back
// to the driver, and the short message.
#include "signals/midi_out_device.h"

#include <chrono>
#include <new>

#include "common/platform/platform.h"

void CAutoResetEvent::Signal() {
  {
    std::lock_guard<std::mutex> lock(lock_);
    signalled_ = true;
  }
  cv_.notify_one();
}

void CAutoResetEvent::Wait() {
  std::unique_lock<std::mutex> lock(lock_);
  cv_.wait(lock, [this] { return signalled_; });
  signalled_ = false;
}

bool CAutoResetEvent::WaitFor(int milliseconds) {
  std::unique_lock<std::mutex> lock(lock_);
  if (!cv_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return signalled_; }))
    return false;
  signalled_ = false;
  return true;
}

CShortMsg::CShortMsg(int status, int channel, int data1, int data2)
    : message_(((uint32_t)(status | channel) & 0xFF) | (((uint32_t)data1 & 0xFF) << 8) |
               (((uint32_t)data2 & 0xFF) << 16)) {}

CMIDIOutDevice::CMIDIOutDevice() { new (syncRoom_) WorkerSync(); }

CMIDIOutDevice::~CMIDIOutDevice() {
  Close();
  if (!syncAbandoned_) Sync().~WorkerSync();
}

void CMIDIOutDevice::DoneCallback(void* context) {
  static_cast<CMIDIOutDevice*>(context)->Sync().done.Signal();
}

int CMIDIOutDevice::Open(int deviceId) {
  if (IsOpen()) Close();
  long rc = Platform::Default().MidiOpen(deviceId, &DoneCallback, this, &handle_);
  if (rc != 0) {
    handle_ = nullptr;
    errorText_.Format("MIDI: OutOpen error (%ld)", rc);
    return -1;
  }
  open_ = 1;
  // The worker must never run on after its library is unloaded, and it cannot be waited for
  // while the loader unloads the library (its end needs the loader too): the library stays
  // loaded until the process ends once a device is open.
  Platform::Default().KeepLibraryLoaded();
  Sync().worker = std::thread([this] {
    Sync().running.Signal();
    WorkerLoop();
  });
  // An unload right after opening must not find a worker still being started: its start
  // needs the loader lock that the unload holds while it waits for the worker.
  Sync().running.Wait();
  return 0;
}

void CMIDIOutDevice::WorkerLoop() {
  while (open_.load() == 1) {
    Sync().done.Wait();
    if (open_.load() == 1) ReleaseFinished();
  }
  if (unloading_.load()) Platform::Default().EndThreadForUnload();
}

// Newest first, every buffer the driver is done with; one it still holds stays listed.
void CMIDIOutDevice::ReleaseFinished() {
  std::lock_guard<std::mutex> lock(Sync().headers);
  for (int i = headers_.GetSize() - 1; i >= 0; --i) {
    CMIDIOutHeader* header = headers_.GetAt(i);
    if (Platform::Default().MidiReleaseBuffer(handle_, header->buffer) != 0) continue;
    headers_.RemoveAt(i);
    delete header;
  }
}

void CMIDIOutDevice::SendShortMsg(uint32_t message) {
  if (IsOpen()) Platform::Default().MidiShortMessage(handle_, message);
}

int CMIDIOutDevice::SendLongMsg(const void* data, size_t n) {
  if (!IsOpen()) return -1;
  // The header's place in the list is made before the driver gets the buffer: a buffer the
  // driver holds is always listed, so the worker or Close releases it.
  auto* header = new (std::nothrow) CMIDIOutHeader(nullptr);
  if (!header) return -1;
  std::lock_guard<std::mutex> lock(Sync().headers);
  const int at = headers_.Add(header);
  if (at < 0 || Platform::Default().MidiLongMessage(handle_, data, n, &header->buffer) != 0) {
    if (at >= 0) headers_.RemoveAt(at);
    delete header;
    return -1;
  }
  return 0;
}

int CMIDIOutDevice::GetHeaderCount() {
  std::lock_guard<std::mutex> lock(Sync().headers);
  return headers_.GetSize();
}

void CMIDIOutDevice::Close() {
  if (!IsOpen()) return;
  open_ = 0;
  Sync().done.Signal();
  if (Sync().worker.joinable()) Sync().worker.join();
  Platform& p = Platform::Default();
  p.MidiReset(handle_);
  {
    std::lock_guard<std::mutex> lock(Sync().headers);
    for (int i = headers_.GetSize() - 1; i >= 0; --i) {
      CMIDIOutHeader* header = headers_.GetAt(i);
      p.MidiReleaseBuffer(handle_, header->buffer);
      delete header;
    }
    headers_.RemoveAll();
  }
  p.MidiClose(handle_);
  handle_ = nullptr;
}

void CMIDIOutDevice::CloseAtUnload() {
  if (!IsOpen()) return;
  if (Platform::Default().ProcessEnding()) {
    // The worker's thread object, events and lock are left as they are: letting any of them
    // go would call into the thread library, whose locks the stopped worker may still hold.
    open_ = 0;
    syncAbandoned_ = true;
    return;
  }
  unloading_ = true;
  Close();
  unloading_ = false;
}
