// Discovery: rebuilds the plotter list from the vendor-driver plotters and the print queues.
// It reports no errors (what cannot be identified is not listed); a caller that wants to say
// why a list came out empty, or why a plotter is missing from it, may pass notes, which tell
// what the walks saw.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plotter/DeviceNotOpened.h"

namespace discovery {

struct DiscoveryNotes {
  int driverPlotters = 0;      // vendor-driver devices with the legacy identifiers
  // Vendor-driver devices that are listed but did not open; the walk went on past them.
  std::vector<plotter::DeviceNotOpened> devicesNotOpened;
  int queues = 0;              // print queues walked
  int queuesOfKnownModel = 0;  // of those, with a printer device the model table knows
  // Of those, the ones on a USB port whose plotter did not answer, by name.
  std::vector<std::string> queuesNotAnswering;
};

// Empties the plotter list, appends the vendor-driver plotters and then the print-queue
// plotters, and returns the new plotter count.
int16_t discoverPlotters(DiscoveryNotes* notes = nullptr);

// The two walks, each appending to the plotter list; both stop when it is full.
void scanDriverPlotters(DiscoveryNotes* notes = nullptr);
void scanPrintQueues(DiscoveryNotes* notes = nullptr);

}  // namespace discovery
