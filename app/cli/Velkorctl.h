// velkorctl: the command-line front end. Runs one command line and returns its exit code.
#pragma once

#include <string>
#include <vector>

#include "app/cli/Console.h"

namespace cli {

// args are the arguments after the program name.
int runVelkorctl(const std::vector<std::string>& args, const Console& console);

}  // namespace cli
