// A device-arrival registration as the simulated machine records it.
#pragma once

#include "os/Win32.h"

namespace os::sim {

struct DeviceNotification {
  HANDLE recipient = nullptr;  // the window that asked
  GUID classGuid{};            // the device-interface class it asked about
  DWORD flags = 0;
};

}  // namespace os::sim
