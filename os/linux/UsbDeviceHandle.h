// An open libusb device handle, closed when the last holder lets it go. The devices of the
// platform and every transfer in flight on it hold it, so a handle is never closed under a
// transfer that has not ended; it holds the context, which so outlives it.
#pragma once

#include <libusb.h>

#include <memory>

#include "os/Win32.h"
#include "os/linux/LibusbContext.h"

namespace os::linux_platform {

class UsbDeviceHandle {
 public:
  // Null with *error (a Windows error) when the device does not open.
  static std::shared_ptr<UsbDeviceHandle> open(std::shared_ptr<LibusbContext> context,
                                               libusb_device* device, DWORD* error);
  ~UsbDeviceHandle();
  UsbDeviceHandle(const UsbDeviceHandle&) = delete;
  UsbDeviceHandle& operator=(const UsbDeviceHandle&) = delete;

  libusb_device_handle* get() const { return handle_; }
  LibusbContext& context() const { return *context_; }

 private:
  UsbDeviceHandle(std::shared_ptr<LibusbContext> context, libusb_device_handle* handle)
      : context_(std::move(context)), handle_(handle) {}

  std::shared_ptr<LibusbContext> context_;
  libusb_device_handle* handle_;
};

}  // namespace os::linux_platform
