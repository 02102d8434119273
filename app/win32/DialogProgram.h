// What Velkor.exe and Velkorflash.exe do from their entry points: the edition fixed, the
// machine chosen (VELKOR_WORLD), the firmware path taken from the command line, the main dialog
// run. Returns the program's exit code.
#pragma once

#include <windows.h>

#include "discovery/Edition.h"

namespace app {

int runDialogProgram(HINSTANCE instance, discovery::Edition edition, const char* commandLine);

}  // namespace app
