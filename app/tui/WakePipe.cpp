#include "app/tui/WakePipe.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>

namespace app::tui {

std::optional<WakePipe> WakePipe::open(std::string* error) {
  int ends[2];
  // Neither end blocks: a full pipe is woken already, and draining stops where it is empty.
  if (pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0) {
    *error = std::string("cannot make a pipe: ") + std::strerror(errno);
    return std::nullopt;
  }
  return WakePipe(UniqueFd(ends[0]), UniqueFd(ends[1]));
}

void WakePipe::wake() {
  const char byte = 1;
  while (::write(write_.get(), &byte, 1) < 0 && errno == EINTR) {
  }
}

void WakePipe::drain() {
  char bytes[64];
  while (::read(read_.get(), bytes, sizeof bytes) > 0) {
  }
}

}  // namespace app::tui
