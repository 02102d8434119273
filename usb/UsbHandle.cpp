#include "usb/UsbHandle.h"

#include "os/Calls.h"
#include "usb/UsbApi.h"

namespace usb {

UsbHandle::~UsbHandle() {
  if (file != INVALID_HANDLE_VALUE) os::CloseHandle(file);
  if (overlapped.hEvent) os::CloseHandle(overlapped.hEvent);
}

UsbHandle* checkedHandle(const void* handle, BYTE kind) {
  if (!handle) return nullptr;
  // Both records begin with their UsbHandle, so the kind byte can be read before the record's
  // type is known.
  auto* head = static_cast<UsbHandle*>(const_cast<void*>(handle));
  if (head->kind != kDeviceKind && head->kind != kPipeKind) return nullptr;
  return kind == kAnyKind || head->kind == kind ? head : nullptr;
}

DWORD openHandlePath(UsbHandle& handle, const char* path) {
  handle.file = os::CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
  if (handle.file == INVALID_HANDLE_VALUE) return os::GetLastError();
  handle.overlapped = OVERLAPPED{};
  handle.overlapped.hEvent = os::CreateEventA(nullptr, FALSE, FALSE, nullptr);
  return handle.overlapped.hEvent ? 0 : USBERR_NO_MEMORY;
}

DWORD finishRequest(UsbHandle& handle, BOOL issued, OVERLAPPED* callers, DWORD* count) {
  if (issued) return 0;
  DWORD error = os::GetLastError();
  if (error != ERROR_IO_PENDING) return error;
  if (callers) return USBERR_IO_PENDING;
  return USBWaitIO(&handle, count, INFINITE, &handle.overlapped);
}

}  // namespace usb
