#include "sim/WorldFile.h"

#include "os/sim/CaseInsensitive.h"
#include "sim/WorldPlotter.h"
#include "sim/WorldQueue.h"
#include "sim/WorldSections.h"
#include "sim/WorldValues.h"

namespace sim {
namespace {

using os::sim::equalsIgnoringCase;

std::string firstAt(int line) { return " (first at line " + std::to_string(line) + ")"; }

// Two plotters may not share a label, nor one USB device (vendor and product ID and instance,
// whose letter case the system ignores in device paths and registry keys).
std::optional<WorldFault> clashFault(const WorldSection& section, const PlotterSpec& plotter,
                                     const std::vector<PlotterSpec>& earlier) {
  for (const PlotterSpec& other : earlier) {
    if (other.label == plotter.label) {
      return WorldFault{section.line, "duplicate plotter " + plotter.label + firstAt(other.line)};
    }
    if (other.identity.vendorId == plotter.identity.vendorId &&
        other.identity.productId == plotter.identity.productId &&
        equalsIgnoringCase(other.identity.instanceSerial, plotter.identity.instanceSerial)) {
      const WorldEntry* instance = section.find("instance");
      return WorldFault{instance ? instance->line : section.line,
                        "instance " + shownText(plotter.identity.instanceSerial) +
                            " is already that of plotter " + other.label + " of the same " +
                            "vendor and product ID" + firstAt(other.line)};
    }
  }
  return std::nullopt;
}

std::optional<WorldFault> readPlotters(const std::vector<WorldSection>& sections,
                                       WorldSpec& world) {
  for (const WorldSection& section : sections) {
    if (section.kind != "plotter") continue;
    WorldFault fault;
    std::optional<PlotterSpec> plotter = readPlotterSection(section, world.plotters.size(), &fault);
    if (!plotter) return fault;
    if (auto clash = clashFault(section, *plotter, world.plotters)) return clash;
    world.plotters.push_back(std::move(*plotter));
  }
  return std::nullopt;
}

// Queue names are registry key names: letter case does not tell two apart.
std::optional<WorldFault> readQueues(const std::vector<WorldSection>& sections, WorldSpec& world) {
  for (const WorldSection& section : sections) {
    if (section.kind != "queue") continue;
    WorldFault fault;
    std::optional<QueueSpec> queue = readQueueSection(section, world.plotters, &fault);
    if (!queue) return fault;
    for (const QueueSpec& other : world.queues) {
      if (equalsIgnoringCase(other.name, queue->name)) {
        return WorldFault{section.line, "duplicate queue " + queue->name + firstAt(other.line)};
      }
    }
    world.queues.push_back(std::move(*queue));
  }
  return std::nullopt;
}

}  // namespace

std::optional<WorldSpec> parseWorldFile(std::string_view text, std::string_view fileName,
                                        std::string* error) {
  WorldFault fault;
  std::optional<std::vector<WorldSection>> sections = readWorldSections(text, &fault);
  WorldSpec world;
  std::optional<WorldFault> found;
  if (!sections) {
    found = fault;
  } else if (!(found = readPlotters(*sections, world))) {
    found = readQueues(*sections, world);
  }
  if (!found) return world;
  *error = std::string(fileName) + ":" + std::to_string(found->line) + ": " + found->what;
  return std::nullopt;
}

}  // namespace sim
