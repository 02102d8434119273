// The printing-class requests: vendor get and set commands and the port status. Each runs
// overlapped and is bounded by the command's wait, so that a plotter that takes no data fails
// the command instead of blocking.
#include <algorithm>
#include <optional>
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

HANDLE openDevice(std::string_view devicePath, DWORD access, DWORD share, DWORD disposition) {
  std::string path(devicePath);
  return os::CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_FLAG_OVERLAPPED,
                         nullptr);
}

// The request on the device, with a manual-reset event of its own. Its byte count when it ended
// well, at once or within the wait; nothing when it failed or did not end in time (it is
// cancelled then, and its end awaited, so that the buffers may go).
std::optional<DWORD> request(HANDLE device, DWORD code, void* input, DWORD inputSize, void* output,
                             DWORD outputSize) {
  os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!event) return std::nullopt;
  OVERLAPPED overlapped{};
  overlapped.hEvent = event.get();
  DWORD returned = 0;
  BOOL started = os::DeviceIoControl(device, code, input, inputSize, output, outputSize, &returned,
                                     &overlapped);
  return requestEnd(device, overlapped, started, returned, kCommandWaitTime);
}

}  // namespace

bool runVendorGet(const CommandEntry& entry, std::string_view devicePath, std::string& text) {
  os::UniqueHandle device(openDevice(devicePath, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING));
  if (!device) return false;
  char input[kVendorGetInputSize];
  std::copy_n(entry.bytes, kVendorGetInputSize, input);
  char output[kVendorOutputSize];
  std::optional<DWORD> returned = request(device.get(), usb::IOCTL_USBPRINT_VENDOR_GET_COMMAND,
                                          input, sizeof input, output, sizeof output);
  if (!returned) return false;
  text.assign(output, std::min(*returned, kVendorOutputSize));
  return true;
}

bool runVendorSet(const CommandEntry& entry, std::string_view devicePath) {
  os::UniqueHandle device(
      openDevice(devicePath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS));
  if (!device) return false;
  char input[sizeof entry.bytes];
  std::copy_n(entry.bytes, sizeof input, input);
  DWORD inputSize = std::clamp<int32_t>(entry.length, 0, sizeof input);
  char output[kVendorOutputSize];
  return request(device.get(), usb::IOCTL_USBPRINT_VENDOR_SET_COMMAND, input, inputSize, output,
                 sizeof output)
      .has_value();
}

bool runLptStatus(std::string_view devicePath) {
  os::UniqueHandle device(openDevice(devicePath, GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS));
  if (!device) return false;
  char output[kLptStatusOutputSize];
  return request(device.get(), usb::IOCTL_USBPRINT_GET_LPT_STATUS, nullptr, 0, output,
                 sizeof output)
      .has_value();
}

}  // namespace plotter
