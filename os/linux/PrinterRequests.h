// What the platform asks of a printer interface itself, outside any request of the program: its
// IEEE 1284 device ID at enumeration, and taking the interface from the kernel's usblp driver
// (and giving it back) around a handle that speaks to the plotter.
#pragma once

#include <libusb.h>

#include <cstdint>
#include <string>

#include "os/Win32.h"

namespace os::linux_platform {

// The device ID by the printer class's GET_DEVICE_ID; while usblp holds the interface (and so
// refuses the request to others) the one it read, from sysfs. Empty when neither answers.
std::string printerDeviceId(libusb_device_handle* handle, libusb_device* device,
                            uint8_t interfaceNumber);

// What to do about the kernel driver of an interface before claiming it, by what
// libusb_kernel_driver_active said.
enum class KernelDriverStep { Detach, Nothing, Refuse };
KernelDriverStep kernelDriverStep(int kernelDriverActive);
// The outcome of libusb_detach_kernel_driver: whether the driver was let go (and so must be
// given back), and the open's error otherwise.
struct DetachOutcome {
  bool detached = false;
  DWORD error = ERROR_SUCCESS;
};
DetachOutcome detachOutcome(int detachResult);

// A printer interface claimed from usblp for as long as it lives: the driver is given back when
// it goes, so the print queue's backend reaches the plotter again.
class ClaimedPrinterInterface {
 public:
  // *error: ERROR_BUSY when usblp (or another program) will not let the interface go.
  ClaimedPrinterInterface(libusb_device_handle* handle, uint8_t interfaceNumber, DWORD* error);
  ~ClaimedPrinterInterface();
  ClaimedPrinterInterface(const ClaimedPrinterInterface&) = delete;
  ClaimedPrinterInterface& operator=(const ClaimedPrinterInterface&) = delete;

 private:
  libusb_device_handle* handle_;
  uint8_t interface_;
  bool claimed_ = false;
  bool detached_ = false;
};

}  // namespace os::linux_platform
