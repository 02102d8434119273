#include "app/machine/ProgramMachine.h"

#include <cstdlib>

#include "os/sim/HostClock.h"
#include "plotter/PlotterLink.h"

namespace app {

std::unique_ptr<ProgramMachine> ProgramMachine::open(std::string* error) {
  return open(std::getenv(kWorldVariable), error);
}

std::unique_ptr<ProgramMachine> ProgramMachine::open(const char* worldName, std::string* error) {
  std::unique_ptr<sim::World> world;
  os::linux_platform::HostMachine host;
  if (worldName != nullptr || !os::kHasRealPlatform) {
    world = sim::World::named(worldName != nullptr ? worldName : "default", error);
    if (!world) return nullptr;
    world->machine().setRealTimePacing(true);
    world->machine().setLocalTime(os::sim::hostLocalTime());
  } else if (!os::linux_platform::openHostMachine(&host, error)) {
    return nullptr;
  }
  return std::unique_ptr<ProgramMachine>(new ProgramMachine(std::move(world), std::move(host)));
}

ProgramMachine::ProgramMachine(std::unique_ptr<sim::World> world,
                               os::linux_platform::HostMachine host)
    : world_(std::move(world)), host_(std::move(host)) {
  if (world_) platform_.emplace(world_->machine());
  if (host_.machine) platform_.emplace(*host_.machine);
}

// The plotter link holds handles of this machine: it closes before the machine goes.
ProgramMachine::~ProgramMachine() {
  plotter::closePlotterLink();
  plotter::selectLinkPlace(0);
}

void ProgramMachine::followUserTime() {
  if (host_.machine) host_.machine->catchUpWithRealTime();
  if (!world_) return;
  world_->machine().catchUpWithRealTime();
  // Nobody reads the virtual plotters' logs here; a day of use must not grow with them.
  for (const auto& plotter : world_->plotters()) plotter->clearLogs();
}

}  // namespace app
