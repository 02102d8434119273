#include "sim/WorldRegistry.h"

#include <map>

#include "os/sim/PrinterRegistryKeys.h"

namespace sim {
namespace {

using os::sim::PrinterDevice;
using os::sim::RegWriter;

// The world's plotters by label, to their places.
using PlotterPlaces = std::map<std::string, size_t>;

// The device behind the queue at this place.
PrinterDevice queueDevice(const WorldPlan& world, const PlotterPlaces& places, size_t index) {
  const QueuePlan& queue = world.queues[index];
  if (!queue.plotter.empty()) {
    const size_t plotter = places.at(queue.plotter);
    const std::string& model = world.plotters[plotter].model;
    return os::sim::usbPrinterDevice(model, parentIdPrefix(plotter), queue.port);
  }
  if (queue.hardwareId.empty()) return {};
  // A device of no world plotter gets a prefix that no USB device of the world has.
  const bool parallel = queue.port.compare(0, 3, "LPT") == 0;
  const std::string bus = parallel ? "LPTENUM" : "USBPRINT";
  const std::string prefix = os::sim::instancePart(parallel ? "4&%08x&0" : "6&%08x&0", index);
  return {bus, queue.hardwareId, bus + "\\" + queue.hardwareId + "\\" + prefix + "&" + queue.port};
}

void writeQueue(RegWriter& reg, const WorldPlan& world, const PlotterPlaces& places, size_t index) {
  const QueuePlan& queue = world.queues[index];
  os::sim::writePrintQueue(reg, queue.name, queue.port, queueDevice(world, places, index));
}

void writeUsbDevice(RegWriter& reg, const PlotterPlan& plotter, size_t index) {
  os::sim::writeUsbPrinterParent(reg, plotter.identity.vendorId, plotter.identity.productId,
                                 plotter.identity.instanceSerial, parentIdPrefix(index));
}

}  // namespace

std::string parentIdPrefix(size_t plotterIndex) {
  return os::sim::instancePart("7&%08x&0", plotterIndex);
}

std::string worldRegistryText(const WorldPlan& world) {
  PlotterPlaces places;
  for (size_t i = 0; i < world.plotters.size(); ++i) places.emplace(world.plotters[i].label, i);
  RegWriter reg;
  os::sim::writePrintersKey(reg);
  for (size_t i = 0; i < world.queues.size(); ++i) writeQueue(reg, world, places, i);
  for (size_t i = 0; i < world.plotters.size(); ++i) {
    if (world.plotters[i].identity.connection == Connection::Printer) {
      writeUsbDevice(reg, world.plotters[i], i);
    }
  }
  return reg.take();
}

}  // namespace sim
