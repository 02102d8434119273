#include "app/cli/PlotterMachine.h"

#include <cstdlib>

#include "discovery/Edition.h"
#include "os/sim/HostClock.h"
#include "plotter/PlotterLink.h"
#include "usb/UsbApi.h"

namespace cli {
namespace {

std::optional<discovery::Edition> editionNamed(const std::string& name) {
  if (name == "full") return discovery::Edition::Full;
  if (name == "update-only") return discovery::Edition::UpdateOnly;
  return std::nullopt;
}

// The world the options name; null with *error when it cannot be had.
std::unique_ptr<sim::World> worldNamed(const std::string& name, ExitCode* code,
                                       std::string* error) {
  bool unreadable = false;
  std::unique_ptr<sim::World> world = sim::World::named(name, error, &unreadable);
  // A world file that is there but wrong is a failure; one that does not open, a file error.
  if (!world) *code = unreadable ? kExitFileError : kExitFailed;
  return world;
}

// The world --world names, else VELKOR_WORLD; none (the real plotters) where the build reaches
// them and neither names one, else the built-in world.
std::optional<std::string> worldChosen(const Arguments& args) {
  if (args.has("--world")) return args.value("--world");
  if (const char* variable = std::getenv("VELKOR_WORLD")) return std::string(variable);
  if (!os::kHasRealPlatform) return std::string("default");
  return std::nullopt;
}

}  // namespace

std::unique_ptr<PlotterMachine> PlotterMachine::open(const Arguments& args, ExitCode* code,
                                                     std::string* error) {
  const std::string edition = args.has("--edition") ? args.value("--edition") : "full";
  std::optional<discovery::Edition> chosen = editionNamed(edition);
  if (!chosen) {
    *code = kExitUsage;
    *error = "unknown edition '" + edition + "' (full or update-only)";
    return nullptr;
  }
  std::unique_ptr<sim::World> world;
  os::linux_platform::HostMachine host;
  if (std::optional<std::string> name = worldChosen(args)) {
    world = worldNamed(*name, code, error);
    if (!world) return nullptr;
    world->machine().setLocalTime(os::sim::hostLocalTime());
  } else if (!os::linux_platform::openHostMachine(&host, error)) {
    *code = kExitFailed;
    return nullptr;
  }
  discovery::setEdition(*chosen);
  return std::unique_ptr<PlotterMachine>(new PlotterMachine(std::move(world), std::move(host)));
}

PlotterMachine::PlotterMachine(std::unique_ptr<sim::World> world,
                               os::linux_platform::HostMachine host)
    : world_(std::move(world)), host_(std::move(host)) {
  if (world_) platform_.emplace(world_->machine());
  if (host_.machine) platform_.emplace(*host_.machine);
  usb::initUsbLibrary();
}

// The plotter link holds handles of this machine: it closes before the machine goes.
PlotterMachine::~PlotterMachine() {
  plotter::closePlotterLink();
  plotter::selectLinkPlace(0);
}

}  // namespace cli
