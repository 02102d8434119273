// A libusb context and the one thread that handles its events.
//
// The thread handles events only while transfers are in flight and sleeps on a condition
// variable otherwise: a submission wakes it, the last completion puts it back to sleep. (A loop
// that polled libusb all the time would spin where the file libusb watches is always ready, as
// under a device emulator.) The context ends only when no transfer is left in flight.
#pragma once

#include <libusb.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>
#include <unordered_set>

#include "os/Win32.h"

namespace os::linux_platform {

class LibusbContext {
 public:
  // *error is the Windows error when libusb cannot be set up (context() is null then).
  explicit LibusbContext(DWORD* error = nullptr);
  ~LibusbContext();
  LibusbContext(const LibusbContext&) = delete;
  LibusbContext& operator=(const LibusbContext&) = delete;

  libusb_context* context() const { return context_; }

  // Around every libusb_submit_transfer: before it (the thread wakes), and after it when the
  // submission failed.
  void transferStarted(libusb_transfer* transfer);
  void transferNotStarted(libusb_transfer* transfer);
  // In a transfer's callback: it has ended. What keeps it (and its device handle) is let go
  // after libusb's event handling has returned, never inside it: libusb_close in a callback
  // would wait for a lock that libusb holds there.
  void transferEnded(libusb_transfer* transfer, std::shared_ptr<void> keep);
  size_t transfersInFlight() const;
  // Asks every transfer in flight to end, and waits until their callbacks have run.
  void cancelAndWait();

 private:
  void handleEvents();
  void letEndedGo();

  libusb_context* context_ = nullptr;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::unordered_set<libusb_transfer*> inFlight_;
  std::vector<std::shared_ptr<void>> ended_;  // what keeps ended transfers, to be let go
  size_t releasing_ = 0;                       // ended transfers being let go just now
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace os::linux_platform
