// Opening, closing and using the pipes of a device.
#include "usb/UsbPipe.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "os/Calls.h"
#include "usb/UsbApi.h"

namespace {

// Pipe paths are built in a buffer of this many characters.
constexpr size_t kPipePathLength = 260;

// Makes the pipe known to its device: the pipe's token, handed to the device handle.
DWORD attachPipe(UsbPipe& pipe) {
  DWORD token = 0;
  DWORD result = USBIoCtrl(&pipe, usb::IOCTL_UDRV_GET_PIPE_TOKEN, nullptr, 0, &token,
                           sizeof token, nullptr, nullptr);
  if (result != 0) return result;
  return USBIoCtrl(pipe.device, usb::IOCTL_UDRV_ATTACH_PIPE, &token, sizeof token, nullptr, 0,
                   nullptr, nullptr);
}

UsbPipe* checkedPipe(USB_PIPE_HANDLE pipe) {
  return static_cast<UsbPipe*>(usb::checkedHandle(pipe, usb::kPipeKind));
}

}  // namespace

namespace usb {

void freePipe(UsbPipe& pipe) {
  {
    os::CriticalSectionLock hold(pipe.device->pipeLock);
    pipe.device->pipes.remove(pipe);
  }
  delete &pipe;
}

}  // namespace usb

extern "C" {

// A pipe that cannot be attached to its device is not handed out: closing the device could not
// close it, so it is closed at once and the attach error returned.
DWORD WINAPI USBOpenPipe(USB_DEVICE_HANDLE device, DWORD endpointAddress, USB_PIPE_HANDLE* pipe) {
  if (!pipe) return USBERR_INVALID_PARAMETER;
  *pipe = nullptr;
  if (!usb::checkedHandle(device, usb::kDeviceKind)) return USBERR_INVALID_PARAMETER;
  BYTE configuration = 0;
  if (USBGetConfiguration(device, &configuration, nullptr) != 0 || configuration == 0) {
    return USBERR_NOT_CONFIGURED;
  }
  std::unique_ptr<UsbPipe> opened(new (std::nothrow) UsbPipe(device));
  if (!opened) return USBERR_NO_MEMORY;
  const BYTE address = BYTE(endpointAddress);
  char path[kPipePathLength];
  int length = std::snprintf(path, sizeof path, "%s\\%d", device->devicePath(), address);
  if (length < 0 || size_t(length) >= sizeof path) return ERROR_INVALID_NAME;
  if (DWORD error = usb::openHandlePath(*opened, path)) return error;
  if (USBGetEndpointDesc(device, 0xFF, 0xFF, 0xFF, address, &opened->descriptor, nullptr) != 0) {
    opened->descriptor = {};
  }
  if (DWORD error = attachPipe(*opened)) return error;
  {
    os::CriticalSectionLock hold(device->pipeLock);
    device->pipes.add(*opened);
  }
  *pipe = opened.release();
  return 0;
}

DWORD WINAPI USBClosePipe(USB_PIPE_HANDLE* pipe) {
  if (!pipe || !checkedPipe(*pipe)) return USBERR_INVALID_PARAMETER;
  usb::freePipe(**pipe);
  *pipe = nullptr;
  return 0;
}

DWORD WINAPI USBReadPipe(USB_PIPE_HANDLE pipe, void* buffer, DWORD* length,
                         LPOVERLAPPED overlapped) {
  if (!checkedPipe(pipe) || !length) return USBERR_INVALID_PARAMETER;
  DWORD read = 0;
  BOOL issued =
      os::ReadFile(pipe->file, buffer, *length, &read, usb::overlappedFor(*pipe, overlapped));
  DWORD result = usb::finishRequest(*pipe, issued, overlapped, &read);
  if (result == 0) *length = read;
  os::SetLastError(result);
  return result;
}

DWORD WINAPI USBWritePipe(USB_PIPE_HANDLE pipe, const void* buffer, DWORD length,
                          LPOVERLAPPED overlapped) {
  if (!checkedPipe(pipe)) return USBERR_INVALID_PARAMETER;
  DWORD written = 0;
  BOOL issued =
      os::WriteFile(pipe->file, buffer, length, &written, usb::overlappedFor(*pipe, overlapped));
  DWORD result = usb::finishRequest(*pipe, issued, overlapped, &written);
  os::SetLastError(result);
  return result;
}

DWORD WINAPI USBResetPipe(USB_PIPE_HANDLE pipe, LPOVERLAPPED overlapped) {
  if (!checkedPipe(pipe)) return USBERR_INVALID_PARAMETER;
  DWORD result =
      USBIoCtrl(pipe, usb::IOCTL_UDRV_RESET_PIPE, nullptr, 0, nullptr, 0, nullptr, overlapped);
  os::SetLastError(result);
  return result;
}

DWORD WINAPI USBPipeGetDescriptor(USB_PIPE_HANDLE pipe, void* buffer) {
  if (!checkedPipe(pipe) || !buffer) return USBERR_INVALID_PARAMETER;
  std::memcpy(buffer, &pipe->descriptor, sizeof pipe->descriptor);
  return 0;
}

}  // extern "C"
