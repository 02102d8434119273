// The bounded wait of the command executor's overlapped requests.
#pragma once

#include <optional>

#include "os/Win32.h"

namespace plotter {

// Waits up to waitTime for a request that ReadFile, WriteFile or DeviceIoControl started on
// handle with overlapped (started: what that call returned). The byte count when the request
// ended well; nothing when it failed or did not end in time. A request that did not end in time
// is cancelled and its end awaited, so that the caller's buffer and OVERLAPPED may go.
std::optional<DWORD> awaitOverlapped(HANDLE handle, OVERLAPPED& overlapped, BOOL started,
                                     DWORD waitTime);
// The end of a write or device request: the count its call returned when it ended at once
// (started), else awaitOverlapped's.
std::optional<DWORD> requestEnd(HANDLE handle, OVERLAPPED& overlapped, BOOL started,
                                DWORD countAtOnce, DWORD waitTime);

}  // namespace plotter
