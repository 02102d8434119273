// A world file's [queue NAME] section: one print queue, its port and the device behind it.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "sim/WorldSections.h"
#include "sim/WorldPlan.h"

namespace sim {

// The world's plotters by label.
using PlotterLabels = std::map<std::string, const PlotterPlan*>;

// The queue the section describes. Its plotter must be one of plotters on the printer
// connection; a queue has a plotter or a hardware-id or neither, and always a port.
std::optional<QueuePlan> readQueueSection(const WorldSection& section,
                                          const PlotterLabels& plotters, WorldFault* fault);

}  // namespace sim
