#include "plotter/PlotterLinkState.h"

namespace plotter {

PlotterLinkState& plotterLinkState() {
  // Never destroyed: the link is closed by the program (or a test) while the platform it talks
  // to still exists, never by the exit sequence.
  static PlotterLinkState& state = *new PlotterLinkState;
  return state;
}

}  // namespace plotter
