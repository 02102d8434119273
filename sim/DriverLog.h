// What a virtual plotter's driver face saw, in order: every request the USB library made of the
// driver, for tests to assert on.
//
// summary() gives the transfer protocol as one comma-separated line, for example
//   take,take,request:05,status,release,take,request:02,status,data:131072,data:37856,release,release
// with these tokens:
//   take, release, lock:N   IOCTL_UDRV_LOCK with operation 1, 2, or any other N (4: channel closed)
//   request:XX              a control request; XX is the request record's first byte in hex
//   timeout:XX              a control request that the plotter let time out (not taken)
//   status, status:XXXX     a status word read from the interrupt pipe: 0, or the nonzero word in hex
//   data:N                  N bytes written to the bulk OUT pipe
//   reply:N                 N bytes read from the bulk IN pipe
//   reset, reset-pipe, cycle  IOCTL_UDRV_RESET_DEVICE, IOCTL_UDRV_RESET_PIPE, IOCTL_UDRV_CYCLE_PORT
//   abort                   the command " " (the link abort) ended a plot in progress
//   vanished                the plotter went away (unplugged, shut off after an update, or on request)
// Setup requests (descriptors, configuration, interfaces, features, USB status, pipe tokens and
// attaching) are in events() only.
#pragma once

#include <string>
#include <vector>

#include "os/Win32.h"

namespace sim {

struct DriverEvent {
  enum class Kind {
    Lock,            // value: the lock operation
    Request,         // bytes: the request record
    RequestTimedOut, // bytes: the request record
    StatusRead,      // value: the status word
    DataWritten,     // value: the byte count
    ReplyRead,       // value: the byte count
    DeviceReset,
    PipeReset,
    PortCycled,
    Abort,
    Vanished,
    Setup,           // value: the I/O control code; bytes: its input record
  };
  Kind kind;
  DWORD value = 0;
  std::vector<BYTE> bytes;
};

class DriverLog {
 public:
  void add(DriverEvent event) { events_.push_back(std::move(event)); }
  void clear() { events_.clear(); }
  const std::vector<DriverEvent>& events() const { return events_; }
  std::string summary() const;

 private:
  std::vector<DriverEvent> events_;
};

}  // namespace sim
