// The plotter a command works on: --plotter N, an index of the plotter list as velkorctl list
// shows it (0 when not given), checked against the list that discovery just built.
#pragma once

#include <string>

#include "app/cli/Arguments.h"
#include "app/cli/ExitCodes.h"

namespace cli {

inline constexpr OptionRule kPlotterOption{"--plotter", "N"};

// The index, or -1 with *code and *error saying why: a usage error for N that is no index, a
// failure for an index that names no listed plotter.
int choosePlotter(const Arguments& args, ExitCode* code, std::string* error);
// Selects the listed plotter as picking it in the dialog's list does: the list's selection and,
// for a plotter on the vendor driver, the device the plotter link opens.
void selectListed(int index);
// Discovery, then choosePlotter; the plotter chosen becomes the selected one of the list.
int selectChosenPlotter(const Arguments& args, ExitCode* code, std::string* error);

}  // namespace cli
