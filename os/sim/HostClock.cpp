#include "os/sim/HostClock.h"

#include <ctime>

namespace os::sim {
namespace {

bool toLocalCalendar(std::time_t time, std::tm& local) {
#ifdef _WIN32
  return localtime_s(&local, &time) == 0;
#else
  return localtime_r(&time, &local) != nullptr;
#endif
}

}  // namespace

LocalTime hostLocalTime() {
  using namespace std::chrono;
  const system_clock::time_point now = system_clock::now();
  const sys_seconds second = floor<seconds>(now);
  const milliseconds fraction = duration_cast<milliseconds>(now - second);
  std::tm local{};
  // A host that cannot tell its zone is taken to keep universal time.
  if (!toLocalCalendar(system_clock::to_time_t(second), local)) {
    return LocalTime{duration_cast<milliseconds>(second.time_since_epoch()) + fraction};
  }
  const local_days day{year{local.tm_year + 1900} / (local.tm_mon + 1) / local.tm_mday};
  return day + hours{local.tm_hour} + minutes{local.tm_min} + seconds{local.tm_sec} + fraction;
}

}  // namespace os::sim
