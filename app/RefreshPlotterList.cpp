#include "app/RefreshPlotterList.h"

#include "discovery/DiscoverPlotters.h"
#include "discovery/PlotterRecord.h"
#include "prompt/Progress.h"

namespace app {

int keptSelection(int selected, int count) {
  if (count <= 0) return -1;
  return selected < 0 || selected >= count ? 0 : selected;
}

PlotterInfo refreshPlotterList() {
  prompt::reportStep(prompt::Step::LookingForPlotters);
  const int count = discovery::discoverPlotters();
  discovery::PlotterList& list = discovery::plotterList();
  list.selected = static_cast<int16_t>(keptSelection(list.selected, count));
  return fillPlotterInfo(list.selected);
}

}  // namespace app
