// The registry a world puts on its machine, as discovery reads it (all below
// HKEY_LOCAL_MACHINE):
//
//   SOFTWARE\Microsoft\Windows NT\CurrentVersion\Print\Printers\Q          "Port"
//   ...\Printers\Q\PnPData            "DeviceInstanceID" (a queue with a device)
//   SYSTEM\CurrentControlSet\Enum\<device instance ID>   "HardwareID" (multi-string)
//   SYSTEM\CurrentControlSet\Enum\USB\Vid_xxxx&Pid_xxxx\<instance>   "ParentIdPrefix"
//
// A printer plotter's printer device is USBPRINT\<model>\<its ParentIdPrefix>&<port>, one for
// each port it is served on; a hardware-id queue's device is LPTENUM\<hardware-id>\...&<port>
// on a parallel port and USBPRINT\<hardware-id>\...&<port> (no USB device carries it) on any
// other.
#pragma once

#include <cstddef>
#include <string>

#include "sim/WorldPlan.h"

namespace sim {

// .reg text (REGEDIT4) with all of it. Texts that hold control characters are written as hex
// so that every name and value reads back as it stands.
std::string worldRegistryText(const WorldPlan& world);

// The ParentIdPrefix of the plotter at this place in the world, "7&xxxxxxxx&0": stable and
// different for every plotter.
std::string parentIdPrefix(size_t plotterIndex);

}  // namespace sim
