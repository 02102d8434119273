// A USB printer-class interface present on the machine, as the registry and the spooler of the
// Linux platform need it: the port name Windows would give it and what matches it to a CUPS
// queue's device URI.
#pragma once

#include <cstdint>
#include <string>

namespace os::linux_platform {

struct UsbPrinterPort {
  std::string port;           // "USB001", "USB002", ... in the device list's order
  std::string interfacePath;  // the printing-class device interface path the platform lists
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  std::string serial;    // the iSerialNumber string; empty when the device has none
  std::string deviceId;  // the printer class's IEEE 1284 device ID, without its length prefix
  std::string instance;  // the device's instance ID as Windows would form it (USB\VID_..&PID_..\serial)
};

}  // namespace os::linux_platform
