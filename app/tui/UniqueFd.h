// An owner for a POSIX file descriptor, closed when the owner goes.
#pragma once

#include <unistd.h>

#include "os/Handles.h"

namespace app::tui {

struct FdTraits {
  using Value = int;
  static Value empty() { return -1; }
  static bool valid(Value fd) { return fd >= 0; }
  static void close(Value fd) { ::close(fd); }
};
using UniqueFd = os::UniqueOwner<FdTraits>;

}  // namespace app::tui
