// The machine a plotter command runs on: the simulated machine of a world when --world names a
// world file (or "default", the built-in world), the real Windows calls otherwise on Windows,
// and the built-in world on Linux, where there is no real backend; a world's local time starts
// at the host's, as on real plotters. Also fixes the edition (--edition full|update-only) and
// sets up the USB library, as a program's start does.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/cli/Arguments.h"
#include "app/cli/ExitCodes.h"
#include "os/Platform.h"
#include "sim/World.h"

namespace cli {

// The options every plotter command takes, in its option rules and its help.
inline constexpr OptionRule kWorldOption{"--world", "FILE"};
inline constexpr OptionRule kEditionOption{"--edition", "EDITION"};
// A macro, so that each command's help literal can take it in.
#define VELKORCTL_PLOTTER_OPTIONS_HELP                                                          \
  "  --world FILE       run on a simulated machine built from this world file; 'default' is\n"  \
  "                     the built-in world (velkorctl world --default shows it). Without it:\n" \
  "                     the real plotters on Windows, the built-in world on Linux\n"            \
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

 private:
  explicit PlotterMachine(std::unique_ptr<sim::World> world);

  std::unique_ptr<sim::World> world_;
  std::optional<os::ScopedPlatform> platform_;
};

}  // namespace cli
