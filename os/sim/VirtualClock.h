// Simulated time: virtual milliseconds that move only when the program waits.
//
// Timed actions (device completions, scheduled world events) run in time order, ties in the
// order they were scheduled, inside whichever wait passes their instant. A wait ends when its
// condition holds or its deadline comes, whichever is first; a wait without a deadline whose
// condition nothing scheduled can make true throws Deadlock instead of hanging.
#pragma once

#include <compare>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "os/sim/SimDevice.h"

namespace os::sim {

// The local time at a virtual instant: the machine starts at 2026-12-07 13:21:00.000.
SYSTEMTIME localTimeAt(Tick instant);

class VirtualClock {
 public:
  struct Timer {
    Tick at = 0;
    uint64_t sequence = 0;
    auto operator<=>(const Timer&) const = default;
  };

  Tick now() const { return now_; }
  // Runs action at the instant at (now if that has passed).
  Timer schedule(Tick at, std::function<void()> action);
  void cancel(const Timer& timer) { timers_.erase(timer); }

  // Runs timed actions until done() holds (true) or the deadline passes (false); the clock ends
  // at the instant done() became true, or at the deadline. With no deadline and nothing left to
  // run, throws Deadlock with describe()'s text.
  bool waitUntil(const std::function<bool()>& done, std::optional<Tick> deadline,
                 const std::function<std::string()>& describe);

  void setRealTimePacing(bool on) { pacing_ = on; }

 private:
  void advanceTo(Tick instant);

  Tick now_ = 0;
  uint64_t sequence_ = 0;
  bool pacing_ = false;
  std::map<Timer, std::function<void()>> timers_;
};

}  // namespace os::sim
