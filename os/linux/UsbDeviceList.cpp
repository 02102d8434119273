#include "os/linux/UsbDeviceList.h"

#include <algorithm>
#include <array>

#include "os/linux/PrinterRequests.h"

namespace os::linux_platform {
namespace {

using DeviceRef = std::shared_ptr<libusb_device>;

DeviceRef referenced(libusb_device* device) {
  return DeviceRef(libusb_ref_device(device), [](libusb_device* d) { libusb_unref_device(d); });
}

struct ConfigDeleter {
  void operator()(libusb_config_descriptor* config) const { libusb_free_config_descriptor(config); }
};
using Config = std::unique_ptr<libusb_config_descriptor, ConfigDeleter>;

struct HandleCloser {
  void operator()(libusb_device_handle* handle) const { libusb_close(handle); }
};
using OpenedDevice = std::unique_ptr<libusb_device_handle, HandleCloser>;

std::string serialOf(libusb_device_handle* handle, uint8_t index) {
  if (index == 0) return {};
  unsigned char text[256];
  int length = libusb_get_string_descriptor_ascii(handle, index, text, sizeof text);
  return length > 0 ? std::string(reinterpret_cast<char*>(text), size_t(length)) : std::string();
}

// The interfaces of one device that are the plotters' (alternate setting 0 of each).
std::vector<PresentInterface> plotterInterfacesOf(libusb_device* device,
                                                  const libusb_device_descriptor& descriptor) {
  std::vector<PresentInterface> found;
  libusb_config_descriptor* raw = nullptr;
  if (libusb_get_config_descriptor(device, 0, &raw) != LIBUSB_SUCCESS) return found;
  Config config(raw);
  for (int i = 0; i < config->bNumInterfaces; ++i) {
    if (config->interface[i].num_altsetting < 1) continue;
    const libusb_interface_descriptor& setting = config->interface[i].altsetting[0];
    std::optional<DeviceFace> face =
        faceOf(descriptor.idVendor, descriptor.idProduct, setting.bInterfaceClass,
               setting.bInterfaceSubClass);
    if (!face) continue;
    PresentInterface entry;
    entry.face = *face;
    entry.vendorId = descriptor.idVendor;
    entry.productId = descriptor.idProduct;
    entry.interfaceNumber = setting.bInterfaceNumber;
    found.push_back(std::move(entry));
  }
  return found;
}

// Fills in what needs the device open; the libusb error when it does not open.
int describe(libusb_device* device, const libusb_device_descriptor& descriptor,
             std::vector<PresentInterface>& interfaces) {
  libusb_device_handle* raw = nullptr;
  int result = libusb_open(device, &raw);
  if (result != LIBUSB_SUCCESS) return result;
  OpenedDevice handle(raw);
  const UsbLocation location = locationOf(device);
  const std::string serial = serialOf(handle.get(), descriptor.iSerialNumber);
  for (PresentInterface& entry : interfaces) {
    entry.location = location;
    entry.address = libusb_get_device_address(device);
    entry.serial = serial;
    entry.instanceSerial = serial.empty() ? locationText(location) : serial;
    entry.path = devicePathFor(entry.face, entry.vendorId, entry.productId, entry.instanceSerial);
    entry.device = referenced(device);
    if (entry.face == DeviceFace::Printer) {
      entry.deviceId = printerDeviceId(handle.get(), device, entry.interfaceNumber);
    }
  }
  return LIBUSB_SUCCESS;
}

}  // namespace

UsbLocation locationOf(libusb_device* device) {
  std::array<uint8_t, 7> ports{};
  int count = libusb_get_port_numbers(device, ports.data(), int(ports.size()));
  UsbLocation location{libusb_get_bus_number(device), {}};
  if (count > 0) location.ports.assign(ports.begin(), ports.begin() + count);
  return location;
}

UsbDeviceKey keyOf(const PresentInterface& present) {
  return {present.location, present.address};
}

UsbDeviceList listUsbDevices(LibusbContext& context, const std::set<UsbDeviceKey>& known) {
  UsbDeviceList list;
  libusb_device** devices = nullptr;
  ssize_t count = libusb_get_device_list(context.context(), &devices);
  for (ssize_t i = 0; i < count; ++i) {
    libusb_device_descriptor descriptor{};
    if (libusb_get_device_descriptor(devices[i], &descriptor) != LIBUSB_SUCCESS) continue;
    if (!isPlotterVendor(descriptor.idVendor, descriptor.idProduct)) continue;
    UsbDeviceKey key{locationOf(devices[i]), libusb_get_device_address(devices[i])};
    list.present.insert(key);
    if (known.count(key)) continue;
    std::vector<PresentInterface> interfaces = plotterInterfacesOf(devices[i], descriptor);
    if (interfaces.empty()) continue;
    int opened = describe(devices[i], descriptor, interfaces);
    if (opened == LIBUSB_ERROR_ACCESS) ++list.notOpenable;
    if (opened != LIBUSB_SUCCESS) continue;
    for (PresentInterface& entry : interfaces) list.interfaces.push_back(std::move(entry));
  }
  if (devices) libusb_free_device_list(devices, 1);
  sortByLocation(list.interfaces);
  return list;
}

bool listedBefore(const PresentInterface& a, const PresentInterface& b) {
  if (a.location != b.location) return a.location < b.location;
  return a.interfaceNumber < b.interfaceNumber;
}

void sortByLocation(std::vector<PresentInterface>& interfaces) {
  std::stable_sort(interfaces.begin(), interfaces.end(), listedBefore);
}

std::vector<UsbPrinterPort> printerPortsOf(std::span<const PresentInterface> interfaces) {
  std::vector<UsbPrinterPort> ports;
  for (const PresentInterface& entry : interfaces) {
    if (entry.face != DeviceFace::Printer) continue;
    ports.push_back({printerPortName(ports.size()), entry.path, entry.vendorId, entry.productId,
                     entry.serial, entry.deviceId,
                     instanceIdFor(entry.vendorId, entry.productId, entry.instanceSerial)});
  }
  return ports;
}

std::string deviceIdFromReply(std::span<const unsigned char> reply) {
  if (reply.size() < 2) return {};
  size_t length = size_t(reply[0]) << 8 | reply[1];
  if (length < 2) return {};
  length = std::min(length, reply.size());
  return std::string(reinterpret_cast<const char*>(reply.data()) + 2, length - 2);
}

}  // namespace os::linux_platform
