#include "os/linux/PrinterRequests.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "os/linux/LibusbError.h"
#include "os/linux/UsbDeviceList.h"
#include "usb/PrintClassTransfer.h"

namespace os::linux_platform {
namespace {

constexpr uint16_t kDeviceIdLength = 1024;
constexpr unsigned kEnumerationTimeoutMs = 1000;

// usblp's copy: /sys/bus/usb/devices/<bus>-<ports>:1.<interface>/ieee1284_id.
std::string sysfsDeviceId(libusb_device* device, uint8_t interfaceNumber) {
  std::string path = "/sys/bus/usb/devices/" + locationText(locationOf(device)) + ":1." +
                     std::to_string(interfaceNumber) + "/ieee1284_id";
  std::ifstream file(path);
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  while (!text.empty() && (text.back() == '\n' || text.back() == '\0')) text.pop_back();
  return text;
}

}  // namespace

std::string printerDeviceId(libusb_device_handle* handle, libusb_device* device,
                            uint8_t interfaceNumber) {
  const usb::ControlSetup setup = usb::deviceIdSetup(interfaceNumber, kDeviceIdLength);
  std::vector<unsigned char> reply(setup.length);
  int count = libusb_control_transfer(handle, setup.requestType, setup.request, setup.value,
                                      setup.index, reply.data(), setup.length,
                                      kEnumerationTimeoutMs);
  if (count >= 0) return deviceIdFromReply(std::span(reply.data(), size_t(count)));
  return sysfsDeviceId(device, interfaceNumber);
}

KernelDriverStep kernelDriverStep(int kernelDriverActive) {
  if (kernelDriverActive == 1) return KernelDriverStep::Detach;
  if (kernelDriverActive == 0 || kernelDriverActive == LIBUSB_ERROR_NOT_SUPPORTED) {
    return KernelDriverStep::Nothing;
  }
  return KernelDriverStep::Refuse;
}

DetachOutcome detachOutcome(int detachResult) {
  if (detachResult == LIBUSB_SUCCESS) return {true, ERROR_SUCCESS};
  if (detachResult == LIBUSB_ERROR_NOT_FOUND) return {false, ERROR_SUCCESS};  // let go meanwhile
  if (detachResult == LIBUSB_ERROR_NO_DEVICE) return {false, ERROR_DEVICE_NOT_CONNECTED};
  if (detachResult == LIBUSB_ERROR_ACCESS) return {false, ERROR_ACCESS_DENIED};
  return {false, ERROR_BUSY};
}

ClaimedPrinterInterface::ClaimedPrinterInterface(libusb_device_handle* handle,
                                                 uint8_t interfaceNumber, DWORD* error)
    : handle_(handle), interface_(interfaceNumber) {
  int active = libusb_kernel_driver_active(handle, interfaceNumber);
  switch (kernelDriverStep(active)) {
    case KernelDriverStep::Refuse:
      *error = active == LIBUSB_ERROR_NO_DEVICE ? ERROR_DEVICE_NOT_CONNECTED : ERROR_BUSY;
      return;
    case KernelDriverStep::Detach: {
      DetachOutcome outcome = detachOutcome(libusb_detach_kernel_driver(handle, interfaceNumber));
      detached_ = outcome.detached;
      *error = outcome.error;
      if (*error != ERROR_SUCCESS) return;
      break;
    }
    case KernelDriverStep::Nothing:
      break;
  }
  int claim = libusb_claim_interface(handle, interfaceNumber);
  claimed_ = claim == LIBUSB_SUCCESS;
  // An interface another program has claimed is "in use" to the core.
  *error = claim == LIBUSB_ERROR_BUSY ? ERROR_BUSY : windowsErrorOf(claim);
}

ClaimedPrinterInterface::~ClaimedPrinterInterface() {
  if (claimed_) libusb_release_interface(handle_, interface_);
  if (detached_) libusb_attach_kernel_driver(handle_, interface_);
}

}  // namespace os::linux_platform
