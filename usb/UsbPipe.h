// The record behind a pipe handle: the common head, the device the pipe belongs to, and a copy
// of its endpoint descriptor.
#pragma once

#include "usb/UsbDevice.h"
#include "usb/UsbDriver.h"
#include "usb/UsbHandle.h"

struct UsbPipe : usb::UsbHandle {
  explicit UsbPipe(UsbDevice* owner) : UsbHandle(usb::kPipeKind), device(owner) {}

  UsbDevice* device;
  usb::UsbEndpointDescriptor descriptor{};  // zero when it could not be read
};

namespace usb {
// Takes the pipe out of its device's list and frees it, which closes its file.
void freePipe(UsbPipe& pipe);
}  // namespace usb
