// Raw driver requests and overlapped completion, on handles of either kind.
#include "os/Calls.h"
#include "usb/UsbApi.h"
#include "usb/UsbHandle.h"

extern "C" {

// The handle's I/O lock is held until the request has completed (built-in OVERLAPPED) or has
// been issued (the caller's), so control requests on one handle run one at a time.
DWORD WINAPI USBIoCtrl(USB_HANDLE handle, DWORD code, void* input, DWORD inputLength,
                       void* output, DWORD outputLength, DWORD* returned,
                       LPOVERLAPPED overlapped) {
  usb::UsbHandle* target = usb::checkedHandle(handle, usb::kAnyKind);
  if (!target) return USBERR_INVALID_PARAMETER;
  DWORD count = 0;
  DWORD result;
  {
    os::CriticalSectionLock hold(target->ioLock);
    BOOL issued = os::DeviceIoControl(target->file, code, input, inputLength, output,
                                      outputLength, &count,
                                      usb::overlappedFor(*target, overlapped));
    result = usb::finishRequest(*target, issued, overlapped, &count);
  }
  if (returned) *returned = count;
  return result;
}

DWORD WINAPI USBWaitIO(USB_HANDLE handle, DWORD* transferred, DWORD timeout,
                       LPOVERLAPPED overlapped) {
  usb::UsbHandle* target = usb::checkedHandle(handle, usb::kAnyKind);
  if (!target) return USBERR_INVALID_PARAMETER;
  if (transferred) *transferred = 0;
  OVERLAPPED* waited = usb::overlappedFor(*target, overlapped);
  if (os::WaitForSingleObject(waited->hEvent, timeout) != WAIT_OBJECT_0) {
    os::SetLastError(USBERR_TIMEOUT);
    return USBERR_TIMEOUT;
  }
  DWORD count = 0;
  BOOL done = os::GetOverlappedResult(target->file, waited, &count, TRUE);
  if (transferred) *transferred = count;
  return done ? 0 : os::GetLastError();
}

// The OVERLAPPED is not needed: CancelIo ends all of the thread's requests on the handle.
DWORD WINAPI USBCancelIO(USB_HANDLE handle, LPOVERLAPPED) {
  usb::UsbHandle* target = usb::checkedHandle(handle, usb::kAnyKind);
  if (!target) return USBERR_INVALID_PARAMETER;
  return os::CancelIo(target->file) ? 0 : os::GetLastError();
}

}  // extern "C"
