// The real Windows platform: each member forwards to the system call of the same name.
// Compiled only for Windows targets.
#pragma once

#include "os/Platform.h"

namespace os::win32 {

class Win32Platform : public Platform {
 public:
  HDEVINFO SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND parent,
                                DWORD flags) override;
  BOOL SetupDiEnumDeviceInterfaces(HDEVINFO list, PSP_DEVINFO_DATA devInfo, const GUID* classGuid,
                                   DWORD index, PSP_DEVICE_INTERFACE_DATA data) override;
  BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO list, PSP_DEVICE_INTERFACE_DATA data,
                                        PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail,
                                        DWORD detailSize, PDWORD requiredSize,
                                        PSP_DEVINFO_DATA devInfo) override;
  BOOL SetupDiDestroyDeviceInfoList(HDEVINFO list) override;

  HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                     DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile) override;
  BOOL CloseHandle(HANDLE handle) override;
  BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD toRead, LPDWORD read,
                LPOVERLAPPED overlapped) override;
  BOOL WriteFile(HANDLE handle, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                 LPOVERLAPPED overlapped) override;
  BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID input, DWORD inputSize, LPVOID output,
                       DWORD outputSize, LPDWORD returned, LPOVERLAPPED overlapped) override;
  BOOL GetOverlappedResult(HANDLE handle, LPOVERLAPPED overlapped, LPDWORD transferred,
                           BOOL wait) override;
  BOOL CancelIo(HANDLE handle) override;
  DWORD GetFileSize(HANDLE file, LPDWORD high) override;
  BOOL DeleteFileA(LPCSTR path) override;

  HANDLE CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES security, DWORD protect,
                            DWORD maxSizeHigh, DWORD maxSizeLow, LPCSTR name) override;
  LPVOID MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow,
                       SIZE_T bytes) override;
  BOOL UnmapViewOfFile(LPCVOID view) override;

  HANDLE CreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState,
                      LPCSTR name) override;
  BOOL SetEvent(HANDLE event) override;
  BOOL ResetEvent(HANDLE event) override;
  DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) override;

  DWORD GetLastError() override;
  void SetLastError(DWORD error) override;
  void Sleep(DWORD milliseconds) override;
  DWORD GetTickCount() override;
  void GetLocalTime(LPSYSTEMTIME time) override;

  LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access,
                        PHKEY result) override;
  LSTATUS RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                           LPDWORD dataSize) override;
  LSTATUS RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classNameSize, LPDWORD reserved,
                           LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                           LPDWORD values, LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                           LPDWORD securityDescriptorSize, PFILETIME lastWriteTime) override;
  LSTATUS RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                        LPSTR className, LPDWORD classNameSize, PFILETIME lastWriteTime) override;
  LSTATUS RegCloseKey(HKEY key) override;

  BOOL OpenPrinterA(LPSTR printerName, LPHANDLE printer, LPPRINTER_DEFAULTSA defaults) override;
  DWORD StartDocPrinterA(HANDLE printer, DWORD level, LPBYTE docInfo) override;
  BOOL StartPagePrinter(HANDLE printer) override;
  BOOL WritePrinter(HANDLE printer, LPVOID buffer, DWORD count, LPDWORD written) override;
  BOOL EndPagePrinter(HANDLE printer) override;
  BOOL EndDocPrinter(HANDLE printer) override;
  BOOL ClosePrinter(HANDLE printer) override;
  BOOL GetJobA(HANDLE printer, DWORD jobId, DWORD level, LPBYTE buffer, DWORD size,
               LPDWORD needed) override;
  BOOL GetPrinterA(HANDLE printer, DWORD level, LPBYTE buffer, DWORD size,
                   LPDWORD needed) override;

  HDEVNOTIFY RegisterDeviceNotificationA(HANDLE recipient, LPVOID filter, DWORD flags) override;
  BOOL UnregisterDeviceNotification(HDEVNOTIFY notification) override;

  int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int max) override;
  DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId,
                       LPSTR buffer, DWORD size, va_list* arguments) override;
  HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) override;
  HLOCAL LocalFree(HLOCAL memory) override;
};

// The process's one Win32Platform, the default platform on Windows.
Platform& hostPlatform();

}  // namespace os::win32
