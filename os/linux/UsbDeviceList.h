// The plotters' interfaces present on the USB, as the platform lists them: in the order of where
// their devices sit (bus, then port path), each with the device interface path Windows would give
// it, and the printer ports of the printing-class ones.
#pragma once

#include <libusb.h>

#include <cstdint>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "os/linux/LibusbContext.h"
#include "os/linux/UsbDeviceNames.h"
#include "os/linux/UsbPrinterPort.h"

namespace os::linux_platform {

// One device on the bus, for as long as it stays enumerated: a device that comes back (after a
// firmware update, say) has another address.
struct UsbDeviceKey {
  UsbLocation location;
  uint8_t address = 0;
  auto operator<=>(const UsbDeviceKey&) const = default;
};

struct PresentInterface {
  DeviceFace face = DeviceFace::Driver;
  UsbLocation location;
  uint8_t address = 0;  // the device's address on its bus
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  std::string serial;          // iSerialNumber; empty when the device has none
  std::string instanceSerial;  // the serial, or the location of a device without one
  uint8_t interfaceNumber = 0;
  std::string path;      // the device interface path
  std::string deviceId;  // printing class: the IEEE 1284 device ID
  std::shared_ptr<libusb_device> device;  // holds a reference of libusb's
};

struct UsbDeviceList {
  std::vector<PresentInterface> interfaces;  // of the devices not known before
  std::set<UsbDeviceKey> present;            // every device of the plotters' vendor there now
  // Devices of the plotters' vendor that this user may not open (no udev rule gives access).
  int notOpenable = 0;
};

// The plotter interfaces present now on devices not in known. Opens each of those devices of the
// vendor briefly for its serial (and a printer interface's device ID).
UsbDeviceList listUsbDevices(LibusbContext& context, const std::set<UsbDeviceKey>& known = {});
UsbDeviceKey keyOf(const PresentInterface& present);
// Where libusb says the device sits.
UsbLocation locationOf(libusb_device* device);

// List order: by location, then interface number.
bool listedBefore(const PresentInterface& a, const PresentInterface& b);
void sortByLocation(std::vector<PresentInterface>& interfaces);

// The printer ports of the printing-class interfaces, named USB001, USB002, ... in list order.
std::vector<UsbPrinterPort> printerPortsOf(std::span<const PresentInterface> interfaces);

// The device ID in a printer class GET_DEVICE_ID answer: its first two bytes are the length
// (big-endian) of the whole answer, themselves included. Empty for an answer that is not one.
std::string deviceIdFromReply(std::span<const unsigned char> reply);

}  // namespace os::linux_platform
