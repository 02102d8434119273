#include "os/sim/PrinterRegistryKeys.h"

#include <cstdio>

namespace os::sim {
namespace {

constexpr const char* kPrinters =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Print\\Printers";
constexpr const char* kEnum = "SYSTEM\\CurrentControlSet\\Enum\\";

bool needsHex(const std::string& text) {
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return true;
  }
  return false;
}

}  // namespace

void RegWriter::key(const std::string& path) { text_ += "\n[HKEY_LOCAL_MACHINE\\" + path + "]\n"; }

void RegWriter::text(const char* name, const std::string& value) {
  if (needsHex(value)) return hex(name, 1, value + '\0');
  text_ += "\"" + std::string(name) + "\"=\"";
  for (char c : value) {
    if (c == '\\' || c == '"') text_ += '\\';
    text_ += c;
  }
  text_ += "\"\n";
}

void RegWriter::multiText(const char* name, const std::vector<std::string>& texts) {
  std::string bytes;
  for (const std::string& each : texts) bytes += each + '\0';
  hex(name, 7, bytes + '\0');
}

void RegWriter::hex(const char* name, int type, const std::string& bytes) {
  text_ += "\"" + std::string(name) + "\"=hex(" + std::to_string(type) + "):";
  for (size_t i = 0; i < bytes.size(); ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, i == 0 ? "%02x" : ",%02x",
                  static_cast<unsigned char>(bytes[i]));
    text_ += byte;
  }
  text_ += "\n";
}

void writePrintersKey(RegWriter& reg) { reg.key(kPrinters); }

void writePrintQueue(RegWriter& reg, const std::string& queue, const std::string& port,
                     const PrinterDevice& device) {
  const std::string key = std::string(kPrinters) + "\\" + queue;
  reg.key(key);
  reg.text("Port", port);
  if (device.bus.empty()) return;
  reg.key(key + "\\PnPData");
  reg.text("DeviceInstanceID", device.instanceId);
  reg.key(kEnum + device.instanceId);
  reg.multiText("HardwareID", {device.bus + "\\" + device.model, device.model});
}

void writeUsbPrinterParent(RegWriter& reg, uint16_t vendorId, uint16_t productId,
                           const std::string& instance, const std::string& parentIdPrefix) {
  char ids[32];
  std::snprintf(ids, sizeof ids, "USB\\Vid_%04x&Pid_%04x\\", vendorId, productId);
  reg.key(kEnum + std::string(ids) + instance);
  reg.text("ParentIdPrefix", parentIdPrefix);
}

PrinterDevice usbPrinterDevice(const std::string& model, const std::string& parentIdPrefix,
                               const std::string& port) {
  return {"USBPRINT", model, "USBPRINT\\" + model + "\\" + parentIdPrefix + "&" + port};
}

std::string instancePart(const char* format, size_t index) {
  // An odd step keeps every index's number its own (modulo 2^32).
  const auto number = static_cast<uint32_t>(0x2a3b4c5du + 0x01f3a9b7u * index);
  char text[24];
  std::snprintf(text, sizeof text, format, static_cast<unsigned>(number));
  return text;
}

}  // namespace os::sim
