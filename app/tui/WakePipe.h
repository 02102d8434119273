// A pipe that wakes the dialog's thread where it waits on the terminal: any thread writes a byte
// into it, the dialog's thread waits on its read end among its other descriptors and drains it.
#pragma once

#include <optional>
#include <string>

#include "app/tui/UniqueFd.h"

namespace app::tui {

class WakePipe {
 public:
  // Nothing with *error when the system has no pipe to give.
  static std::optional<WakePipe> open(std::string* error);

  // Any thread: the read end becomes readable.
  void wake();
  // The descriptor to wait on.
  int readEnd() const { return read_.get(); }
  // Takes back every wake so far.
  void drain();

 private:
  WakePipe(UniqueFd read, UniqueFd write) : read_(std::move(read)), write_(std::move(write)) {}

  UniqueFd read_;
  UniqueFd write_;
};

}  // namespace app::tui
