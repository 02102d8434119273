#include "sim/WorldFile.h"

#include <map>

#include "os/sim/CaseInsensitive.h"
#include "sim/WorldPlotter.h"
#include "sim/WorldQueue.h"
#include "sim/WorldSections.h"
#include "sim/WorldValues.h"

namespace sim {
namespace {

std::string firstAt(int line) { return " (first at line " + std::to_string(line) + ")"; }

// Reads the sections into a world, with maps of what is taken so that long files stay fast.
class WorldReader {
 public:
  std::optional<WorldFault> read(const std::vector<WorldSection>& sections) {
    for (const WorldSection& section : sections) {
      if (section.kind != "plotter") continue;
      if (auto fault = plotter(section)) return fault;
    }
    for (const PlotterPlan& plan : world_.plotters) labels_.emplace(plan.label, &plan);
    for (const WorldSection& section : sections) {
      if (section.kind != "queue") continue;
      if (auto fault = queue(section)) return fault;
    }
    return std::nullopt;
  }

  WorldPlan take() { return std::move(world_); }

 private:
  // Two plotters may not share a label, nor one USB device: vendor and product ID and an
  // instance, whose letter case device paths and registry keys ignore.
  std::optional<WorldFault> plotter(const WorldSection& section) {
    WorldFault fault;
    std::optional<PlotterPlan> plan = readPlotterSection(section, world_.plotters.size(), &fault);
    if (!plan) return fault;
    if (auto [first, fresh] = labelLines_.try_emplace(plan->label, section.line); !fresh) {
      return WorldFault{section.line, "duplicate plotter " + plan->label + firstAt(first->second)};
    }
    const PlotterIdentity& id = plan->identity;
    const std::string device = std::to_string(id.vendorId) + ":" + std::to_string(id.productId) +
                               ":" + os::sim::upperCase(id.instanceSerial);
    auto [first, fresh] = devices_.try_emplace(device, world_.plotters.size());
    if (!fresh) {
      const PlotterPlan& other = world_.plotters[first->second];
      const WorldEntry* instance = section.find("instance");
      return WorldFault{instance ? instance->line : section.line,
                        "instance " + shownText(id.instanceSerial) +
                            " is already that of plotter " + other.label +
                            " of the same vendor and product ID" + firstAt(other.line)};
    }
    world_.plotters.push_back(std::move(*plan));
    return std::nullopt;
  }

  // Queue names are registry key names: letter case does not tell two apart.
  std::optional<WorldFault> queue(const WorldSection& section) {
    WorldFault fault;
    std::optional<QueuePlan> plan = readQueueSection(section, labels_, &fault);
    if (!plan) return fault;
    auto [first, fresh] = queueLines_.try_emplace(os::sim::upperCase(plan->name), section.line);
    if (!fresh) {
      return WorldFault{section.line, "duplicate queue " + plan->name + firstAt(first->second)};
    }
    world_.queues.push_back(std::move(*plan));
    return std::nullopt;
  }

  WorldPlan world_;
  std::map<std::string, int> labelLines_;
  std::map<std::string, size_t> devices_;  // "vendor:product:INSTANCE" to the plotter's place
  PlotterLabels labels_;
  std::map<std::string, int> queueLines_;  // upper-cased
};

}  // namespace

std::optional<WorldPlan> parseWorldFile(std::string_view text, std::string_view fileName,
                                        std::string* error) {
  WorldFault fault;
  std::optional<std::vector<WorldSection>> sections = readWorldSections(text, &fault);
  WorldReader reader;
  std::optional<WorldFault> found = sections ? reader.read(*sections) : fault;
  if (!found) return reader.take();
  *error = std::string(fileName) + ":" + std::to_string(found->line) + ": " + found->what;
  return std::nullopt;
}

}  // namespace sim
