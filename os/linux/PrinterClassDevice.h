// A plotter's USB printer interface reached through libusb, as Windows' printing class makes a
// port of it (the virtual plotter's printing-class face, sim/PrintClassFace.h, answers the same):
// "PIPE02" and "PIPE129" below the interface path are the interface's bulk OUT and IN endpoints,
// whatever their addresses; the path itself takes IOCTL_USBPRINT_GET_LPT_STATUS (the class's
// GET_PORT_STATUS) and the two vendor commands (usb/PrintClassTransfer.h).
//
// The kernel's usblp driver holds the interface for the print queues. The first handle the
// program opens takes the interface from it; the last one closed gives it back, so the queues
// print again. A usblp that does not let go fails the open with ERROR_BUSY.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "os/linux/LibusbContext.h"
#include "os/linux/PrinterRequests.h"
#include "os/linux/UsbDeviceHandle.h"
#include "os/linux/UsbDeviceList.h"
#include "os/sim/SimDevice.h"

namespace os::linux_platform {

class PrinterClassDevice : public sim::SimDevice,
                           public std::enable_shared_from_this<PrinterClassDevice> {
 public:
  enum class Target { Device, OutPipe, InPipe };

  PrinterClassDevice(std::shared_ptr<LibusbContext> context, PresentInterface present);
  ~PrinterClassDevice() override;

  std::unique_ptr<sim::DeviceEndpoint> open(const std::string& subPath, DWORD access) override;
  DWORD openFailure() const override { return openFailure_; }

  sim::IoCompletion submit(Target target, const sim::IoRequest& request);
  void endpointClosed();

 private:
  bool take();
  std::optional<uint8_t> bulkEndpoint(bool in) const;
  sim::IoCompletion pipeRequest(bool in, const sim::IoRequest& request);
  sim::IoCompletion deviceRequest(const sim::IoRequest& request);
  sim::IoCompletion vendorCommand(bool get, const sim::IoRequest& request);

  std::shared_ptr<LibusbContext> context_;
  PresentInterface present_;
  std::shared_ptr<UsbDeviceHandle> handle_;
  std::unique_ptr<ClaimedPrinterInterface> claimed_;
  int openEndpoints_ = 0;
  DWORD openFailure_ = ERROR_FILE_NOT_FOUND;
};

// The subpath's pipe: none for the device itself; Device stands for a path that is no pipe.
std::optional<PrinterClassDevice::Target> printerTargetOf(const std::string& subPath);

}  // namespace os::linux_platform
