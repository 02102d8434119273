// A plotter on the vendor driver, reached through libusb: every I/O control code of the driver
// carried out as the USB operation it stands for, with the records the virtual plotter's driver
// face answers (sim/DriverFace.h), and the pipes below the interface path ("129", "2", "131") as
// bulk and interrupt transfers on their endpoints.
//
//   IOCTL_UDRV_GET_DESCRIPTOR      device, configuration, string: GET_DESCRIPTOR on the device;
//                                  interface, endpoint: from libusb's copy of the configuration
//   IOCTL_UDRV_GET/SET_CONFIGURATION, IOCTL_UDRV_UNCONFIGURE: the configuration (set: the index's
//                                  configuration value; unconfigure: configuration 0)
//   IOCTL_UDRV_GET/SET_INTERFACE   the interface claimed; set: SET_INTERFACE; get: the setting
//                                  last set (0 at first), as Windows keeps it
//   IOCTL_UDRV_FEATURE             SET_FEATURE / CLEAR_FEATURE; IOCTL_UDRV_GET_STATUS: GET_STATUS.
//                                  The 16-bit selector: recipient (0 device, 1 interface,
//                                  2 endpoint) in the low byte, wIndex in the high byte
//   IOCTL_UDRV_CONTROL_REQUEST     the transfer of the control record (usb/ControlTransfer.h)
//   IOCTL_UDRV_RESET_DEVICE        a port reset; IOCTL_UDRV_CYCLE_PORT too: Linux has no way to
//                                  power a port off and on that a program may use
//   IOCTL_UDRV_LOCK                a lock of this process per device, as the driver face keeps it
//   IOCTL_UDRV_ATTACH_PIPE, _GET_PIPE_TOKEN: the tokens of usb/DriverPipes.h
//   IOCTL_UDRV_RESET_PIPE          on a pipe: CLEAR_FEATURE(ENDPOINT_HALT)
//
// Transfers run overlapped: a request pends (IoCompletion::outsideBy) until libusb ends it, and
// CancelIo or closing the handle cancels it. The device is opened with the first handle and
// closed with the last; a pipe's interface is claimed while the device is open.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "os/linux/LibusbContext.h"
#include "os/linux/UsbDeviceHandle.h"
#include "os/linux/UsbDeviceList.h"
#include "os/sim/SimDevice.h"
#include "usb/ControlTransfer.h"
#include "usb/DriverLock.h"

namespace os::linux_platform {

class VendorDriverDevice : public sim::SimDevice,
                           public std::enable_shared_from_this<VendorDriverDevice> {
 public:
  VendorDriverDevice(std::shared_ptr<LibusbContext> context, PresentInterface present);

  std::unique_ptr<sim::DeviceEndpoint> open(const std::string& subPath, DWORD access) override;
  DWORD openFailure() const override { return openFailure_; }

  sim::IoCompletion submit(std::optional<BYTE> pipe, const sim::IoRequest& request);
  void endpointClosed();
  int lockDepth() const { return lock_.depth(); }

 private:
  bool openHandle();
  sim::IoCompletion deviceRequest(const sim::IoRequest& request);
  sim::IoCompletion pipeRequest(BYTE address, const sim::IoRequest& request);
  sim::IoCompletion transfer(const usb::ControlSetup& setup, const sim::IoRequest& request);
  sim::IoCompletion controlRequest(const sim::IoRequest& request);
  sim::IoCompletion descriptor(const sim::IoRequest& request);
  sim::IoOutcome cachedDescriptor(const sim::IoRequest& request);
  sim::IoOutcome setConfiguration(const sim::IoRequest& request);
  sim::IoOutcome unconfigure();
  sim::IoOutcome interfaceRequest(const sim::IoRequest& request);
  sim::IoCompletion featureRequest(const sim::IoRequest& request);
  sim::IoCompletion statusRequest(const sim::IoRequest& request);
  sim::IoOutcome lock(const sim::IoRequest& request);
  sim::IoOutcome attachPipe(const sim::IoRequest& request);
  sim::IoOutcome reset();
  DWORD claim(uint8_t interfaceNumber);
  void releaseAll();

  std::shared_ptr<LibusbContext> context_;
  PresentInterface present_;
  std::shared_ptr<UsbDeviceHandle> handle_;  // while a handle of the program is open
  int openEndpoints_ = 0;
  std::set<uint8_t> claimed_;
  std::map<uint8_t, uint8_t> alternates_;  // interface number: the alternate setting set
  usb::DriverLock lock_;  // of this process, per device
  DWORD openFailure_ = ERROR_FILE_NOT_FOUND;
};

// Where an endpoint of the active configuration is: its interface and descriptor bytes.
struct EndpointPlace {
  uint8_t interfaceNumber = 0;
  uint8_t attributes = 0;
  std::string descriptor;  // the 7 bytes of the endpoint descriptor
};
std::optional<EndpointPlace> activeEndpoint(libusb_device* device, uint8_t address);

}  // namespace os::linux_platform
