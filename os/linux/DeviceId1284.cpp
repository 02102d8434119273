#include "os/linux/DeviceId1284.h"

#include <cctype>
#include <cstdint>
#include <cstdio>

#include "os/sim/CaseInsensitive.h"

namespace os::linux_platform {
namespace {

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

uint16_t crc16(std::string_view text) {
  uint16_t crc = 0;
  for (char c : text) {
    crc = static_cast<uint16_t>(crc ^ static_cast<unsigned char>(c));
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<uint16_t>((crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1);
    }
  }
  return crc;
}

}  // namespace

std::optional<std::string> deviceIdField(std::string_view deviceId, std::string_view longKey,
                                         std::string_view shortKey) {
  while (!deviceId.empty()) {
    const size_t end = deviceId.find(';');
    const std::string_view pair = deviceId.substr(0, end);
    deviceId = end == std::string_view::npos ? std::string_view{} : deviceId.substr(end + 1);
    const size_t colon = pair.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view key = trimmed(pair.substr(0, colon));
    if (os::sim::equalsIgnoringCase(key, longKey) || os::sim::equalsIgnoringCase(key, shortKey)) {
      return std::string(trimmed(pair.substr(colon + 1)));
    }
  }
  return std::nullopt;
}

std::string deviceIdMaker(std::string_view deviceId) {
  return deviceIdField(deviceId, "MANUFACTURER", "MFG").value_or("");
}

std::string deviceIdModel(std::string_view deviceId) {
  return deviceIdField(deviceId, "MODEL", "MDL").value_or("");
}

std::string deviceIdSerial(std::string_view deviceId) {
  if (auto serial = deviceIdField(deviceId, "SERIALNUMBER", "SERN")) return *serial;
  return deviceIdField(deviceId, "SN", "SN").value_or("");
}

std::string usbPrintNameModel(std::string_view maker, std::string_view model) {
  std::string text = std::string(maker) + std::string(model);
  for (char& c : text) {
    if (c == ' ') c = '_';
  }
  if (text.size() > 20) text.resize(20);
  return text;
}

std::string usbPrintChecksum(std::string_view maker, std::string_view model) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%04X",
                static_cast<unsigned>(crc16(std::string(maker) + std::string(model))));
  return digits;
}

std::string usbPrintModelId(std::string_view maker, std::string_view model) {
  return usbPrintNameModel(maker, model) + usbPrintChecksum(maker, model);
}

}  // namespace os::linux_platform
