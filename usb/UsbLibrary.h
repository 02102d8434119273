// The library's global state: the list of open devices and the global lock that guards it.
// Nothing reads the list beyond keeping it; it is there so that every open device is known.
#pragma once

#include "os/CriticalSection.h"
#include "usb/UsbHandleList.h"

namespace usb {

struct UsbLibraryState {
  os::CriticalSection globalLock;
  UsbHandleList openDevices;
};

UsbLibraryState& libraryState();

}  // namespace usb
