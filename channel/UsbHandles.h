// Owners for the USB library's handles, so that every early return closes what was opened.
#pragma once

#include "os/Handles.h"
#include "usb/UsbApi.h"

namespace channel {

struct UsbDeviceTraits {
  using Value = USB_DEVICE_HANDLE;
  static Value empty() { return nullptr; }
  static bool valid(Value v) { return v != nullptr; }
  static void close(Value v) { USBCloseDevice(&v); }
};
using UniqueUsbDevice = os::UniqueOwner<UsbDeviceTraits>;

struct UsbPipeTraits {
  using Value = USB_PIPE_HANDLE;
  static Value empty() { return nullptr; }
  static bool valid(Value v) { return v != nullptr; }
  static void close(Value v) { USBClosePipe(&v); }
};
using UniqueUsbPipe = os::UniqueOwner<UsbPipeTraits>;

// USBGetDeviceList gives null when the list cannot be made.
struct UsbDeviceListTraits {
  using Value = HDEVINFO;
  static Value empty() { return nullptr; }
  static bool valid(Value v) { return v != nullptr && v != INVALID_HANDLE_VALUE; }
  static void close(Value v) { USBReleaseDeviceList(v); }
};
using UniqueUsbDeviceList = os::UniqueOwner<UsbDeviceListTraits>;

}  // namespace channel
