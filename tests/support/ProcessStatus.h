// Figures the kernel keeps of this process in /proc/self/status, in KiB: "VmRSS" (resident now),
// "VmHWM" (peak resident), "VmPeak" (peak address space).
#pragma once

#include <fstream>
#include <string>

namespace velkor::test {

// The figure, or -1 where the system tells none.
inline long processStatusKiB(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
  }
  return -1;
}

}  // namespace velkor::test
