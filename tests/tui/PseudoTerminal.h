// A pseudo-terminal for the terminal front end's tests: its terminal side, 80 x 25, is what the
// dialog opens; the test's side types keys into it and collects what the dialog writes.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>

#include "app/tui/UniqueFd.h"

namespace velkor::test {

class PseudoTerminal {
 public:
  PseudoTerminal() : controller_(posix_openpt(O_RDWR | O_NOCTTY)) {
    char name[64];
    if (!controller_ || grantpt(controller_.get()) != 0 || unlockpt(controller_.get()) != 0 ||
        ptsname_r(controller_.get(), name, sizeof name) != 0) {
      throw std::runtime_error("no pseudo-terminal");
    }
    terminal_.reset(::open(name, O_RDWR | O_NOCTTY));
    if (!terminal_) throw std::runtime_error("cannot open the pseudo-terminal");
    resize(80, 25);
    reader_ = std::jthread([this](std::stop_token stop) { collect(stop); });
  }

  // The side the dialog reads its keys from and writes its screen to.
  int terminal() const { return terminal_.get(); }
  void type(std::string_view keys) {
    if (::write(controller_.get(), keys.data(), keys.size()) != static_cast<ssize_t>(keys.size())) {
      throw std::runtime_error("cannot type into the pseudo-terminal");
    }
  }
  // Waits up to 5 s until the keys typed have reached the terminal side.
  bool awaitKeysArrived() {
    pollfd input{terminal_.get(), POLLIN, 0};
    return poll(&input, 1, 5000) == 1;
  }
  void resize(int columns, int rows) {
    const winsize size{static_cast<unsigned short>(rows), static_cast<unsigned short>(columns), 0,
                       0};
    ioctl(controller_.get(), TIOCSWINSZ, &size);
  }
  // How often text occurs in what the dialog wrote so far.
  int count(std::string_view text) {
    std::lock_guard lock(mutex_);
    int found = 0;
    for (std::size_t at = output_.find(text); at != std::string::npos;
         at = output_.find(text, at + 1)) {
      ++found;
    }
    return found;
  }
  // Waits up to 5 s until text occurs more than times in what the dialog wrote.
  bool awaitOutput(std::string_view text, int times = 0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (count(text) <= times) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
  }

 private:
  void collect(const std::stop_token& stop) {
    while (!stop.stop_requested()) {
      pollfd output{controller_.get(), POLLIN, 0};
      if (poll(&output, 1, 20) != 1) continue;
      char bytes[4096];
      const ssize_t got = ::read(controller_.get(), bytes, sizeof bytes);
      if (got <= 0) return;
      std::lock_guard lock(mutex_);
      output_.append(bytes, static_cast<std::size_t>(got));
    }
  }

  app::tui::UniqueFd controller_;
  app::tui::UniqueFd terminal_;
  std::mutex mutex_;
  std::string output_;
  std::jthread reader_;  // last: it stops before the descriptors close
};

}  // namespace velkor::test
