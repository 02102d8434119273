// The machine of the host, for a program that runs on no world: on Linux built with libusb and
// CUPS, the real Linux machine (LinuxMachine.h); on Windows none, for the host's own calls are the
// default platform there. The one place that knows whether the Linux platform is built.
#pragma once

#include <memory>
#include <string>

#include "os/sim/SimMachine.h"
#if VELKOR_HAS_LINUX_DEVICES
#include "os/linux/LinuxMachine.h"
#endif

namespace os::linux_platform {

struct HostMachine {
  std::unique_ptr<sim::SimMachine> machine;  // null: the default platform is the host's
  int devicesNotOpenable = 0;  // devices of the plotters' vendor this user may not open
  bool printServiceAnswered = true;  // false: no CUPS scheduler answered
};

// False with *error when the host's machine cannot be had.
inline bool openHostMachine(HostMachine* host, std::string* error) {
#if VELKOR_HAS_LINUX_DEVICES
  std::unique_ptr<LinuxMachine> machine = LinuxMachine::open(error);
  if (!machine) return false;
  host->devicesNotOpenable = machine->devicesNotOpenable();
  host->printServiceAnswered = machine->printServiceAnswered();
  host->machine = std::move(machine);
#else
  (void)host;
  (void)error;
#endif
  return true;
}

}  // namespace os::linux_platform
