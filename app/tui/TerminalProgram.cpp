#include "app/tui/TerminalProgram.h"

#include <cstdio>
#include <string>

#include "app/tui/DialogCells.h"
#include "app/tui/TerminalDialog.h"

namespace app::tui {

int runTerminalProgram(discovery::Edition edition, int argc, char** argv) {
  discovery::setEdition(edition);
  const char* programName = discovery::editionFacts(edition).programName;
  const std::string command = argc > 0 ? argv[0] : programName;
  std::string error;
  const auto refuse = [&] {
    std::fprintf(stderr, "%s: %s\n", command.c_str(), error.c_str());
    return 1;
  };
  std::unique_ptr<ProgramMachine> machine = ProgramMachine::open(&error);
  if (!machine) return refuse();
  std::unique_ptr<Terminal> terminal = Terminal::open(kTerminalColumns, kTerminalRows, &error);
  if (!terminal) return refuse();
  AppState state;
  if (argc > 1) state.firmwarePath = argv[1];  // the shell has split the command line
  TerminalDialog terminalDialog(*terminal, editionDialogs(edition), programName);
  MainDialog dialog(state, terminalDialog.view(), terminalDialog);
  dialog.onInitDialog();
  terminalDialog.run(dialog, *machine);
  return 0;
}

}  // namespace app::tui
