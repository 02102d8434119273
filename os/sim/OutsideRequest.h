// A request that a device outside the machine (a real USB device behind a library with threads
// of its own) ends on a thread of its own.
//
// The device gives the machine an OutsideRequest as the request's completion and, on whatever
// thread learns the outcome, calls end() once with a finishing function. The machine runs that
// function inside one of its waits, on its own thread, where it may fill the request's output
// buffer; so a request's buffer is only ever touched by the machine's thread. A request the
// program gives up (CancelIo, CloseHandle, an unplugged device) is detached: the device is asked
// to cancel its transfer and its later end() is dropped.
#pragma once

#include <functional>
#include <mutex>
#include <optional>

#include "os/sim/SimDevice.h"

namespace os::sim {

class OutsideRequest {
 public:
  using Finish = std::function<IoOutcome()>;
  using Deliver = std::function<void(Finish)>;

  // cancel runs on the machine's thread when the program gives the request up before it ended;
  // it must not call end() itself.
  explicit OutsideRequest(std::function<void()> cancel) : cancel_(std::move(cancel)) {}

  // Any thread, once.
  void end(Finish finish);

  // The machine: where the outcome goes. An outcome that came before is delivered now.
  void attach(Deliver deliver);
  // The machine: the program gave the request up. False when it had already ended.
  bool detach();

 private:
  std::mutex mutex_;
  std::function<void()> cancel_;
  Deliver deliver_;
  std::optional<Finish> early_;
  bool ended_ = false;
  bool detached_ = false;
};

}  // namespace os::sim
