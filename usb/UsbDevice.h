// The record behind a device handle: the common head, the device's open pipes under their own
// lock, and the device-interface detail that holds the device path.
#pragma once

#include <memory>

#include "os/CriticalSection.h"
#include "os/Win32.h"
#include "usb/UsbHandle.h"
#include "usb/UsbHandleList.h"

struct UsbDevice : usb::UsbHandle {
  UsbDevice() : UsbHandle(usb::kDeviceKind) {}

  usb::UsbHandleList pipes;
  os::CriticalSection pipeLock;
  std::unique_ptr<BYTE[]> interfaceDetail;  // an SP_DEVICE_INTERFACE_DETAIL_DATA_A

  const char* devicePath() const {
    return reinterpret_cast<const SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(interfaceDetail.get())
        ->DevicePath;
  }
};
