// A world file's [plotter LABEL] section: its keys as the settings of one virtual plotter.
// Keys not given keep the defaults of PlotterIdentity, PlotterState and Misbehaviour, except
// that a world plotter ends its replies with nothing the world does not write, its instance is
// VK0000001, VK0000002, ... by its place in the file, and a printer's USB identifiers are those
// of the model-table row its model names.
#pragma once

#include <cstddef>
#include <optional>

#include "sim/WorldSections.h"
#include "sim/WorldPlan.h"

namespace sim {

// The plotter the section describes; index is its place among the file's plotters. A key that
// is unknown, has a bad value or does not apply to the plotter's connection is a fault.
std::optional<PlotterPlan> readPlotterSection(const WorldSection& section, size_t index,
                                              WorldFault* fault);

}  // namespace sim
