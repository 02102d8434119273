#include "os/sim/VirtualClock.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "os/sim/Deadlock.h"

namespace os::sim {

SYSTEMTIME VirtualClock::localTime() const {
  using namespace std::chrono;
  const LocalTime time = start_ + milliseconds(now_);
  const local_days day = floor<days>(time);
  const year_month_day date{day};
  const hh_mm_ss<milliseconds> clock{time - day};
  return SYSTEMTIME{static_cast<WORD>(static_cast<int>(date.year())),
                    static_cast<WORD>(static_cast<unsigned>(date.month())),
                    static_cast<WORD>(weekday{day}.c_encoding()),
                    static_cast<WORD>(static_cast<unsigned>(date.day())),
                    static_cast<WORD>(clock.hours().count()),
                    static_cast<WORD>(clock.minutes().count()),
                    static_cast<WORD>(clock.seconds().count()),
                    static_cast<WORD>(clock.subseconds().count())};
}

void VirtualClock::setLocalTime(LocalTime time) { start_ = time - std::chrono::milliseconds(now_); }

VirtualClock::Timer VirtualClock::schedule(Tick at, std::function<void()> action) {
  Timer timer{std::max(at, now_), ++sequence_};
  timers_.emplace(timer, std::move(action));
  return timer;
}

bool VirtualClock::waitUntil(const std::function<bool()>& done, std::optional<Tick> deadline,
                             const std::function<std::string()>& describe) {
  while (!done()) {
    auto next = timers_.begin();
    if (next != timers_.end() && (!deadline || next->first.at <= *deadline)) {
      advanceTo(next->first.at);
      std::function<void()> action = std::move(next->second);
      timers_.erase(next);
      action();
      continue;
    }
    if (!deadline) {
      throw Deadlock(describe() + " at " + std::to_string(now_) +
                     " ms: nothing scheduled can end it");
    }
    advanceTo(*deadline);
    return done();
  }
  return true;
}

void VirtualClock::setRealTimePacing(bool on) {
  pacing_ = on;
  pacingStartReal_ = std::chrono::steady_clock::now();
  pacingStartTick_ = now_;
}

void VirtualClock::catchUpWithRealTime() {
  if (!pacing_) return;
  const auto passed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - pacingStartReal_);
  const Tick realNow = pacingStartTick_ + static_cast<Tick>(passed.count());
  waitUntil([] { return false; }, realNow, [] { return std::string(); });
}

void VirtualClock::advanceTo(Tick instant) {
  if (instant <= now_) return;
  if (pacing_) {
    // Windows' sleep may end a fraction of a millisecond before the steady clock says so.
    const auto due = pacingStartReal_ + std::chrono::milliseconds(instant - pacingStartTick_);
    while (std::chrono::steady_clock::now() < due) std::this_thread::sleep_until(due);
  }
  now_ = instant;
}

}  // namespace os::sim
