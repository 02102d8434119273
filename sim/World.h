// A world: a simulated machine with the virtual plotters, print queues and registry that a
// world file describes (sim/WorldFile.h).
//
//   std::string error;
//   std::unique_ptr<sim::World> world = sim::World::load("lab.world", &error);
//   if (!world) { report(error); return; }
//   os::ScopedPlatform platform(world->machine());
//   ... the system runs against the world's plotters ...
//
// Plotters are plugged in in file order, so they appear in the device lists in that order; a
// printer plotter serves the port of every queue that names it. A plotter that an update shut
// off comes back power-on-after milliseconds later, or stays off when that is never.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "os/sim/SimMachine.h"
#include "sim/VirtualPlotter.h"
#include "sim/WorldPlan.h"

namespace sim {

class World {
 public:
  // The world in the file at path, or null with *error saying "path: cannot open: reason" or
  // where the file is wrong; *unreadable (when given) tells the first from the second.
  static std::unique_ptr<World> load(const std::string& path, std::string* error,
                                     bool* unreadable = nullptr);
  // The world the text describes; name stands for the file in faults.
  static std::unique_ptr<World> fromText(std::string_view text, std::string_view name,
                                         std::string* error);

  // The world a name stands for: "default" the built-in world, anything else a world file.
  static std::unique_ptr<World> named(const std::string& name, std::string* error,
                                      bool* unreadable = nullptr);

  ~World();
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  os::sim::SimMachine& machine() { return *machine_; }
  const WorldPlan& plan() const { return plan_; }
  // The plotter with this label, or null.
  VirtualPlotter* plotter(std::string_view label);
  // All plotters, in file order (the order of plan().plotters).
  const std::vector<std::unique_ptr<VirtualPlotter>>& plotters() const { return plotters_; }

 private:
  explicit World(WorldPlan plan);
  bool build(std::string* error);
  void plugIn(const PlotterPlan& plan);
  // Each queue with its state and print delay, and the plotter behind it serving its port.
  void setUpQueues();

  WorldPlan plan_;
  // Declared before the plotters, so that it outlives them.
  std::unique_ptr<os::sim::SimMachine> machine_;
  std::vector<std::unique_ptr<VirtualPlotter>> plotters_;
};

}  // namespace sim
