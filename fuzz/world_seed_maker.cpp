// Writes the built-in default world to the file named by its argument: the world fuzzer's seed.
#include <cstdio>

#include "sim/DefaultWorld.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  std::FILE* out = std::fopen(argv[1], "wb");
  if (!out) {
    std::perror(argv[1]);
    return 1;
  }
  const bool written = std::fputs(sim::defaultWorldText(), out) >= 0;
  return std::fclose(out) == 0 && written ? 0 : 1;
}
