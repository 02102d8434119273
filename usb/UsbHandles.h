// Owners for the USB library's handles, so that every early return of a caller closes what it
// opened.
#pragma once

#include "os/Handles.h"
#include "usb/UsbApi.h"

namespace usb {

// Device and pipe handles: null means none, and the library's close takes the handle's address.
template <typename Handle, DWORD(WINAPI* Close)(Handle*)>
struct UsbHandleTraits {
  using Value = Handle;
  static Value empty() { return nullptr; }
  static bool valid(Value v) { return v != nullptr; }
  static void close(Value v) { Close(&v); }
};
using UniqueUsbDevice = os::UniqueOwner<UsbHandleTraits<USB_DEVICE_HANDLE, USBCloseDevice>>;
using UniqueUsbPipe = os::UniqueOwner<UsbHandleTraits<USB_PIPE_HANDLE, USBClosePipe>>;

// USBGetDeviceList gives null when the list cannot be made.
struct UsbDeviceListTraits {
  using Value = HDEVINFO;
  static Value empty() { return nullptr; }
  static bool valid(Value v) { return v != nullptr && v != INVALID_HANDLE_VALUE; }
  static void close(Value v) { USBReleaseDeviceList(v); }
};
using UniqueUsbDeviceList = os::UniqueOwner<UsbDeviceListTraits>;

}  // namespace usb
