// World files are written by hand and passed around: outside bytes. Any input gives a world or
// a fault that names its line, never a crash; and the registry of any world it accepts loads
// and gives every queue's port back as written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "os/sim/CaseInsensitive.h"
#include "os/sim/RegText.h"
#include "sim/WorldFile.h"
#include "sim/WorldRegistry.h"

namespace {

constexpr std::string_view kPrinters =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Print\\Printers\\";

// The "Port" value the registry text gives the queue (the last one written wins, as on load).
std::optional<std::string> portOf(const os::sim::RegistryText& registry, const std::string& queue) {
  std::optional<std::string> port;
  for (const os::sim::RegistryKeyText& key : registry.keys) {
    if (!os::sim::equalsIgnoringCase(key.path, std::string(kPrinters) + queue)) continue;
    for (const os::sim::RegistryValue& value : key.values) {
      if (value.name == "Port") port.emplace(value.data.begin(), value.data.end());
    }
  }
  return port;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const std::optional<sim::WorldPlan> world = sim::parseWorldFile(text, "fuzz.world", &error);
  if (!world) {
    if (error.rfind("fuzz.world:", 0) != 0) std::abort();
    return 0;
  }
  const std::optional<os::sim::RegistryText> registry =
      os::sim::parseRegistryText(sim::worldRegistryText(*world), &error);
  if (!registry) std::abort();
  for (const sim::QueuePlan& queue : world->queues) {
    if (portOf(*registry, queue.name) != queue.port + '\0') std::abort();
  }
  return 0;
}
