// Hardware classes: device types whose firmware can stand in for each other share a class.
#pragma once

namespace firmware {

// Device types 0 to 11 have their class in the table.
inline constexpr int kClassTableSize = 12;

// The hardware class of a device type (0-15). Types 12 to 15 lie beyond the table of twelve;
// each is a class of its own, like the other types above 5 that have no sibling.
int hardwareClass(int deviceType);

}  // namespace firmware
