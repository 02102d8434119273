// The printing-class requests: vendor get and set commands and the port status.
#include <algorithm>
#include <string>

#include "os/Handles.h"
#include "plotter/CommandMethods.h"
#include "plotter/OverlappedWait.h"
#include "usb/UsbPrintClass.h"

namespace plotter {
namespace {

constexpr DWORD kVendorGetInputSize = 3;
constexpr DWORD kVendorOutputSize = 512;
constexpr DWORD kLptStatusOutputSize = 2048;

HANDLE openDevice(std::string_view devicePath, DWORD access, DWORD share, DWORD disposition,
                  DWORD flags) {
  std::string path(devicePath);
  return os::CreateFileA(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
}

}  // namespace

bool runVendorGet(const CommandEntry& entry, std::string_view devicePath, std::string& text) {
  os::UniqueHandle device(
      openDevice(devicePath, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, kSynchronous));
  if (!device) return false;
  char input[kVendorGetInputSize];
  std::copy_n(entry.bytes, kVendorGetInputSize, input);
  char output[kVendorOutputSize];
  DWORD returned = 0;
  if (!os::DeviceIoControl(device.get(), usb::IOCTL_USBPRINT_VENDOR_GET_COMMAND, input,
                           sizeof input, output, sizeof output, &returned, nullptr)) {
    return false;
  }
  text.assign(output, std::min(returned, kVendorOutputSize));
  return true;
}

bool runVendorSet(const CommandEntry& entry, std::string_view devicePath) {
  os::UniqueHandle device(openDevice(devicePath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     OPEN_ALWAYS, FILE_FLAG_OVERLAPPED));
  os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!device || !event) return false;
  char input[sizeof entry.bytes];
  std::copy_n(entry.bytes, sizeof input, input);
  DWORD inputSize = std::clamp<int32_t>(entry.length, 0, sizeof input);
  char output[kVendorOutputSize];
  OVERLAPPED overlapped{};
  overlapped.hEvent = event.get();
  BOOL started = os::DeviceIoControl(device.get(), usb::IOCTL_USBPRINT_VENDOR_SET_COMMAND, input,
                                     inputSize, output, sizeof output, nullptr, &overlapped);
  if (started) return true;
  return awaitOverlapped(device.get(), overlapped, started, kCommandWaitTime).has_value();
}

bool runLptStatus(std::string_view devicePath) {
  os::UniqueHandle device(openDevice(devicePath, GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS,
                                     kSynchronous));
  if (!device) return false;
  char output[kLptStatusOutputSize];
  DWORD returned = 0;
  return os::DeviceIoControl(device.get(), usb::IOCTL_USBPRINT_GET_LPT_STATUS, nullptr, 0, output,
                             sizeof output, &returned, nullptr) != FALSE;
}

}  // namespace plotter
