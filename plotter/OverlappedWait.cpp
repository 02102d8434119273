#include "plotter/OverlappedWait.h"

#include "os/Calls.h"

namespace plotter {

std::optional<DWORD> awaitOverlapped(HANDLE handle, OVERLAPPED& overlapped, BOOL started,
                                     DWORD waitTime) {
  if (!started && os::GetLastError() != ERROR_IO_PENDING) return std::nullopt;
  DWORD transferred = 0;
  if (os::WaitForSingleObject(overlapped.hEvent, waitTime) != WAIT_OBJECT_0) {
    os::CancelIo(handle);
    os::GetOverlappedResult(handle, &overlapped, &transferred, TRUE);
    return std::nullopt;
  }
  if (!os::GetOverlappedResult(handle, &overlapped, &transferred, FALSE)) return std::nullopt;
  return transferred;
}

std::optional<DWORD> requestEnd(HANDLE handle, OVERLAPPED& overlapped, BOOL started,
                                DWORD countAtOnce, DWORD waitTime) {
  if (started) return countAtOnce;
  return awaitOverlapped(handle, overlapped, started, waitTime);
}

}  // namespace plotter
