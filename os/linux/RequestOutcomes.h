// The names the platform's devices answer requests with.
#pragma once

#include "os/sim/SimDevice.h"

namespace os::linux_platform {

using sim::IoCompletion;
using sim::IoOutcome;
using sim::IoRequest;

inline constexpr IoOutcome kInvalid{ERROR_INVALID_PARAMETER, 0};
inline constexpr IoOutcome kDone{ERROR_SUCCESS, 0};

}  // namespace os::linux_platform
