#include "os/win32/Win32Platform.h"

namespace os::win32 {

HDEVINFO Win32Platform::SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND parent,
                                             DWORD flags) {
  return ::SetupDiGetClassDevsA(classGuid, enumerator, parent, flags);
}
BOOL Win32Platform::SetupDiEnumDeviceInterfaces(HDEVINFO list, PSP_DEVINFO_DATA devInfo,
                                                const GUID* classGuid, DWORD index,
                                                PSP_DEVICE_INTERFACE_DATA data) {
  return ::SetupDiEnumDeviceInterfaces(list, devInfo, classGuid, index, data);
}
BOOL Win32Platform::SetupDiGetDeviceInterfaceDetailA(HDEVINFO list, PSP_DEVICE_INTERFACE_DATA data,
                                                     PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail,
                                                     DWORD detailSize, PDWORD requiredSize,
                                                     PSP_DEVINFO_DATA devInfo) {
  return ::SetupDiGetDeviceInterfaceDetailA(list, data, detail, detailSize, requiredSize, devInfo);
}
BOOL Win32Platform::SetupDiDestroyDeviceInfoList(HDEVINFO list) {
  return ::SetupDiDestroyDeviceInfoList(list);
}

HANDLE Win32Platform::CreateFileA(LPCSTR path, DWORD access, DWORD share,
                                  LPSECURITY_ATTRIBUTES security, DWORD disposition,
                                  DWORD flagsAndAttributes, HANDLE templateFile) {
  return ::CreateFileA(path, access, share, security, disposition, flagsAndAttributes,
                       templateFile);
}
BOOL Win32Platform::CloseHandle(HANDLE handle) { return ::CloseHandle(handle); }
BOOL Win32Platform::ReadFile(HANDLE handle, LPVOID buffer, DWORD toRead, LPDWORD read,
                             LPOVERLAPPED overlapped) {
  return ::ReadFile(handle, buffer, toRead, read, overlapped);
}
BOOL Win32Platform::WriteFile(HANDLE handle, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                              LPOVERLAPPED overlapped) {
  return ::WriteFile(handle, buffer, toWrite, written, overlapped);
}
BOOL Win32Platform::DeviceIoControl(HANDLE device, DWORD code, LPVOID input, DWORD inputSize,
                                    LPVOID output, DWORD outputSize, LPDWORD returned,
                                    LPOVERLAPPED overlapped) {
  return ::DeviceIoControl(device, code, input, inputSize, output, outputSize, returned,
                           overlapped);
}
BOOL Win32Platform::GetOverlappedResult(HANDLE handle, LPOVERLAPPED overlapped,
                                        LPDWORD transferred, BOOL wait) {
  return ::GetOverlappedResult(handle, overlapped, transferred, wait);
}
BOOL Win32Platform::CancelIo(HANDLE handle) { return ::CancelIo(handle); }
DWORD Win32Platform::GetFileSize(HANDLE file, LPDWORD high) { return ::GetFileSize(file, high); }
BOOL Win32Platform::DeleteFileA(LPCSTR path) { return ::DeleteFileA(path); }

HANDLE Win32Platform::CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES security,
                                         DWORD protect, DWORD maxSizeHigh, DWORD maxSizeLow,
                                         LPCSTR name) {
  return ::CreateFileMappingA(file, security, protect, maxSizeHigh, maxSizeLow, name);
}
LPVOID Win32Platform::MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh,
                                    DWORD offsetLow, SIZE_T bytes) {
  return ::MapViewOfFile(mapping, access, offsetHigh, offsetLow, bytes);
}
BOOL Win32Platform::UnmapViewOfFile(LPCVOID view) { return ::UnmapViewOfFile(view); }

HANDLE Win32Platform::CreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manualReset,
                                   BOOL initialState, LPCSTR name) {
  return ::CreateEventA(security, manualReset, initialState, name);
}
BOOL Win32Platform::SetEvent(HANDLE event) { return ::SetEvent(event); }
BOOL Win32Platform::ResetEvent(HANDLE event) { return ::ResetEvent(event); }
DWORD Win32Platform::WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  return ::WaitForSingleObject(handle, milliseconds);
}

DWORD Win32Platform::GetLastError() { return ::GetLastError(); }
void Win32Platform::SetLastError(DWORD error) { ::SetLastError(error); }
void Win32Platform::Sleep(DWORD milliseconds) { ::Sleep(milliseconds); }
DWORD Win32Platform::GetTickCount() { return ::GetTickCount(); }
void Win32Platform::GetLocalTime(LPSYSTEMTIME time) { ::GetLocalTime(time); }

LSTATUS Win32Platform::RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access,
                                     PHKEY result) {
  return ::RegOpenKeyExA(key, subKey, options, access, result);
}
LSTATUS Win32Platform::RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type,
                                        LPBYTE data, LPDWORD dataSize) {
  return ::RegQueryValueExA(key, name, reserved, type, data, dataSize);
}
LSTATUS Win32Platform::RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classNameSize,
                                        LPDWORD reserved, LPDWORD subKeys,
                                        LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                                        LPDWORD values, LPDWORD maxValueNameLength,
                                        LPDWORD maxValueLength, LPDWORD securityDescriptorSize,
                                        PFILETIME lastWriteTime) {
  return ::RegQueryInfoKeyA(key, className, classNameSize, reserved, subKeys, maxSubKeyLength,
                            maxClassLength, values, maxValueNameLength, maxValueLength,
                            securityDescriptorSize, lastWriteTime);
}
LSTATUS Win32Platform::RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize,
                                     LPDWORD reserved, LPSTR className, LPDWORD classNameSize,
                                     PFILETIME lastWriteTime) {
  return ::RegEnumKeyExA(key, index, name, nameSize, reserved, className, classNameSize,
                         lastWriteTime);
}
LSTATUS Win32Platform::RegCloseKey(HKEY key) { return ::RegCloseKey(key); }

BOOL Win32Platform::OpenPrinterA(LPSTR printerName, LPHANDLE printer,
                                 LPPRINTER_DEFAULTSA defaults) {
  return ::OpenPrinterA(printerName, printer, defaults);
}
DWORD Win32Platform::StartDocPrinterA(HANDLE printer, DWORD level, LPBYTE docInfo) {
  return ::StartDocPrinterA(printer, level, docInfo);
}
BOOL Win32Platform::StartPagePrinter(HANDLE printer) { return ::StartPagePrinter(printer); }
BOOL Win32Platform::WritePrinter(HANDLE printer, LPVOID buffer, DWORD count, LPDWORD written) {
  return ::WritePrinter(printer, buffer, count, written);
}
BOOL Win32Platform::EndPagePrinter(HANDLE printer) { return ::EndPagePrinter(printer); }
BOOL Win32Platform::EndDocPrinter(HANDLE printer) { return ::EndDocPrinter(printer); }
BOOL Win32Platform::ClosePrinter(HANDLE printer) { return ::ClosePrinter(printer); }
BOOL Win32Platform::GetJobA(HANDLE printer, DWORD jobId, DWORD level, LPBYTE buffer, DWORD size,
                            LPDWORD needed) {
  return ::GetJobA(printer, jobId, level, buffer, size, needed);
}
BOOL Win32Platform::GetPrinterA(HANDLE printer, DWORD level, LPBYTE buffer, DWORD size,
                                LPDWORD needed) {
  return ::GetPrinterA(printer, level, buffer, size, needed);
}

HDEVNOTIFY Win32Platform::RegisterDeviceNotificationA(HANDLE recipient, LPVOID filter,
                                                      DWORD flags) {
  return ::RegisterDeviceNotificationA(recipient, filter, flags);
}
BOOL Win32Platform::UnregisterDeviceNotification(HDEVNOTIFY notification) {
  return ::UnregisterDeviceNotification(notification);
}

int Win32Platform::LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int max) {
  // The string tables live in the program's own resources.
  if (instance == nullptr) instance = ::GetModuleHandleA(nullptr);
  return ::LoadStringA(instance, id, buffer, max);
}
DWORD Win32Platform::FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId,
                                    DWORD languageId, LPSTR buffer, DWORD size,
                                    va_list* arguments) {
  return ::FormatMessageA(flags, source, messageId, languageId, buffer, size, arguments);
}
HLOCAL Win32Platform::LocalAlloc(UINT flags, SIZE_T bytes) { return ::LocalAlloc(flags, bytes); }
HLOCAL Win32Platform::LocalFree(HLOCAL memory) { return ::LocalFree(memory); }

Platform& hostPlatform() {
  static Win32Platform host;
  return host;
}

}  // namespace os::win32
