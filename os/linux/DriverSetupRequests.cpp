// The vendor driver's setup requests on a real device: descriptors, configuration, interfaces,
// features and status (VendorDriverDevice.h tells what each one is on the USB).
#include <algorithm>
#include <cstring>

#include "os/linux/LibusbError.h"
#include "os/linux/RequestOutcomes.h"
#include "os/linux/VendorDriverDevice.h"
#include "usb/DriverLock.h"
#include "usb/UsbDriver.h"

namespace os::linux_platform {
namespace {


struct ConfigDeleter {
  void operator()(libusb_config_descriptor* config) const { libusb_free_config_descriptor(config); }
};
using Config = std::unique_ptr<libusb_config_descriptor, ConfigDeleter>;

Config configAt(libusb_device* device, int index) {
  libusb_config_descriptor* raw = nullptr;
  int result = index < 0 ? libusb_get_active_config_descriptor(device, &raw)
                         : libusb_get_config_descriptor(device, uint8_t(index), &raw);
  return Config(result == LIBUSB_SUCCESS ? raw : nullptr);
}

std::string interfaceBytes(const libusb_interface_descriptor& d) {
  const unsigned char bytes[] = {d.bLength,          d.bDescriptorType,    d.bInterfaceNumber,
                                 d.bAlternateSetting, d.bNumEndpoints,     d.bInterfaceClass,
                                 d.bInterfaceSubClass, d.bInterfaceProtocol, d.iInterface};
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

std::string endpointBytes(const libusb_endpoint_descriptor& d) {
  const unsigned char bytes[] = {LIBUSB_DT_ENDPOINT_SIZE,     d.bDescriptorType,
                                 d.bEndpointAddress,          d.bmAttributes,
                                 uint8_t(d.wMaxPacketSize),   uint8_t(d.wMaxPacketSize >> 8),
                                 d.bInterval};
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

bool hasInterface(const libusb_config_descriptor& config, uint8_t interfaceNumber) {
  for (int i = 0; i < config.bNumInterfaces; ++i) {
    const libusb_interface& interface = config.interface[i];
    if (interface.num_altsetting > 0 && interface.altsetting[0].bInterfaceNumber == interfaceNumber) {
      return true;
    }
  }
  return false;
}

const libusb_interface_descriptor* settingOf(const libusb_config_descriptor& config,
                                             uint8_t interfaceIndex, uint8_t alternate) {
  if (interfaceIndex >= config.bNumInterfaces) return nullptr;
  const libusb_interface& interface = config.interface[interfaceIndex];
  return alternate < interface.num_altsetting ? &interface.altsetting[alternate] : nullptr;
}

// Copies a descriptor into the output buffer, cut to its length.
IoOutcome answered(const IoRequest& request, const std::string& bytes) {
  if (!request.output && request.outputLength > 0) return kInvalid;
  DWORD count = std::min<DWORD>(request.outputLength, DWORD(bytes.size()));
  std::memcpy(request.output, bytes.data(), count);
  return {ERROR_SUCCESS, count};
}

}  // namespace

std::optional<EndpointPlace> activeEndpoint(libusb_device* device, uint8_t address) {
  Config config = configAt(device, -1);
  if (!config) return std::nullopt;
  for (int i = 0; i < config->bNumInterfaces; ++i) {
    const libusb_interface_descriptor* setting = settingOf(*config, uint8_t(i), 0);
    if (!setting) continue;
    for (int e = 0; e < setting->bNumEndpoints; ++e) {
      const libusb_endpoint_descriptor& endpoint = setting->endpoint[e];
      if (endpoint.bEndpointAddress != address) continue;
      return EndpointPlace{setting->bInterfaceNumber, endpoint.bmAttributes,
                           endpointBytes(endpoint)};
    }
  }
  return std::nullopt;
}

// Device, configuration and string descriptors come from the device as it answers them; the
// interface and endpoint ones, which have no request of their own, from libusb's copy.
IoCompletion VendorDriverDevice::descriptor(const IoRequest& request) {
  if (request.inputLength != sizeof(usb::UdrvDescriptorRequest)) return IoCompletion::now(kInvalid);
  if (!request.output || request.outputLength == 0) return IoCompletion::now(kInvalid);
  const BYTE* r = request.input;
  const uint16_t length = uint16_t(std::min<DWORD>(request.outputLength, usb::kMaxControlData));
  const uint8_t get = LIBUSB_REQUEST_GET_DESCRIPTOR;
  switch (r[0]) {
    case usb::USB_DEVICE_DESCRIPTOR_TYPE:
      return transfer({0x80, get, LIBUSB_DT_DEVICE << 8, 0, length}, request);
    case usb::USB_CONFIGURATION_DESCRIPTOR_TYPE:
      return transfer({0x80, get, uint16_t(LIBUSB_DT_CONFIG << 8 | r[1]), 0, length}, request);
    case usb::USB_STRING_DESCRIPTOR_TYPE:
      return transfer(
          {0x80, get, uint16_t(LIBUSB_DT_STRING << 8 | r[3]), uint16_t(r[1] | r[2] << 8), length},
          request);
    default:
      return IoCompletion::now(cachedDescriptor(request));
  }
}

IoOutcome VendorDriverDevice::cachedDescriptor(const IoRequest& request) {
  const BYTE* r = request.input;
  if (r[0] == usb::USB_ENDPOINT_DESCRIPTOR_TYPE && r[1] == 0xFF && r[2] == 0xFF && r[3] == 0xFF) {
    std::optional<EndpointPlace> place = activeEndpoint(present_.device.get(), r[4]);
    return place ? answered(request, place->descriptor) : kInvalid;
  }
  Config config = configAt(present_.device.get(), r[1]);
  const libusb_interface_descriptor* setting = config ? settingOf(*config, r[2], r[3]) : nullptr;
  if (!setting) return kInvalid;
  if (r[0] == usb::USB_INTERFACE_DESCRIPTOR_TYPE) return answered(request, interfaceBytes(*setting));
  if (r[0] != usb::USB_ENDPOINT_DESCRIPTOR_TYPE || r[4] >= setting->bNumEndpoints) return kInvalid;
  return answered(request, endpointBytes(setting->endpoint[r[4]]));
}

// Interfaces are let go first: Linux changes the configuration of a device with none claimed.
IoOutcome VendorDriverDevice::setConfiguration(const IoRequest& request) {
  usb::UdrvConfigurationRecord record;
  if (request.inputLength != sizeof record) return kInvalid;
  std::memcpy(&record, request.input, sizeof record);
  Config config = configAt(present_.device.get(), record.configurationIndex);
  if (!config || !usb::entryCountFits(record)) return kInvalid;
  releaseAll();
  alternates_.clear();
  return {windowsErrorOf(libusb_set_configuration(handle_->get(), config->bConfigurationValue)), 0};
}

IoOutcome VendorDriverDevice::unconfigure() {
  releaseAll();
  alternates_.clear();
  return {windowsErrorOf(libusb_set_configuration(handle_->get(), -1)), 0};
}

// The alternate setting is the one last set, as Windows' USB drivers keep it, rather than asked
// of the device: GET_INTERFACE is a request many devices stall.
IoOutcome VendorDriverDevice::interfaceRequest(const IoRequest& request) {
  usb::UdrvInterfaceEntry entry;
  if (request.inputLength != sizeof entry) return kInvalid;
  std::memcpy(&entry, request.input, sizeof entry);
  Config config = configAt(present_.device.get(), -1);
  if (!config || !hasInterface(*config, entry.interfaceNumber)) return kInvalid;
  if (DWORD error = claim(entry.interfaceNumber)) return {error, 0};
  if (request.code == usb::IOCTL_UDRV_SET_INTERFACE) {
    int result = libusb_set_interface_alt_setting(handle_->get(), entry.interfaceNumber,
                                                  entry.alternateSetting);
    if (result == LIBUSB_SUCCESS) alternates_[entry.interfaceNumber] = entry.alternateSetting;
    return {windowsErrorOf(result), 0};
  }
  auto set = alternates_.find(entry.interfaceNumber);
  entry.alternateSetting = set == alternates_.end() ? 0 : set->second;
  return answered(request, std::string(reinterpret_cast<const char*>(&entry), sizeof entry));
}

IoCompletion VendorDriverDevice::featureRequest(const IoRequest& request) {
  usb::UdrvFeatureRecord record;
  if (request.inputLength != sizeof record) return IoCompletion::now(kInvalid);
  std::memcpy(&record, request.input, sizeof record);
  const uint8_t code = record.clear ? LIBUSB_REQUEST_CLEAR_FEATURE : LIBUSB_REQUEST_SET_FEATURE;
  return transfer({uint8_t(record.selector & 0x03), code, record.feature,
                   uint16_t(record.selector >> 8), 0},
                  request);
}

IoCompletion VendorDriverDevice::statusRequest(const IoRequest& request) {
  WORD selector;
  if (request.inputLength != sizeof selector || request.outputLength < 2) {
    return IoCompletion::now(kInvalid);
  }
  std::memcpy(&selector, request.input, sizeof selector);
  return transfer({uint8_t(0x80 | (selector & 0x03)), LIBUSB_REQUEST_GET_STATUS, 0,
                   uint16_t(selector >> 8), 2},
                  request);
}

}  // namespace os::linux_platform
