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
    if (runPosted()) continue;
    auto next = timers_.begin();
    const bool timerFirst = next != timers_.end() && (!deadline || next->first.at <= *deadline);
    const std::optional<Tick> target = timerFirst ? std::optional(next->first.at) : deadline;
    if (!target && outsidePending_ == 0) {
      throw Deadlock(describe() + " at " + std::to_string(now_) +
                     " ms: nothing scheduled can end it");
    }
    if (!reach(target)) continue;
    if (!timerFirst) {
      runPosted();
      return done();
    }
    std::function<void()> action = std::move(next->second);
    timers_.erase(next);
    action();
  }
  return true;
}

void VirtualClock::post(std::function<void()> action) {
  {
    std::lock_guard lock(postedMutex_);
    posted_.push_back(std::move(action));
  }
  postedArrived_.notify_all();
}

bool VirtualClock::runPosted() {
  std::vector<std::function<void()>> actions;
  {
    std::lock_guard lock(postedMutex_);
    actions.swap(posted_);
  }
  for (auto& action : actions) action();
  return !actions.empty();
}

bool VirtualClock::reach(std::optional<Tick> instant) {
  if (instant && (!pacing_ || *instant <= now_)) {
    now_ = std::max(now_, *instant);
    return true;
  }
  std::unique_lock lock(postedMutex_);
  const auto arrived = [this] { return !posted_.empty(); };
  if (!instant) {
    postedArrived_.wait(lock, arrived);
  } else {
    const auto due = pacingStartReal_ + std::chrono::milliseconds(*instant - pacingStartTick_);
    // Windows' sleep may end a fraction of a millisecond before the steady clock says so.
    while (!arrived() && std::chrono::steady_clock::now() < due) {
      postedArrived_.wait_until(lock, due, arrived);
    }
    if (!arrived()) {
      now_ = *instant;
      return true;
    }
  }
  if (pacing_) now_ = std::max(now_, instant ? std::min(pacedNow(), *instant) : pacedNow());
  return false;
}

Tick VirtualClock::pacedNow() const {
  const auto passed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - pacingStartReal_);
  return pacingStartTick_ + static_cast<Tick>(passed.count());
}

void VirtualClock::setRealTimePacing(bool on) {
  pacing_ = on;
  pacingStartReal_ = std::chrono::steady_clock::now();
  pacingStartTick_ = now_;
}

void VirtualClock::catchUpWithRealTime() {
  if (!pacing_) return;
  waitUntil([] { return false; }, pacedNow(), [] { return std::string(); });
}

}  // namespace os::sim
