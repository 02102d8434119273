// The simulated machine reads no program file, so a program or test running on it gives the
// machine the USB library's status texts as its string resources.
#pragma once

namespace os::sim {
class SimMachine;
}

namespace sim {

void registerUsbStatusTexts(os::sim::SimMachine& machine);

}  // namespace sim
