#include "app/AppState.h"

namespace app {

std::string firstCommandLineArgument(std::string_view commandLine) {
  const std::size_t start = commandLine.find_first_not_of(' ');
  if (start == std::string_view::npos) return {};
  std::string_view rest = commandLine.substr(start);
  if (rest.front() == '"') {
    rest.remove_prefix(1);
    return std::string(rest.substr(0, rest.find('"')));
  }
  return std::string(rest.substr(0, rest.find(' ')));
}

AppState startUpState(std::string_view commandLine) {
  AppState state;
  state.firmwarePath = firstCommandLineArgument(commandLine);
  return state;
}

}  // namespace app
