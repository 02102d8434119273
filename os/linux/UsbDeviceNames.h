// How the platform names what it finds on the USB: which of the plotters' two faces an interface
// is, its device interface path and instance ID as Windows forms them (and as the simulated
// machine forms them for virtual plotters), where it sits on the bus, and its printer port name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace os::linux_platform {

// The maker's vendor driver (a vendor-specific interface: class 0xFF, or the printer class with
// the vendor's own subclass 0xFF as the plotters report it) or Windows' printing class (a printer
// interface, class 7 subclass 1).
enum class DeviceFace { Driver, Printer };

// The face an interface of a device with these identifiers stands for; none when it is not one of
// the plotters'. The vendor driver takes the vendor ID and the legacy pair, the printing class
// the vendor ID only.
std::optional<DeviceFace> faceOf(uint16_t vendorId, uint16_t productId, uint8_t interfaceClass,
                                 uint8_t interfaceSubClass);
// A device of the plotters' vendor (or the legacy pair), whatever its interfaces.
bool isPlotterVendor(uint16_t vendorId, uint16_t productId);

// Where a device sits: its bus and the port numbers from the root hub down. Devices are listed
// in this order, so that the list, and the printer ports' names, stay put between runs.
struct UsbLocation {
  uint8_t bus = 0;
  std::vector<uint8_t> ports;
  auto operator<=>(const UsbLocation&) const = default;
};

// As Linux names the place ("1-2.3"); it stands for the serial of a device that has none.
std::string locationText(const UsbLocation& location);

// "\\?\usb#vid_2e7a&pid_0010#SERIAL#{239d60c9-...}": the serial as it is for the vendor driver,
// in lower case for the printing class, as Windows forms the two.
std::string devicePathFor(DeviceFace face, uint16_t vendorId, uint16_t productId,
                          const std::string& instanceSerial);
// "USB\VID_2E7A&PID_0010\SERIAL".
std::string instanceIdFor(uint16_t vendorId, uint16_t productId,
                          const std::string& instanceSerial);
// "USB001" for the first printer port, "USB002" for the second, ...
std::string printerPortName(size_t index);

}  // namespace os::linux_platform
