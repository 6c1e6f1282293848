// MIDI output: the device wrapper and the messages sent through it.
//
// CMIDIOutDevice opens one MIDI output device of the platform, sends short messages and
// long-message buffers, and gets the buffers back from the driver: the driver's callback
// signals an auto-reset done event, and a worker thread, which lives while the device is
// open, then releases the buffers the driver is done with. The buffers handed to the driver
// are kept in a header list under its own lock.
//
// Contract:
// - Open(id) closes an open device first. Result 0, or -1 with "MIDI: OutOpen error (%d)"
//   (the platform's result code) as the error text.
// - Close() stops the worker, makes the driver hand back what it still holds, releases
//   every buffer and closes the device; closing a closed device does nothing. The destructor
//   closes.
// - Sending while closed does nothing (result -1 for a long message).
// - Open, Close and the senders are called from one thread; the worker and the driver's
//   callback run beside it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>

#include "common/text/txt.h"
#include "common/text/typed_ptr_array.h"

// An auto-reset event: Signal wakes one Wait (or the next one), which resets it.
class CAutoResetEvent {
 public:
  void Signal();
  void Wait();
  // Wait with a limit; true when signalled.
  bool WaitFor(int milliseconds);

 private:
  std::mutex lock_;
  std::condition_variable cv_;
  bool signalled_ = false;
};

class CMIDIOutDevice {
 public:
  // A buffer handed to the driver: the platform's token for it.
  class CMIDIOutHeader {
   public:
    explicit CMIDIOutHeader(void* token) : buffer(token) {}
    void* buffer;
  };

  CMIDIOutDevice();
  ~CMIDIOutDevice();
  CMIDIOutDevice(const CMIDIOutDevice&) = delete;
  CMIDIOutDevice& operator=(const CMIDIOutDevice&) = delete;

  int Open(int deviceId);
  void Close();
  // Close for the library's unload. Open keeps the library loaded (Windows), so a running
  // process reaches this with the device open only where that failed. Then, as Close, but
  // the worker ends itself without the loader (EndThreadForUnload), so that
  // it can be waited for while the loader unloads us: once this returns, no code of ours
  // runs on it any more. When the process is ending, nothing is waited for and nothing is
  // called: the system has stopped the worker already and frees the rest itself. The
  // worker's events and lock are then left as they are, never destroyed: the system may
  // have stopped the worker inside one of them, and destroying an event whose inner lock a
  // stopped thread holds waits for ever.
  void CloseAtUnload();
  bool IsOpen() const { return open_.load() == 1; }

  // The packed short message (status | channel, data 1, data 2 from the low byte up).
  void SendShortMsg(uint32_t message);
  // A long message of n bytes; result 0, or -1 when closed or the driver refuses it.
  int SendLongMsg(const void* data, size_t n);

  const CTxt& GetErrorText() const { return errorText_; }
  int GetHeaderCount();  // buffers not yet handed back

 private:
  static void DoneCallback(void* context);
  void WorkerLoop();
  void ReleaseFinished();

  // The worker and what it waits on and locks, built in the device's own room and destroyed
  // with the device, unless the process ended around the worker (CloseAtUnload).
  struct WorkerSync {
    std::thread worker;
    CAutoResetEvent done;
    // Set by the worker as its first step: by then Windows has finished starting the thread
    // (its thread-attach calls under the loader lock), so a later unload can wait for it.
    CAutoResetEvent running;
    std::mutex headers;
  };
  WorkerSync& Sync() { return *reinterpret_cast<WorkerSync*>(syncRoom_); }

  CTxt errorText_;
  void* handle_ = nullptr;
  alignas(WorkerSync) unsigned char syncRoom_[sizeof(WorkerSync)];
  bool syncAbandoned_ = false;  // the process ended with the worker: never destroy Sync()
  std::atomic<bool> unloading_{false};  // the worker ends through EndThreadForUnload
  STypedPtrArray<CMIDIOutHeader> headers_;
  std::atomic<int> open_{0};
};

// A MIDI message that can send itself through a device.
class CMIDIMsg {
 public:
  virtual ~CMIDIMsg() = default;
  virtual void SendMsg(CMIDIOutDevice& device) = 0;
  virtual int GetLength() const = 0;
};

// A three-byte channel message packed into one 32-bit word. Each part is taken as one byte,
// so no part spills into its neighbour.
class CShortMsg : public CMIDIMsg {
 public:
  CShortMsg(int status, int channel, int data1, int data2);
  void SendMsg(CMIDIOutDevice& device) override { device.SendShortMsg(message_); }
  int GetLength() const override { return 3; }
  uint32_t GetMsg() const { return message_; }

 private:
  uint32_t message_;
};
