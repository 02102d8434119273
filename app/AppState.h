// What the shell keeps for the whole run: the chosen files and what the selected plotter showed,
// which the update procedure reads. The selected index itself lives with the plotter list.
#pragma once

#include <string>
#include <string_view>

namespace app {

struct AppState {
  std::string firmwarePath;     // the first command-line argument, or the chosen file
  std::string plotPath;         // the chosen plot file (full program only)
  std::string firmwareVersion;  // what the firmware field shows
  long bootNumber = 0;          // the leading integer of the boot program field
  std::string displayName;      // the selected plotter's name in the list box
};

// The first argument of a program's command line (without the program's name): leading spaces
// skipped; one that starts with a double quote runs to the next one (quotes dropped) or the end,
// any other to the next space or the end. The rest is ignored; empty when there is none.
std::string firstCommandLineArgument(std::string_view commandLine);

// The state a program starts with: the firmware path from its command line, the rest empty.
AppState startUpState(std::string_view commandLine);

}  // namespace app
