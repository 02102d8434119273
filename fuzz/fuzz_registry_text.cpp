// The .reg text parser of the simulated machine reads world files and test fixtures: outside
// bytes. Any input gives keys or an error that says why, never a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "os/sim/RegText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string error;
  const auto parsed =
      os::sim::parseRegistryText(std::string_view(reinterpret_cast<const char*>(data), size), &error);
  if (!parsed && error.empty()) std::abort();
  return 0;
}
