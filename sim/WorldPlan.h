// What a world file describes: its virtual plotters with their settings, and its print queues,
// both in file order. A world file's parser (sim/WorldFile.h) fills it; a World
// (sim/World.h) builds the machine from it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "os/sim/PrintJob.h"
#include "os/sim/SimDevice.h"
#include "sim/VirtualPlotter.h"

namespace sim {

struct PlotterPlan {
  std::string label;  // names it in faults and reports
  int line = 0;       // of its section header
  PlotterIdentity identity;
  PlotterState state;
  Misbehaviour misbehaviour;
  // Printer: the hardware-ID text of its printer device, as written (letter case kept).
  std::string model;
  // How long after an update shut it off it is back; nullopt: it stays off.
  std::optional<os::sim::Tick> powerOnAfter = 20000;
};

struct QueuePlan {
  std::string name;
  int line = 0;  // of its section header
  std::string port;
  std::string plotter;              // the label of the printer plotter behind it; empty: none
  std::string hardwareId;           // of a device that is no world plotter; empty: none
  os::sim::QueueSettings settings;  // its state and print delay
};

struct WorldPlan {
  std::vector<PlotterPlan> plotters;
  std::vector<QueuePlan> queues;
};

}  // namespace sim
