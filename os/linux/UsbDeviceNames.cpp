#include "os/linux/UsbDeviceNames.h"

#include <cctype>
#include <cstdio>

#include "usb/UsbIdentifiers.h"

namespace os::linux_platform {
namespace {

constexpr uint8_t kPrinterClass = 7;
constexpr uint8_t kPrinterSubClass = 1;
constexpr uint8_t kVendorSpecific = 0xFF;

constexpr char kDriverGuidText[] = "{239d60c9-ccaf-11d5-ac21-204c4f4f5020}";
constexpr char kPrintGuidText[] = "{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

std::string lowerCase(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

bool isPlotterVendor(uint16_t vendorId, uint16_t productId) {
  return vendorId == usb::kVendorId ||
         (vendorId == usb::kLegacyVendorId && productId == usb::kLegacyProductId);
}

std::optional<DeviceFace> faceOf(uint16_t vendorId, uint16_t productId, uint8_t interfaceClass,
                                 uint8_t interfaceSubClass) {
  if (interfaceClass == kPrinterClass && interfaceSubClass == kPrinterSubClass) {
    if (vendorId == usb::kVendorId) return DeviceFace::Printer;
    return std::nullopt;
  }
  bool vendorSpecific = interfaceClass == kVendorSpecific ||
                        (interfaceClass == kPrinterClass && interfaceSubClass == kVendorSpecific);
  if (vendorSpecific && isPlotterVendor(vendorId, productId)) return DeviceFace::Driver;
  return std::nullopt;
}

std::string locationText(const UsbLocation& location) {
  std::string text = std::to_string(location.bus);
  char separator = '-';
  for (uint8_t port : location.ports) {
    text += separator;
    text += std::to_string(port);
    separator = '.';
  }
  return text;
}

std::string devicePathFor(DeviceFace face, uint16_t vendorId, uint16_t productId,
                          const std::string& instanceSerial) {
  char ids[32];
  std::snprintf(ids, sizeof ids, "vid_%04x&pid_%04x", vendorId, productId);
  std::string path = std::string("\\\\?\\usb#") + ids + "#";
  if (face == DeviceFace::Driver) return path + instanceSerial + "#" + kDriverGuidText;
  return path + lowerCase(instanceSerial) + "#" + kPrintGuidText;
}

std::string instanceIdFor(uint16_t vendorId, uint16_t productId,
                          const std::string& instanceSerial) {
  char ids[32];
  std::snprintf(ids, sizeof ids, "VID_%04X&PID_%04X", vendorId, productId);
  return std::string("USB\\") + ids + "\\" + instanceSerial;
}

std::string printerPortName(size_t index) {
  char name[16];
  std::snprintf(name, sizeof name, "USB%03zu", index + 1);
  return name;
}

}  // namespace os::linux_platform
