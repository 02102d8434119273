#include "usb/PrintClassTransfer.h"

namespace usb {
namespace {

constexpr uint8_t kClassInterfaceIn = 0xA1;
constexpr uint8_t kVendorInterfaceIn = 0xC1;
constexpr uint8_t kVendorInterfaceOut = 0x41;
constexpr uint8_t kGetDeviceId = 0;
constexpr uint8_t kGetPortStatus = 1;
constexpr size_t kCommandBytes = 3;  // bRequest and wValue

}  // namespace

ControlSetup deviceIdSetup(uint8_t interfaceNumber, uint16_t length) {
  return {kClassInterfaceIn, kGetDeviceId, 0, uint16_t(interfaceNumber << 8), length};
}

ControlSetup portStatusSetup(uint8_t interfaceNumber) {
  return {kClassInterfaceIn, kGetPortStatus, 0, interfaceNumber, 1};
}

std::optional<VendorCommandTransfer> vendorCommandTransfer(bool get, uint8_t interfaceNumber,
                                                           std::span<const uint8_t> input,
                                                           uint32_t outputLength) {
  if (input.empty()) return std::nullopt;
  auto at = [&](size_t i) { return i < input.size() ? input[i] : uint8_t{0}; };
  std::span<const uint8_t> data =
      get || input.size() <= kCommandBytes ? std::span<const uint8_t>() : input.subspan(kCommandBytes);
  uint32_t length = get ? outputLength : uint32_t(data.size());
  if (length > kMaxControlData) return std::nullopt;
  ControlSetup setup{get ? kVendorInterfaceIn : kVendorInterfaceOut, at(0),
                     uint16_t(at(1) << 8 | at(2)), interfaceNumber, uint16_t(length)};
  return VendorCommandTransfer{setup, data};
}

std::string vendorCommandInput(const ControlSetup& setup, std::span<const uint8_t> data) {
  std::string input{char(setup.request), char(setup.value >> 8), char(setup.value & 0xFF)};
  if (!setup.deviceToHost()) input.append(data.begin(), data.end());
  return input;
}

}  // namespace usb
