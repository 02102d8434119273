// What velkorctl plot and abort share: the plotter they work on, which must be one that plot
// data can reach (on the vendor driver or behind a USB printer port), in the full program.
#pragma once

#include <string>

#include "app/cli/Arguments.h"
#include "app/cli/ExitCodes.h"
#include "app/cli/Report.h"

namespace cli {

// The chosen plotter, selected in a freshly built list; -1 with *code and *error saying why.
int selectPlotPlotter(const Arguments& args, ExitCode* code, std::string* error);
// The plotter's index, name and connection.
Report plotterReport(int index);

}  // namespace cli
