#include "os/linux/PrinterClassDevice.h"

#include <cstring>
#include <span>

#include "os/linux/LibusbError.h"
#include "os/linux/OpenEndpoint.h"
#include "os/linux/RequestOutcomes.h"
#include "os/linux/UsbTransfer.h"
#include "os/sim/CaseInsensitive.h"
#include "usb/PrintClassTransfer.h"
#include "usb/UsbPrintClass.h"

namespace os::linux_platform {
namespace {

using Target = PrinterClassDevice::Target;

using PrinterEndpoint = OpenEndpoint<PrinterClassDevice, Target>;

}  // namespace

std::optional<Target> printerTargetOf(const std::string& subPath) {
  if (subPath.empty()) return Target::Device;
  if (sim::equalsIgnoringCase(subPath, "PIPE02")) return Target::OutPipe;
  if (sim::equalsIgnoringCase(subPath, "PIPE129")) return Target::InPipe;
  return std::nullopt;
}

PrinterClassDevice::PrinterClassDevice(std::shared_ptr<LibusbContext> context,
                                       PresentInterface present)
    : context_(std::move(context)), present_(std::move(present)) {}

PrinterClassDevice::~PrinterClassDevice() = default;

std::unique_ptr<sim::DeviceEndpoint> PrinterClassDevice::open(const std::string& subPath, DWORD) {
  std::optional<Target> target = printerTargetOf(subPath);
  if (!target) {
    openFailure_ = ERROR_FILE_NOT_FOUND;
    return nullptr;
  }
  if (!take()) return nullptr;
  return std::make_unique<PrinterEndpoint>(shared_from_this(), *target);
}

// The device is opened and the interface taken from usblp by the first handle only.
bool PrinterClassDevice::take() {
  if (openEndpoints_ == 0) {
    handle_ = UsbDeviceHandle::open(context_, present_.device.get(), &openFailure_);
    if (!handle_) return false;
    DWORD error = ERROR_SUCCESS;
    claimed_ = std::make_unique<ClaimedPrinterInterface>(handle_->get(), present_.interfaceNumber,
                                                         &error);
    if (error != ERROR_SUCCESS) {
      openFailure_ = error;
      claimed_.reset();
      handle_.reset();
      return false;
    }
  }
  ++openEndpoints_;
  return true;
}

void PrinterClassDevice::endpointClosed() {
  if (--openEndpoints_ > 0) return;
  claimed_.reset();
  handle_.reset();
}

IoCompletion PrinterClassDevice::submit(Target target, const IoRequest& request) {
  using Kind = IoRequest::Kind;
  if (target == Target::Device && request.kind == Kind::Control) return deviceRequest(request);
  if (target == Target::OutPipe && request.kind == Kind::Write) return pipeRequest(false, request);
  if (target == Target::InPipe && request.kind == Kind::Read) return pipeRequest(true, request);
  return IoCompletion::now({ERROR_INVALID_FUNCTION, 0});
}

std::optional<uint8_t> PrinterClassDevice::bulkEndpoint(bool in) const {
  libusb_config_descriptor* config = nullptr;
  if (libusb_get_active_config_descriptor(present_.device.get(), &config) != LIBUSB_SUCCESS) {
    return std::nullopt;
  }
  std::optional<uint8_t> found;
  for (int i = 0; i < config->bNumInterfaces && !found; ++i) {
    if (config->interface[i].num_altsetting < 1) continue;
    const libusb_interface_descriptor& setting = config->interface[i].altsetting[0];
    if (setting.bInterfaceNumber != present_.interfaceNumber) continue;
    for (int e = 0; e < setting.bNumEndpoints && !found; ++e) {
      const libusb_endpoint_descriptor& endpoint = setting.endpoint[e];
      bool bulk = (endpoint.bmAttributes & 0x03) == LIBUSB_TRANSFER_TYPE_BULK;
      if (bulk && ((endpoint.bEndpointAddress & LIBUSB_ENDPOINT_IN) != 0) == in) {
        found = endpoint.bEndpointAddress;
      }
    }
  }
  libusb_free_config_descriptor(config);
  return found;
}

IoCompletion PrinterClassDevice::pipeRequest(bool in, const IoRequest& request) {
  if (in ? (!request.output && request.outputLength > 0) : (!request.input && request.inputLength > 0)) {
    return IoCompletion::now(kInvalid);
  }
  std::optional<uint8_t> endpoint = bulkEndpoint(in);
  if (!endpoint) return IoCompletion::now({ERROR_DEVICE_NOT_CONNECTED, 0});
  return UsbTransfer::pipe(handle_, *endpoint, false, request)->start();
}

IoCompletion PrinterClassDevice::deviceRequest(const IoRequest& request) {
  switch (request.code) {
    case usb::IOCTL_USBPRINT_GET_LPT_STATUS:
      if (!request.output || request.outputLength < 1) {
        return IoCompletion::now({ERROR_INSUFFICIENT_BUFFER, 0});
      }
      return UsbTransfer::control(handle_, usb::portStatusSetup(present_.interfaceNumber), request)
          ->start();
    case usb::IOCTL_USBPRINT_VENDOR_GET_COMMAND:
      return vendorCommand(true, request);
    case usb::IOCTL_USBPRINT_VENDOR_SET_COMMAND:
      return vendorCommand(false, request);
    default:
      return IoCompletion::now({ERROR_INVALID_FUNCTION, 0});
  }
}

// The SET command's data stage is the input after its three command bytes.
IoCompletion PrinterClassDevice::vendorCommand(bool get, const IoRequest& request) {
  if (!request.input || (get && !request.output && request.outputLength > 0)) {
    return IoCompletion::now(kInvalid);
  }
  std::span<const uint8_t> input(request.input, request.inputLength);
  auto command =
      usb::vendorCommandTransfer(get, present_.interfaceNumber, input, request.outputLength);
  if (!command) return IoCompletion::now(kInvalid);
  return UsbTransfer::control(handle_, command->setup, request, command->data)->start();
}

}  // namespace os::linux_platform
