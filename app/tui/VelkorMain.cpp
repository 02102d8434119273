// velkor: the full service utility's dialog in a terminal.
#include "app/tui/TerminalProgram.h"

int main(int argc, char** argv) {
  return app::tui::runTerminalProgram(discovery::Edition::Full, argc, argv);
}
