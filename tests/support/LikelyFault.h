// The error a platform call most likely fails with, for sweeps that fail every call of an
// operation in turn: a device gone, access denied, a full disk, no memory.
#pragma once

#include "os/Win32.h"
#include "os/sim/CaseInsensitive.h"
#include "os/sim/FaultInjector.h"

namespace velkor::test {

// Whether the call is on a plotter's device interface.
inline bool onDevice(const os::sim::CheckedCall& call) {
  return os::sim::containsIgnoringCase(call.path, "usb#");
}

inline DWORD likelyError(const os::sim::CheckedCall& call) {
  using os::sim::Call;
  switch (call.call) {
    case Call::CreateFile:
      return onDevice(call) ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED;
    case Call::ReadFile:
    case Call::WriteFile:
    case Call::DeviceIoControl:
      return onDevice(call) ? ERROR_DEVICE_NOT_CONNECTED : ERROR_DISK_FULL;
    case Call::RegOpenKey:
    case Call::RegQueryValue:
    case Call::OpenPrinter:
      return ERROR_ACCESS_DENIED;
    default:
      return ERROR_NOT_ENOUGH_MEMORY;
  }
}

}  // namespace velkor::test
