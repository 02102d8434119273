#include "sim/WorldRegistry.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <vector>

namespace sim {
namespace {

constexpr const char* kPrinters =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Print\\Printers";
constexpr const char* kEnum = "SYSTEM\\CurrentControlSet\\Enum\\";

std::string instancePart(const char* format, size_t index) {
  // An odd step keeps every index's number its own (modulo 2^32).
  const auto number = static_cast<uint32_t>(0x2a3b4c5du + 0x01f3a9b7u * index);
  char text[24];
  std::snprintf(text, sizeof text, format, static_cast<unsigned>(number));
  return text;
}

bool needsHex(const std::string& text) {
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return true;
  }
  return false;
}

class RegWriter {
 public:
  void key(const std::string& path) { text_ += "\n[HKEY_LOCAL_MACHINE\\" + path + "]\n"; }

  // A REG_SZ value: quoted with \\ and \" escapes, or hex(1) bytes with the terminator.
  void text(const char* name, const std::string& value) {
    if (needsHex(value)) return hex(name, 1, value + '\0');
    text_ += "\"" + std::string(name) + "\"=\"";
    for (char c : value) {
      if (c == '\\' || c == '"') text_ += '\\';
      text_ += c;
    }
    text_ += "\"\n";
  }

  // A REG_MULTI_SZ value: each text with its terminator, and one more after the last.
  void multiText(const char* name, const std::vector<std::string>& texts) {
    std::string bytes;
    for (const std::string& text : texts) bytes += text + '\0';
    hex(name, 7, bytes + '\0');
  }

  std::string take() { return std::move(text_); }

 private:
  void hex(const char* name, int type, const std::string& bytes) {
    text_ += "\"" + std::string(name) + "\"=hex(" + std::to_string(type) + "):";
    for (size_t i = 0; i < bytes.size(); ++i) {
      char byte[4];
      std::snprintf(byte, sizeof byte, i == 0 ? "%02x" : ",%02x",
                    static_cast<unsigned char>(bytes[i]));
      text_ += byte;
    }
    text_ += "\n";
  }

  std::string text_ = "REGEDIT4\n";
};

// The world's plotters by label, to their places.
using PlotterPlaces = std::map<std::string, size_t>;

struct QueueDevice {
  std::string bus;  // empty: the queue has no device
  std::string model;
  std::string instanceId;
};

// The device behind the queue at this place.
QueueDevice queueDevice(const WorldPlan& world, const PlotterPlaces& places, size_t index) {
  const QueuePlan& queue = world.queues[index];
  if (!queue.plotter.empty()) {
    const size_t plotter = places.at(queue.plotter);
    const std::string& model = world.plotters[plotter].model;
    return {"USBPRINT", model,
            "USBPRINT\\" + model + "\\" + parentIdPrefix(plotter) + "&" + queue.port};
  }
  if (queue.hardwareId.empty()) return {};
  // A device of no world plotter gets a prefix that no USB device of the world has.
  const bool parallel = queue.port.compare(0, 3, "LPT") == 0;
  const std::string bus = parallel ? "LPTENUM" : "USBPRINT";
  const std::string prefix = instancePart(parallel ? "4&%08x&0" : "6&%08x&0", index);
  return {bus, queue.hardwareId, bus + "\\" + queue.hardwareId + "\\" + prefix + "&" + queue.port};
}

void writeQueue(RegWriter& reg, const WorldPlan& world, const PlotterPlaces& places, size_t index) {
  const std::string key = std::string(kPrinters) + "\\" + world.queues[index].name;
  reg.key(key);
  reg.text("Port", world.queues[index].port);
  const QueueDevice device = queueDevice(world, places, index);
  if (device.bus.empty()) return;
  reg.key(key + "\\PnPData");
  reg.text("DeviceInstanceID", device.instanceId);
  reg.key(kEnum + device.instanceId);
  reg.multiText("HardwareID", {device.bus + "\\" + device.model, device.model});
}

void writeUsbDevice(RegWriter& reg, const PlotterPlan& plotter, size_t index) {
  char ids[32];
  std::snprintf(ids, sizeof ids, "USB\\Vid_%04x&Pid_%04x\\", plotter.identity.vendorId,
                plotter.identity.productId);
  reg.key(kEnum + std::string(ids) + plotter.identity.instanceSerial);
  reg.text("ParentIdPrefix", parentIdPrefix(index));
}

}  // namespace

std::string parentIdPrefix(size_t plotterIndex) { return instancePart("7&%08x&0", plotterIndex); }

std::string worldRegistryText(const WorldPlan& world) {
  PlotterPlaces places;
  for (size_t i = 0; i < world.plotters.size(); ++i) places.emplace(world.plotters[i].label, i);
  RegWriter reg;
  reg.key(kPrinters);
  for (size_t i = 0; i < world.queues.size(); ++i) writeQueue(reg, world, places, i);
  for (size_t i = 0; i < world.plotters.size(); ++i) {
    if (world.plotters[i].identity.connection == Connection::Printer) {
      writeUsbDevice(reg, world.plotters[i], i);
    }
  }
  return reg.take();
}

}  // namespace sim
