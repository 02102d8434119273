#include "sim/UsbDescriptors.h"

#include <cstring>
#include <string>

#include "sim/VirtualPlotter.h"
#include "usb/UsbDriver.h"

namespace sim {
namespace {

template <typename Record>
void append(Bytes& bytes, const Record& record) {
  const size_t at = bytes.size();
  bytes.resize(at + sizeof record);
  std::memcpy(bytes.data() + at, &record, sizeof record);
}

template <typename Record>
Bytes asBytes(const Record& record) {
  const BYTE* raw = reinterpret_cast<const BYTE*>(&record);
  return Bytes(raw, raw + sizeof record);
}

usb::UsbInterfaceDescriptor interfaceRecord(const InterfaceSetup& setup, BYTE number) {
  return {sizeof(usb::UsbInterfaceDescriptor), usb::USB_INTERFACE_DESCRIPTOR_TYPE, number, 0,
          BYTE(setup.endpoints.size()), setup.interfaceClass, setup.interfaceSubClass,
          setup.interfaceProtocol, 0};
}

usb::UsbEndpointDescriptor endpointRecord(const EndpointSetup& setup) {
  return {sizeof(usb::UsbEndpointDescriptor), usb::USB_ENDPOINT_DESCRIPTOR_TYPE, setup.address,
          setup.attributes, setup.maxPacketSize, setup.interval};
}

const InterfaceSetup* findInterface(const PlotterIdentity& identity, BYTE index, BYTE alternate) {
  if (alternate != 0 || index >= identity.interfaces.size()) return nullptr;
  return &identity.interfaces[index];
}

Bytes stringRecord(const std::string& text) {
  Bytes bytes{BYTE(2 + 2 * text.size()), usb::USB_STRING_DESCRIPTOR_TYPE};
  for (char c : text) bytes.insert(bytes.end(), {BYTE(c), 0});
  return bytes;
}

}  // namespace

Bytes deviceDescriptor(const PlotterIdentity& identity) {
  usb::UsbDeviceDescriptor record{sizeof(usb::UsbDeviceDescriptor),
                                  usb::USB_DEVICE_DESCRIPTOR_TYPE,
                                  0x0200, 0, 0, 0, 64,
                                  identity.vendorId, identity.productId, 0x0100, 1, 2, 3, 1};
  return asBytes(record);
}

Bytes configurationDescriptor(const PlotterIdentity& identity) {
  Bytes bytes(sizeof(usb::UsbConfigurationDescriptor));  // its head, written once the size is known
  for (size_t i = 0; i < identity.interfaces.size(); ++i) {
    append(bytes, interfaceRecord(identity.interfaces[i], BYTE(i)));
    for (const EndpointSetup& endpoint : identity.interfaces[i].endpoints) {
      append(bytes, endpointRecord(endpoint));
    }
  }
  usb::UsbConfigurationDescriptor head{sizeof(usb::UsbConfigurationDescriptor),
                                       usb::USB_CONFIGURATION_DESCRIPTOR_TYPE,
                                       WORD(bytes.size()), BYTE(identity.interfaces.size()),
                                       kConfigurationValue, 0, 0xC0, 50};
  std::memcpy(bytes.data(), &head, sizeof head);
  return bytes;
}

std::optional<Bytes> interfaceDescriptor(const PlotterIdentity& identity, BYTE interfaceIndex,
                                         BYTE alternateSetting) {
  const InterfaceSetup* setup = findInterface(identity, interfaceIndex, alternateSetting);
  if (!setup) return std::nullopt;
  return asBytes(interfaceRecord(*setup, interfaceIndex));
}

std::optional<Bytes> endpointDescriptor(const PlotterIdentity& identity, BYTE interfaceIndex,
                                        BYTE alternateSetting, BYTE endpointIndex) {
  const InterfaceSetup* setup = findInterface(identity, interfaceIndex, alternateSetting);
  if (!setup || endpointIndex >= setup->endpoints.size()) return std::nullopt;
  return asBytes(endpointRecord(setup->endpoints[endpointIndex]));
}

const EndpointSetup* findEndpoint(const PlotterIdentity& identity, BYTE address) {
  for (const InterfaceSetup& setup : identity.interfaces) {
    for (const EndpointSetup& endpoint : setup.endpoints) {
      if (endpoint.address == address) return &endpoint;
    }
  }
  return nullptr;
}

std::optional<Bytes> endpointDescriptorAt(const PlotterIdentity& identity, BYTE address) {
  const EndpointSetup* endpoint = findEndpoint(identity, address);
  if (!endpoint) return std::nullopt;
  return asBytes(endpointRecord(*endpoint));
}

std::optional<Bytes> stringDescriptor(const PlotterIdentity& identity, BYTE index) {
  switch (index) {
    case 0: return Bytes{4, usb::USB_STRING_DESCRIPTOR_TYPE, 0x09, 0x04};
    case 1: return stringRecord("Velkor test devices");
    case 2: return stringRecord("Virtual plotter");
    case 3: return stringRecord(identity.instanceSerial);
    default: return std::nullopt;
  }
}

}  // namespace sim
