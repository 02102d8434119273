// One velkorctl command: its name, its help and what runs it. Each command lives in a file of
// its own and has one row in the command table (CommandTable.cpp).
#pragma once

#include <span>

#include "app/cli/Arguments.h"
#include "app/cli/Console.h"

namespace cli {

struct Command {
  const char* name;
  const char* summary;  // one line for the program's --help
  const char* help;     // the command's --help, from its usage line on
  std::span<const OptionRule> options;
  // The positionals' names as the usage line gives them ("FILE.cas"), which a usage error
  // names when one is missing; the last stands for any further ones.
  std::span<const char* const> positionalNames;
  size_t minPositionals;
  size_t maxPositionals;
  // Runs the command with its parsed arguments; returns the exit code. A failure is reported
  // through reportError (ErrorReport.h), whose code says which kind it is.
  int (*run)(const Arguments& args, const Console& console);
};

std::span<const Command* const> commandTable();
const Command* findCommand(const std::string& name);

}  // namespace cli
