// The world the programs start with when no world file is given: a handful of plotters that
// cover both connections, update mode, both command tables of the printing class, a
// parallel-port queue and an ordinary network printer.
#pragma once

namespace sim {

// The default world as world-file text (sim/WorldFile.h), commented for a technician to read
// and copy.
const char* defaultWorldText();

}  // namespace sim
