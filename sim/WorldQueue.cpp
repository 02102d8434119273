#include "sim/WorldQueue.h"

#include "sim/WorldValues.h"

namespace sim {
namespace {

// A printer plotter for the queue's plotter entry, or the fault's text.
std::string plotterFault(const std::string& label, const PlotterLabels& plotters) {
  auto found = plotters.find(label);
  if (found == plotters.end()) return "no plotter " + shownText(label) + " in this world";
  if (found->second->identity.connection == Connection::Printer) return {};
  return "plotter " + label + " is on the driver connection; a queue needs a printer plotter";
}

std::optional<WorldFault> entryFault(const WorldEntry& entry, QueuePlan& queue,
                                     const PlotterLabels& plotters) {
  std::string what;
  if (entry.key == "port") {
    queue.port = entry.value;
  } else if (entry.key == "plotter") {
    queue.plotter = entry.value;
    what = plotterFault(entry.value, plotters);
  } else if (entry.key == "hardware-id") {
    queue.hardwareId = entry.value;
    what = keyNameFault("hardware-id", entry.value);
  } else if (entry.key == "state") {
    what = readQueueState(entry.key, entry.value, &queue.settings.state);
  } else if (entry.key == "print-delay") {
    what = readNumber(entry.key, entry.value, kMillisecondsMax, &queue.settings.printDelay);
  } else {
    what = "unknown key " + entry.key + " in a queue section";
  }
  if (what.empty()) return std::nullopt;
  return WorldFault{entry.line, what};
}

std::optional<WorldFault> queueFault(const WorldSection& section, QueuePlan& queue,
                                     const PlotterLabels& plotters) {
  if (std::string what = keyNameFault("queue name", queue.name); !what.empty()) {
    return WorldFault{section.line, what};
  }
  for (const WorldEntry& entry : section.entries) {
    if (auto fault = entryFault(entry, queue, plotters)) return fault;
  }
  const WorldEntry* port = section.find("port");
  if (!port) return WorldFault{section.line, "queue " + queue.name + " needs a port"};
  if (section.find("plotter") && section.find("hardware-id")) {
    return WorldFault{section.line,
                      "queue " + queue.name + " has a plotter or a hardware-id, not both"};
  }
  // The port ends the device's instance ID, whose last '&' comes before the port.
  const bool device = !queue.plotter.empty() || !queue.hardwareId.empty();
  if (std::string what = device ? keyNameFault("port", queue.port, "&") : std::string();
      !what.empty()) {
    return WorldFault{port->line, what + " (it names the device behind the queue)"};
  }
  return std::nullopt;
}

}  // namespace

std::optional<QueuePlan> readQueueSection(const WorldSection& section,
                                          const PlotterLabels& plotters, WorldFault* fault) {
  QueuePlan queue;
  queue.name = section.name;
  queue.line = section.line;
  if (std::optional<WorldFault> found = queueFault(section, queue, plotters)) {
    *fault = std::move(*found);
    return std::nullopt;
  }
  return queue;
}

}  // namespace sim
