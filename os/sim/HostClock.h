// The host's own clock, which a simulated machine's local time may start from: a program on a
// world shows the dates its user lives in, as it would on real plotters.
#pragma once

#include "os/sim/VirtualClock.h"

namespace os::sim {

// The host's local time now, in its time zone.
LocalTime hostLocalTime();

}  // namespace os::sim
