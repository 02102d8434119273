// The thread's last error, as Windows keeps it: one value per thread.
#pragma once

#include "os/Win32.h"

namespace os::sim {

DWORD& threadLastError();

// Sets the last error and returns FALSE (0, also what calls that return a count or an id give
// on failure), the usual way a failing call ends.
inline BOOL failWith(DWORD error) {
  threadLastError() = error;
  return FALSE;
}

}  // namespace os::sim
