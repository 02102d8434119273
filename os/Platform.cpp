#include "os/Platform.h"

#include <utility>

#ifdef _WIN32
#include "os/win32/Win32Platform.h"
#else
#include "os/sim/SimMachine.h"
#endif

namespace os {
namespace {
Platform* installed = nullptr;
}  // namespace

Platform& platform() {
  if (installed) return *installed;
#ifdef _WIN32
  return win32::hostPlatform();
#else
  // No real backend here: an empty simulated machine until a world is installed.
  return sim::emptyMachine();
#endif
}

Platform* installPlatform(Platform* platform) { return std::exchange(installed, platform); }

}  // namespace os
