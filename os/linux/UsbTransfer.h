// One asynchronous USB transfer (control, bulk or interrupt) that carries out one request of the
// machine, with a buffer of its own.
//
// The machine gets the request's OutsideRequest (IoCompletion::outsideBy); the transfer's
// callback ends it, and the finishing function, which runs on the machine's thread, copies what
// came in from the transfer's buffer into the request's output buffer. A request the program gives
// up cancels the transfer; the transfer (and the device handle under it) lives until its callback
// has run all the same.
#pragma once

#include <libusb.h>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "os/linux/UsbDeviceHandle.h"
#include "os/sim/SimDevice.h"
#include "usb/ControlTransfer.h"

namespace os::linux_platform {

class UsbTransfer : public std::enable_shared_from_this<UsbTransfer> {
 public:
  // What a bulk or interrupt transfer moves: out (the request's input) or in (its output).
  static std::shared_ptr<UsbTransfer> pipe(std::shared_ptr<UsbDeviceHandle> handle,
                                           unsigned char endpoint, bool interrupt,
                                           const sim::IoRequest& request);
  // A control transfer of this setup: device to host, its data stage fills the request's output
  // buffer; host to device, it sends sent (setup.length bytes of it).
  static std::shared_ptr<UsbTransfer> control(std::shared_ptr<UsbDeviceHandle> handle,
                                              const usb::ControlSetup& setup,
                                              const sim::IoRequest& request,
                                              std::span<const BYTE> sent = {});
  ~UsbTransfer();
  UsbTransfer(const UsbTransfer&) = delete;
  UsbTransfer& operator=(const UsbTransfer&) = delete;

  // Submits the transfer: the completion that ends the request with its outcome, or one that
  // fails it at once when libusb does not take the transfer.
  sim::IoCompletion start();

 private:
  UsbTransfer(std::shared_ptr<UsbDeviceHandle> handle, const sim::IoRequest& request,
              size_t bufferSize, bool in);
  static void LIBUSB_CALL ended(libusb_transfer* transfer);
  sim::IoOutcome finish() const;
  void cancel();

  std::shared_ptr<UsbDeviceHandle> handle_;
  libusb_transfer* transfer_;
  std::vector<unsigned char> buffer_;
  size_t dataOffset_ = 0;  // a control transfer's data stage follows its setup packet
  bool in_;
  BYTE* output_;
  DWORD outputLength_;
  std::shared_ptr<sim::OutsideRequest> outside_;
  std::shared_ptr<UsbTransfer> inFlight_;  // itself, from submission until its callback
};

}  // namespace os::linux_platform
