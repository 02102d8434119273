#include <unistd.h>

#include <cstdio>

#include "app/cli/HostSystem.h"

namespace cli {

std::string utf8FromSystem(const std::string& text) { return text; }

bool standardInputIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }
bool standardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

bool replaceFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace cli
