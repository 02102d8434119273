// The descriptors this process holds, for tests that check a command or a run gave back every
// one it opened.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <system_error>
#include <thread>

namespace velkor::test {

// The descriptors open now, but for directories: the scheduler's watcher opens those for a moment.
inline size_t openDescriptors() {
  size_t count = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
    if (!std::filesystem::is_directory(entry.path(), error)) ++count;
  }
  return count;
}

// The descriptors open once they are down to before, or after a few looks: threads of the
// testbed and the scheduler's watcher hold files for moments of their own.
inline size_t openDescriptorsSettling(size_t before) {
  size_t after = openDescriptors();
  for (int look = 0; look < 5 && after > before; ++look) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    after = std::min(after, openDescriptors());
  }
  return after;
}

}  // namespace velkor::test
