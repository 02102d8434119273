// Whether firmware fits a plotter: the hardware check that refuses an update, and the question
// that asks the user about one that fits but not quite.
#pragma once

#include "firmware/SendFirmwareUpdate.h"

namespace firmware {

// Classes 0 to 3 take each other's firmware; 4 and 5 only their own; the classes above 5 only
// each other's.
bool hardwareFits(int deviceClass, int firmwareClass);

// The question for firmware of another device type or manufacturer (a text with the four
// names); null when both agree.
const char* fitQuestion(const UpdateIdentity& device, const UpdateIdentity& firmware);

}  // namespace firmware
