// The simulated machine's answer to a wait that nothing can ever end.
#pragma once

#include <stdexcept>
#include <string>

namespace os::sim {

// Thrown by a wait that could only end by a completion that will never come (an infinite wait
// with nothing scheduled that could end it). On real hardware the program would hang; a test
// fails loudly instead.
class Deadlock : public std::logic_error {
 public:
  explicit Deadlock(const std::string& what) : std::logic_error(what) {}
};

}  // namespace os::sim
