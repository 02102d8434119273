#include <iostream>

#include "app/cli/Velkorctl.h"

int main(int argc, char** argv) {
  return cli::runVelkorctl(std::vector<std::string>(argv + 1, argv + argc), {std::cout, std::cerr});
}
