#include "app/tui/TerminalProgram.h"

#include <cstdio>
#include <optional>
#include <string>

#include "app/tui/DialogCells.h"
#include "app/tui/TerminalDialog.h"
#include "app/tui/TerminalPump.h"

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
  std::optional<WakePipe> wakePipe = WakePipe::open(&error);
  if (!wakePipe) return refuse();
  std::unique_ptr<Terminal> terminal = Terminal::open(kTerminalColumns, kTerminalRows, &error);
  if (!terminal) return refuse();
  AppState state;
  if (argc > 1) state.firmwarePath = argv[1];  // the shell has split the command line
  TerminalDialog terminalDialog(*terminal, editionDialogs(edition), programName);
  TerminalPump pump(*terminal, terminalDialog, std::move(*wakePipe));
  LiveDialog live(pump, state, terminalDialog.view(), terminalDialog);
  pump.attach(live);
  live.dialog().onInitDialog();
  terminalDialog.run(live, *machine);
  return 0;
}

}  // namespace app::tui
