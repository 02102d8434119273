#include "app/win32/DialogProgram.h"

#include <commctrl.h>

#include <string>

#include "app/machine/ProgramMachine.h"
#include "app/win32/MainDialogWindow.h"

namespace app {

int runDialogProgram(HINSTANCE instance, discovery::Edition edition, const char* commandLine) {
  discovery::setEdition(edition);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  const char* programName = discovery::editionFacts(edition).programName;
  std::string error;
  std::unique_ptr<ProgramMachine> machine = ProgramMachine::open(&error);
  if (!machine) {
    MessageBoxA(nullptr, error.c_str(), programName, MB_ICONERROR | MB_OK);
    return 1;
  }
  AppState state = startUpState(commandLine != nullptr ? commandLine : "");
  if (!runMainDialog(instance, state, *machine)) {
    MessageBoxA(nullptr, "The dialog could not be created.", programName, MB_ICONERROR | MB_OK);
    return 1;
  }
  return 0;
}

}  // namespace app
