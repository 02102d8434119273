// The machine a dialog program runs on. With the environment variable VELKOR_WORLD naming a
// world file (or "default", the built-in world), the simulated machine of that world, its clock
// paced to real time so that the dialog's waits and a plotter's power-on take the time a user
// sees, and its local time starting at the host's, so that the dates shown are today's; without
// it, the real plotters: the real Windows calls on Windows, the real Linux machine on Linux built
// with libusb and CUPS, and the built-in world elsewhere, where there is no real backend. The program's command line stays as the system defines it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "os/Platform.h"
#include "os/linux/HostMachine.h"
#include "sim/World.h"

namespace app {

inline constexpr const char kWorldVariable[] = "VELKOR_WORLD";

class ProgramMachine {
 public:
  // Null with *error saying why when the world named cannot be had.
  static std::unique_ptr<ProgramMachine> open(std::string* error);
  // The same, for a world named here rather than by the environment (null: the real platform).
  static std::unique_ptr<ProgramMachine> open(const char* worldName, std::string* error);
  ~ProgramMachine();
  ProgramMachine(const ProgramMachine&) = delete;
  ProgramMachine& operator=(const ProgramMachine&) = delete;

  // Before each thing the user does: the simulated clock catches up with the time that passed
  // while the dialog waited for the user, so that what was due meanwhile (a plotter switching
  // itself on again) has happened. Nothing on the real platform.
  void followUserTime();
  // The world the program runs on; null on the real platform.
  sim::World* world() { return world_.get(); }

 private:
  ProgramMachine(std::unique_ptr<sim::World> world, os::linux_platform::HostMachine host);

  std::unique_ptr<sim::World> world_;
  os::linux_platform::HostMachine host_;
  std::optional<os::ScopedPlatform> platform_;
};

}  // namespace app
