// "Refresh plotter info": the plotter list found anew, a selection that still points at a
// plotter, and that plotter's information fields.
#pragma once

#include "app/PlotterInfo.h"

namespace app {

// The selection to keep after a refresh that found count plotters: a valid one stays, an
// invalid one becomes the first plotter, none (-1) when there is no plotter.
int keptSelection(int selected, int count);

// Discovery, the selection rule, then fillPlotterInfo for the selected plotter.
PlotterInfo refreshPlotterList();

}  // namespace app
