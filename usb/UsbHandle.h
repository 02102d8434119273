// The head that every handle of the USB library starts with, and what opening and closing a
// handle's path does. A device handle points to a UsbDevice, a pipe handle to a UsbPipe; both
// records derive from UsbHandle alone, so a handle of either kind can be checked by its kind byte
// before it is taken for one or the other.
#pragma once

#include "os/CriticalSection.h"
#include "os/Win32.h"

namespace usb {

inline constexpr BYTE kDeviceKind = 1;
inline constexpr BYTE kPipeKind = 2;
inline constexpr BYTE kAnyKind = 0;

struct UsbHandle {
  explicit UsbHandle(BYTE handleKind) : kind(handleKind) {}
  ~UsbHandle();  // closes what openHandlePath opened
  UsbHandle(const UsbHandle&) = delete;
  UsbHandle& operator=(const UsbHandle&) = delete;

  UsbHandle* next = nullptr;  // towards the newer members of the list that holds it
  UsbHandle* previous = nullptr;
  HANDLE file = INVALID_HANDLE_VALUE;
  BYTE kind;
  OVERLAPPED overlapped{};  // the built-in one, for callers that pass none
  os::CriticalSection ioLock;
};

// The handle behind an opaque pointer if it is not null and of the kind wanted (either kind for
// kAnyKind); null otherwise.
UsbHandle* checkedHandle(const void* handle, BYTE kind);

// Opens a device or pipe path for overlapped reading and writing and creates the built-in
// OVERLAPPED's event (auto-reset, unsignalled). Returns 0, the system error of the open, or
// USBERR_NO_MEMORY when the event cannot be made; the handle's destructor closes what it opened.
DWORD openHandlePath(UsbHandle& handle, const char* path);

// The OVERLAPPED a request runs on: the caller's, or the handle's built-in one.
inline OVERLAPPED* overlappedFor(UsbHandle& handle, OVERLAPPED* callers) {
  return callers ? callers : &handle.overlapped;
}

// The result of a request just issued (ReadFile, WriteFile, DeviceIoControl returned issued):
// 0 when it completed at once; USBERR_IO_PENDING when it runs on the caller's OVERLAPPED; the
// outcome of waiting for it, with its byte count in *count, when it runs on the built-in one;
// otherwise the system error.
DWORD finishRequest(UsbHandle& handle, BOOL issued, OVERLAPPED* callers, DWORD* count);

}  // namespace usb
