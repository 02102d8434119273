// What velkor and velkorflash do from their entry points on Linux: the edition fixed, the world
// of VELKOR_WORLD (the built-in one when unset), the firmware path from the first argument, the
// dialog run in the terminal. Returns the program's exit code.
#pragma once

#include "discovery/Edition.h"

namespace app::tui {

int runTerminalProgram(discovery::Edition edition, int argc, char** argv);

}  // namespace app::tui
