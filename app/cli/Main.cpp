#include <iostream>

#include "app/cli/HostSystem.h"
#include "app/cli/Velkorctl.h"

int main(int argc, char** argv) {
  std::istream* answers = cli::standardInputIsTerminal() ? &std::cin : nullptr;
  return cli::runVelkorctl(std::vector<std::string>(argv + 1, argv + argc),
                           {std::cout, std::cerr, answers});
}
