#include "os/linux/VendorDriverDevice.h"

#include <cstring>

#include "os/linux/LibusbError.h"
#include "os/linux/UsbTransfer.h"
#include "os/linux/OpenEndpoint.h"
#include "os/linux/RequestOutcomes.h"
#include "usb/DriverPipes.h"
#include "usb/UsbDriver.h"

namespace os::linux_platform {
namespace {

using DriverEndpoint = OpenEndpoint<VendorDriverDevice, std::optional<BYTE>>;

DWORD inputDword(const IoRequest& request) {
  DWORD value;
  std::memcpy(&value, request.input, sizeof value);
  return value;
}

}  // namespace

VendorDriverDevice::VendorDriverDevice(std::shared_ptr<LibusbContext> context,
                                       PresentInterface present)
    : context_(std::move(context)), present_(std::move(present)) {}

std::unique_ptr<sim::DeviceEndpoint> VendorDriverDevice::open(const std::string& subPath, DWORD) {
  std::optional<BYTE> pipe;
  std::optional<EndpointPlace> place;
  if (!subPath.empty()) {
    pipe = usb::pipeAddressOf(subPath);
    if (pipe) place = activeEndpoint(present_.device.get(), *pipe);
    openFailure_ = ERROR_FILE_NOT_FOUND;
    if (!place) return nullptr;  // not a pipe, or the device is not configured
  }
  if (!openHandle()) return nullptr;
  auto endpoint = std::make_unique<DriverEndpoint>(shared_from_this(), pipe);
  if (place) {
    if (DWORD error = claim(place->interfaceNumber)) {
      openFailure_ = error;
      return nullptr;  // the endpoint's end lets the device go again
    }
  }
  return endpoint;
}

bool VendorDriverDevice::openHandle() {
  if (!handle_) {
    handle_ = UsbDeviceHandle::open(context_, present_.device.get(), &openFailure_);
    if (!handle_) return false;
    libusb_set_auto_detach_kernel_driver(handle_->get(), 1);
  }
  ++openEndpoints_;
  return true;
}

void VendorDriverDevice::endpointClosed() {
  if (--openEndpoints_ > 0) return;
  releaseAll();
  alternates_.clear();
  lock_.clear();
  handle_.reset();
}

DWORD VendorDriverDevice::claim(uint8_t interfaceNumber) {
  if (claimed_.count(interfaceNumber)) return ERROR_SUCCESS;
  int result = libusb_claim_interface(handle_->get(), interfaceNumber);
  if (result != LIBUSB_SUCCESS) return windowsErrorOf(result);
  claimed_.insert(interfaceNumber);
  return ERROR_SUCCESS;
}

void VendorDriverDevice::releaseAll() {
  for (uint8_t interfaceNumber : claimed_) libusb_release_interface(handle_->get(), interfaceNumber);
  claimed_.clear();
}

IoCompletion VendorDriverDevice::submit(std::optional<BYTE> pipe, const IoRequest& request) {
  return pipe ? pipeRequest(*pipe, request) : deviceRequest(request);
}

IoCompletion VendorDriverDevice::transfer(const usb::ControlSetup& setup,
                                          const IoRequest& request) {
  return UsbTransfer::control(handle_, setup, request)->start();
}

IoCompletion VendorDriverDevice::deviceRequest(const IoRequest& request) {
  if (request.kind != IoRequest::Kind::Control) return IoCompletion::now({ERROR_INVALID_FUNCTION, 0});
  switch (request.code) {
    case usb::IOCTL_UDRV_CONTROL_REQUEST:
      return controlRequest(request);
    case usb::IOCTL_UDRV_GET_DESCRIPTOR:
      return descriptor(request);
    case usb::IOCTL_UDRV_GET_CONFIGURATION:
      if (request.outputLength < 1) return IoCompletion::now(kInvalid);
      return transfer({0x80, LIBUSB_REQUEST_GET_CONFIGURATION, 0, 0, 1}, request);
    case usb::IOCTL_UDRV_SET_CONFIGURATION:
      return IoCompletion::now(setConfiguration(request));
    case usb::IOCTL_UDRV_UNCONFIGURE:
      return IoCompletion::now(unconfigure());
    case usb::IOCTL_UDRV_FEATURE:
      return featureRequest(request);
    case usb::IOCTL_UDRV_GET_STATUS:
      return statusRequest(request);
    case usb::IOCTL_UDRV_GET_INTERFACE:
    case usb::IOCTL_UDRV_SET_INTERFACE:
      return IoCompletion::now(interfaceRequest(request));
    case usb::IOCTL_UDRV_LOCK:
      return IoCompletion::now(lock(request));
    case usb::IOCTL_UDRV_ATTACH_PIPE:
      return IoCompletion::now(attachPipe(request));
    case usb::IOCTL_UDRV_RESET_DEVICE:
    case usb::IOCTL_UDRV_CYCLE_PORT:
      return IoCompletion::now(reset());
    default:
      return IoCompletion::now({ERROR_INVALID_FUNCTION, 0});
  }
}

IoCompletion VendorDriverDevice::controlRequest(const IoRequest& request) {
  usb::UdrvControlRecord record;
  if (request.inputLength != sizeof record) return IoCompletion::now(kInvalid);
  if (!request.output && request.outputLength > 0) return IoCompletion::now(kInvalid);
  std::memcpy(&record, request.input, sizeof record);
  std::optional<usb::ControlSetup> setup = usb::controlSetupFor(record, request.outputLength);
  if (!setup) return IoCompletion::now(kInvalid);
  // The record's data stage is the output buffer either way (the driver's code is out-direct).
  return UsbTransfer::control(handle_, *setup, request,
                              std::span<const BYTE>(request.output, request.outputLength))
      ->start();
}

IoOutcome VendorDriverDevice::lock(const IoRequest& request) {
  if (request.inputLength != sizeof(DWORD)) return kInvalid;
  return {lock_.apply(inputDword(request)), 0};
}

IoOutcome VendorDriverDevice::attachPipe(const IoRequest& request) {
  if (request.inputLength != sizeof(DWORD)) return kInvalid;
  std::optional<BYTE> pipe = usb::pipeOfToken(inputDword(request));
  bool known = pipe && activeEndpoint(present_.device.get(), *pipe);
  return known ? kDone : kInvalid;
}

// A device that comes back as another (new descriptors) after the reset is gone for this one.
IoOutcome VendorDriverDevice::reset() {
  int result = libusb_reset_device(handle_->get());
  if (result == LIBUSB_ERROR_NOT_FOUND) return {ERROR_DEVICE_NOT_CONNECTED, 0};
  return {windowsErrorOf(result), 0};
}

IoCompletion VendorDriverDevice::pipeRequest(BYTE address, const IoRequest& request) {
  std::optional<EndpointPlace> place = activeEndpoint(present_.device.get(), address);
  if (!place) return IoCompletion::now({ERROR_DEVICE_NOT_CONNECTED, 0});
  const bool in = (address & LIBUSB_ENDPOINT_IN) != 0;
  const bool interrupt = (place->attributes & 0x03) == LIBUSB_TRANSFER_TYPE_INTERRUPT;
  switch (request.kind) {
    case IoRequest::Kind::Read:
      if (!in) break;
      if (!request.output && request.outputLength > 0) return IoCompletion::now(kInvalid);
      return UsbTransfer::pipe(handle_, address, interrupt, request)->start();
    case IoRequest::Kind::Write:
      if (in) break;
      if (!request.input && request.inputLength > 0) return IoCompletion::now(kInvalid);
      return UsbTransfer::pipe(handle_, address, interrupt, request)->start();
    case IoRequest::Kind::Control:
      if (request.code == usb::IOCTL_UDRV_RESET_PIPE) {
        return IoCompletion::now({windowsErrorOf(libusb_clear_halt(handle_->get(), address)), 0});
      }
      if (request.code == usb::IOCTL_UDRV_GET_PIPE_TOKEN) {
        if (request.outputLength < sizeof(DWORD)) return IoCompletion::now(kInvalid);
        DWORD token = usb::pipeTokenOf(address);
        std::memcpy(request.output, &token, sizeof token);
        return IoCompletion::now({ERROR_SUCCESS, sizeof token});
      }
      break;
  }
  return IoCompletion::now({ERROR_INVALID_FUNCTION, 0});
}

}  // namespace os::linux_platform
