// The platform line: every Windows call the system makes, behind one interface.
//
// Each member is named and typed as the Windows call it stands for, and keeps that call's
// contract: what it returns, whether it may block, what it leaves as the thread's last error.
// The real Windows platform (os/win32) forwards to the system; the simulated machine (os/sim)
// answers from its own state on a virtual clock. Core code calls the thin os:: functions of
// os/Calls.h, which read like the calls themselves.
#pragma once

#include "os/Win32.h"

namespace os {

class Platform {
 public:
  virtual ~Platform() = default;

  // --- Device setup ---------------------------------------------------------------------------
  // A list of the device interfaces of a class; INVALID_HANDLE_VALUE (last error set) on failure.
  virtual HDEVINFO SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND parent,
                                        DWORD flags) = 0;
  // The index-th interface of the class in the list; FALSE with ERROR_NO_MORE_ITEMS past the end.
  // data->cbSize must be sizeof(SP_DEVICE_INTERFACE_DATA) (else ERROR_INVALID_USER_BUFFER).
  virtual BOOL SetupDiEnumDeviceInterfaces(HDEVINFO list, PSP_DEVINFO_DATA devInfo,
                                           const GUID* classGuid, DWORD index,
                                           PSP_DEVICE_INTERFACE_DATA data) = 0;
  // The interface's path. With no or too small a detail buffer: FALSE, ERROR_INSUFFICIENT_BUFFER
  // and the size needed in *requiredSize. detail->cbSize must be
  // sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) (else ERROR_INVALID_USER_BUFFER).
  virtual BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO list, PSP_DEVICE_INTERFACE_DATA data,
                                                PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail,
                                                DWORD detailSize, PDWORD requiredSize,
                                                PSP_DEVINFO_DATA devInfo) = 0;
  virtual BOOL SetupDiDestroyDeviceInfoList(HDEVINFO list) = 0;

  // --- Files and devices ----------------------------------------------------------------------
  // Opens a file or a device path; INVALID_HANDLE_VALUE and the last error on failure.
  virtual HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                             DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile) = 0;
  virtual BOOL CloseHandle(HANDLE handle) = 0;
  // Without an OVERLAPPED these block until done. With one (on a handle opened overlapped) they
  // complete at once (TRUE) or fail with ERROR_IO_PENDING and complete later: the OVERLAPPED's
  // Internal and InternalHigh get the status and the count, and its event is signalled.
  virtual BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD toRead, LPDWORD read,
                        LPOVERLAPPED overlapped) = 0;
  virtual BOOL WriteFile(HANDLE handle, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                         LPOVERLAPPED overlapped) = 0;
  virtual BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID input, DWORD inputSize,
                               LPVOID output, DWORD outputSize, LPDWORD returned,
                               LPOVERLAPPED overlapped) = 0;
  // The outcome of an overlapped request; with wait FALSE and the request still running:
  // FALSE and ERROR_IO_INCOMPLETE. A failed request leaves its status as the last error.
  virtual BOOL GetOverlappedResult(HANDLE handle, LPOVERLAPPED overlapped, LPDWORD transferred,
                                   BOOL wait) = 0;
  // Ends the calling thread's pending requests on the handle with ERROR_OPERATION_ABORTED.
  virtual BOOL CancelIo(HANDLE handle) = 0;
  // Low 32 bits of the size (high bits in *high); INVALID_FILE_SIZE with the last error on failure.
  virtual DWORD GetFileSize(HANDLE file, LPDWORD high) = 0;
  virtual BOOL DeleteFileA(LPCSTR path) = 0;

  // --- File mapping ---------------------------------------------------------------------------
  // Null (not INVALID_HANDLE_VALUE) on failure; an empty file cannot be mapped.
  virtual HANDLE CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES security, DWORD protect,
                                    DWORD maxSizeHigh, DWORD maxSizeLow, LPCSTR name) = 0;
  // Null on failure; bytes 0 maps the whole mapping.
  virtual LPVOID MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow,
                               SIZE_T bytes) = 0;
  virtual BOOL UnmapViewOfFile(LPCVOID view) = 0;

  // --- Events and waits -----------------------------------------------------------------------
  virtual HANDLE CreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState,
                              LPCSTR name) = 0;
  virtual BOOL SetEvent(HANDLE event) = 0;
  virtual BOOL ResetEvent(HANDLE event) = 0;
  // WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED. May block up to the time-out; an auto-reset
  // event is reset by the wait that sees it signalled.
  virtual DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) = 0;

  // --- Thread and time ------------------------------------------------------------------------
  virtual DWORD GetLastError() = 0;
  virtual void SetLastError(DWORD error) = 0;
  virtual void Sleep(DWORD milliseconds) = 0;
  virtual DWORD GetTickCount() = 0;
  virtual void GetLocalTime(LPSYSTEMTIME time) = 0;

  // --- Registry (read only) -------------------------------------------------------------------
  // These return the error code (ERROR_SUCCESS on success) and leave the last error alone.
  virtual LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access,
                                PHKEY result) = 0;
  // With data null: the size in *dataSize. With too small a buffer: ERROR_MORE_DATA and the size.
  virtual LSTATUS RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type,
                                   LPBYTE data, LPDWORD dataSize) = 0;
  // The longest subkey and value names in UTF-16 units, without the terminator, even here:
  // the same names through the ANSI calls (UTF-8 in this system's processes) may take up to
  // three bytes per unit.
  virtual LSTATUS RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classNameSize,
                                   LPDWORD reserved, LPDWORD subKeys, LPDWORD maxSubKeyLength,
                                   LPDWORD maxClassLength, LPDWORD values,
                                   LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                                   LPDWORD securityDescriptorSize, PFILETIME lastWriteTime) = 0;
  // ERROR_NO_MORE_ITEMS past the last subkey; ERROR_MORE_DATA when the name does not fit.
  virtual LSTATUS RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize,
                                LPDWORD reserved, LPSTR className, LPDWORD classNameSize,
                                PFILETIME lastWriteTime) = 0;
  virtual LSTATUS RegCloseKey(HKEY key) = 0;

  // --- Print spooler --------------------------------------------------------------------------
  // FALSE and the last error (ERROR_INVALID_PRINTER_NAME for an unknown queue) on failure.
  virtual BOOL OpenPrinterA(LPSTR printerName, LPHANDLE printer, LPPRINTER_DEFAULTSA defaults) = 0;
  // The job id, or 0 on failure.
  virtual DWORD StartDocPrinterA(HANDLE printer, DWORD level, LPBYTE docInfo) = 0;
  virtual BOOL StartPagePrinter(HANDLE printer) = 0;
  virtual BOOL WritePrinter(HANDLE printer, LPVOID buffer, DWORD count, LPDWORD written) = 0;
  virtual BOOL EndPagePrinter(HANDLE printer) = 0;
  virtual BOOL EndDocPrinter(HANDLE printer) = 0;
  virtual BOOL ClosePrinter(HANDLE printer) = 0;
  // Job jobId of the printer's queue at level 1 (JOB_INFO_1A: Status holds JOB_STATUS_* bits,
  // Position its place in the queue), its strings inside buffer after the structure. Asked the
  // two-call way: with no or too small a buffer, FALSE, ERROR_INSUFFICIENT_BUFFER and the size
  // needed in *needed. A job that is not in the queue (never was, or has left it): FALSE and
  // ERROR_INVALID_PARAMETER. Does not wait for the job.
  virtual BOOL GetJobA(HANDLE printer, DWORD jobId, DWORD level, LPBYTE buffer, DWORD size,
                       LPDWORD needed) = 0;
  // The printer's queue at level 2 (PRINTER_INFO_2A: Status holds PRINTER_STATUS_* bits such as
  // PAUSED, OFFLINE and ERROR, cJobs the jobs in the queue), its strings inside buffer; asked
  // the same two-call way as GetJobA.
  virtual BOOL GetPrinterA(HANDLE printer, DWORD level, LPBYTE buffer, DWORD size,
                           LPDWORD needed) = 0;

  // --- Device notification --------------------------------------------------------------------
  // Null and the last error on failure.
  virtual HDEVNOTIFY RegisterDeviceNotificationA(HANDLE recipient, LPVOID filter, DWORD flags) = 0;
  virtual BOOL UnregisterDeviceNotification(HDEVNOTIFY notification) = 0;

  // --- Resources, message texts and local memory ----------------------------------------------
  // Copies string resource id (cut to max - 1 and terminated); the count copied, 0 if none.
  virtual int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int max) = 0;
  // The count of characters written, 0 (last error set) when there is no such message.
  virtual DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId,
                               LPSTR buffer, DWORD size, va_list* arguments) = 0;
  virtual HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) = 0;
  // Null on success, the handle on failure.
  virtual HLOCAL LocalFree(HLOCAL memory) = 0;
};

// The platform in use: the one installed last, else the host's own (Windows), else an empty
// simulated machine.
Platform& platform();
// Installs a platform (null restores the default); returns the one it replaces.
Platform* installPlatform(Platform* platform);

// Whether the build reaches real plotters: the real Windows calls behind the default platform,
// or on Linux the real Linux machine (os/linux/HostMachine.h, for the programs built with
// libusb and CUPS, where VELKOR_HAS_LINUX_DEVICES is defined); elsewhere the programs run on a
// simulated machine.
#if defined(_WIN32) || VELKOR_HAS_LINUX_DEVICES
inline constexpr bool kHasRealPlatform = true;
#else
inline constexpr bool kHasRealPlatform = false;
#endif

// Installs a platform for the lifetime of a scope.
class ScopedPlatform {
 public:
  explicit ScopedPlatform(Platform& platform) : previous_(installPlatform(&platform)) {}
  ~ScopedPlatform() { installPlatform(previous_); }
  ScopedPlatform(const ScopedPlatform&) = delete;
  ScopedPlatform& operator=(const ScopedPlatform&) = delete;

 private:
  Platform* previous_;
};

}  // namespace os
