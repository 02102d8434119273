// Who is who in an update: the plotter as it stands and the firmware in the file, each as an
// identity code with its device type, manufacturer code, hardware class and line names.
#pragma once

#include <cstdint>
#include <optional>

#include "firmware/SendFirmwareUpdate.h"

namespace firmware {

// Manufacturer codes the plotter's identity is corrected to or by.
inline constexpr int kLindqvarCode = 0x4C;  // 'L'
inline constexpr int kSelvaraCode = 0x6C;   // 'l': Lindqvar's Selvara line
inline constexpr int kMoravelCode = 0x4D;   // 'M'

// The firmware in a file with that identity code.
UpdateIdentity firmwareIdentity(uint16_t code);

// A plotter on the vendor driver tells nothing but its boot program: boot number 1, 2 or 3
// gives device type 1, 4 or 5 of manufacturer 0. Nothing for any other boot number.
std::optional<UpdateIdentity> driverDeviceIdentity(long bootNumber);

// A plotter on the printing class: its model row's product ID, corrected by what the plotter
// showed, since one model row stands for lines that the boot program and the firmware text
// tell apart.
UpdateIdentity printerDeviceIdentity(uint16_t productId, const UpdateTarget& target);

}  // namespace firmware
