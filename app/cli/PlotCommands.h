// What velkorctl plot and abort share: the plotter they work on, which must be one that plot
// data can reach (on the vendor driver or behind a USB printer port), in the full program.
#pragma once

#include <memory>
#include <string>

#include "app/cli/Arguments.h"
#include "app/cli/ExitCodes.h"
#include "app/cli/PlotterMachine.h"
#include "app/cli/Report.h"

namespace cli {

// The machine the command runs on and the chosen plotter, selected in a freshly built list;
// without a machine, code and error say why.
struct PlotTarget {
  std::unique_ptr<PlotterMachine> machine;
  int index = -1;
  ExitCode code = kExitOk;
  std::string error;
};
PlotTarget openPlotTarget(const Arguments& args);
// The plotter's index, name and connection.
Report plotterReport(int index);

}  // namespace cli
