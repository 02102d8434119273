// The machine a plotter command runs on: the simulated machine of a world when --world (or else
// the environment variable VELKOR_WORLD) names a world file (or "default", the built-in world);
// otherwise the real plotters: the real Windows calls on Windows, the real Linux machine on Linux
// built with libusb and CUPS, and the built-in world where there is no real backend. A world's
// local time starts at the host's, as on real plotters. Also fixes the edition (--edition
// full|update-only) and sets up the USB library, as a program's start does.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/cli/Arguments.h"
#include "app/cli/ExitCodes.h"
#include "os/Platform.h"
#include "os/linux/HostMachine.h"
#include "sim/World.h"

namespace cli {

// The options every plotter command takes, in its option rules and its help.
inline constexpr OptionRule kWorldOption{"--world", "FILE"};
inline constexpr OptionRule kEditionOption{"--edition", "EDITION"};
// A macro, so that each command's help literal can take it in.
#define VELKORCTL_PLOTTER_OPTIONS_HELP                                                          \
  "  --world FILE       run on a simulated machine built from this world file; 'default' is\n"  \
  "                     the built-in world (velkorctl world --default shows it). Without it:\n" \
  "                     the world VELKOR_WORLD names, else the real plotters (on Linux when\n"  \
  "                     built with libusb and CUPS; otherwise the built-in world)\n"           \
  "  --edition EDITION  full (the default) or update-only: the program whose rules apply\n"

class PlotterMachine {
 public:
  // Null with *code and *error saying why (a world file that does not open or is wrong, an
  // edition that does not exist).
  static std::unique_ptr<PlotterMachine> open(const Arguments& args, ExitCode* code,
                                              std::string* error);
  ~PlotterMachine();
  PlotterMachine(const PlotterMachine&) = delete;
  PlotterMachine& operator=(const PlotterMachine&) = delete;

  // The world the command runs on; null on the real platform.
  sim::World* world() { return world_.get(); }
  // On the real Linux machine: devices of the plotters' vendor this user may not open.
  int devicesNotOpenable() const { return host_.devicesNotOpenable; }
  // False when the real machine's print service (CUPS) did not answer: no queue was read.
  bool printServiceAnswered() const { return host_.printServiceAnswered; }

 private:
  PlotterMachine(std::unique_ptr<sim::World> world, os::linux_platform::HostMachine host);

  std::unique_ptr<sim::World> world_;
  os::linux_platform::HostMachine host_;
  std::optional<os::ScopedPlatform> platform_;
};

}  // namespace cli
