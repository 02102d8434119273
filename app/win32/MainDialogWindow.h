// The main dialog as a real Windows dialog: dialog 102 of the program's resources, run modally,
// its messages handed to the portable MainDialog through a Win32DialogView and message boxes.
#pragma once

#include <windows.h>

#include "app/AppState.h"
#include "app/machine/ProgramMachine.h"

namespace app {

// Runs the dialog until the user closes it; false when it could not be created.
bool runMainDialog(HINSTANCE instance, AppState& state, ProgramMachine& machine);

}  // namespace app
