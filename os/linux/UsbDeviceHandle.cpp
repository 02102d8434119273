#include "os/linux/UsbDeviceHandle.h"

#include "os/linux/LibusbError.h"

namespace os::linux_platform {

std::shared_ptr<UsbDeviceHandle> UsbDeviceHandle::open(std::shared_ptr<LibusbContext> context,
                                                       libusb_device* device, DWORD* error) {
  libusb_device_handle* handle = nullptr;
  int result = libusb_open(device, &handle);
  *error = windowsErrorOf(result);
  if (result != LIBUSB_SUCCESS) return nullptr;
  return std::shared_ptr<UsbDeviceHandle>(new UsbDeviceHandle(std::move(context), handle));
}

UsbDeviceHandle::~UsbDeviceHandle() { libusb_close(handle_); }

}  // namespace os::linux_platform
