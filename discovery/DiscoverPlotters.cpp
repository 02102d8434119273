#include "discovery/DiscoverPlotters.h"

#include "discovery/PlotterRecord.h"

namespace discovery {

int16_t discoverPlotters(DiscoveryNotes* notes) {
  plotterList().count = 0;
  scanDriverPlotters(notes);
  scanPrintQueues(notes);
  return plotterList().count;
}

}  // namespace discovery
