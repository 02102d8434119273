// Simulated time: virtual milliseconds that move only when the program waits.
//
// Timed actions (device completions, scheduled world events) run in time order, ties in the
// order they were scheduled, inside whichever wait passes their instant. A wait ends when its
// condition holds or its deadline comes, whichever is first; a wait without a deadline whose
// condition nothing scheduled can make true throws Deadlock instead of hanging.
#pragma once

#include <chrono>
#include <compare>
#include <cstdint>
#include <functional>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "os/sim/SimDevice.h"

namespace os::sim {

// A local wall-clock time, as GetLocalTime gives it, to the millisecond.
using LocalTime = std::chrono::local_time<std::chrono::milliseconds>;
// Where a machine's local time starts unless told otherwise: a fixed instant, so that what a
// run shows of the time is the same in every run.
inline constexpr LocalTime kFixedStartTime =
    std::chrono::local_days{std::chrono::year{2026} / std::chrono::December / 7} +
    std::chrono::hours{13} + std::chrono::minutes{21};

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

  // The local time now: the start time and the virtual time since.
  SYSTEMTIME localTime() const;
  // Sets the local time now to time; it moves on with the virtual clock from there. Nothing
  // else about the clock changes.
  void setLocalTime(LocalTime time);

  // Runs timed actions until done() holds (true) or the deadline passes (false); the clock ends
  // at the instant done() became true, or at the deadline. With no deadline and nothing left to
  // run, throws Deadlock with describe()'s text.
  bool waitUntil(const std::function<bool()>& done, std::optional<Tick> deadline,
                 const std::function<std::string()>& describe);

  // Any thread: runs action inside the machine's next wait (or the one running), waking a wait
  // that sleeps for real. Devices outside the machine end their requests so.
  void post(std::function<void()> action);
  // Requests outside the machine that have not ended: while there are any, a wait without a
  // deadline and with nothing scheduled sleeps until one ends instead of being a deadlock.
  void expectOutside(int change) { outsidePending_ += change; }

  // Real-time pacing: from now on a virtual millisecond takes a real one, and a wait ends at the
  // real instant its virtual one stands for.
  void setRealTimePacing(bool on);
  // With pacing: runs what fell due in the real time that passed while nobody waited, and moves
  // the clock to the real time, so that a machine left alone keeps time with the world outside.
  void catchUpWithRealTime();

 private:
  // Moves the clock to instant (none: until something is posted); false when something posted
  // ended a sleep early, with the clock at the real time it ended.
  bool reach(std::optional<Tick> instant);
  // Runs what was posted; false when nothing was.
  bool runPosted();
  Tick pacedNow() const;

  Tick now_ = 0;
  LocalTime start_ = kFixedStartTime;  // the local time at instant 0
  uint64_t sequence_ = 0;
  bool pacing_ = false;
  std::chrono::steady_clock::time_point pacingStartReal_;
  Tick pacingStartTick_ = 0;
  std::map<Timer, std::function<void()>> timers_;
  std::mutex postedMutex_;
  std::condition_variable postedArrived_;
  std::vector<std::function<void()>> posted_;
  std::atomic<int> outsidePending_{0};
};

}  // namespace os::sim
