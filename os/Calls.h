// Thin forwarders to the platform in use, so that core code reads like the Windows calls it
// makes: os::CreateFileA(...), os::DeviceIoControl(...). See os/Platform.h for each contract.
#pragma once

#include "os/Platform.h"

namespace os {

inline HDEVINFO SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND parent,
                                     DWORD flags) {
  return platform().SetupDiGetClassDevsA(classGuid, enumerator, parent, flags);
}
inline BOOL SetupDiEnumDeviceInterfaces(HDEVINFO list, PSP_DEVINFO_DATA devInfo,
                                        const GUID* classGuid, DWORD index,
                                        PSP_DEVICE_INTERFACE_DATA data) {
  return platform().SetupDiEnumDeviceInterfaces(list, devInfo, classGuid, index, data);
}
inline BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO list, PSP_DEVICE_INTERFACE_DATA data,
                                             PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail,
                                             DWORD detailSize, PDWORD requiredSize,
                                             PSP_DEVINFO_DATA devInfo) {
  return platform().SetupDiGetDeviceInterfaceDetailA(list, data, detail, detailSize, requiredSize,
                                                     devInfo);
}
inline BOOL SetupDiDestroyDeviceInfoList(HDEVINFO list) {
  return platform().SetupDiDestroyDeviceInfoList(list);
}
inline HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile) {
  return platform().CreateFileA(path, access, share, security, disposition, flagsAndAttributes,
                                templateFile);
}
inline BOOL CloseHandle(HANDLE handle) { return platform().CloseHandle(handle); }
inline BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD toRead, LPDWORD read,
                     LPOVERLAPPED overlapped) {
  return platform().ReadFile(handle, buffer, toRead, read, overlapped);
}
inline BOOL WriteFile(HANDLE handle, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                      LPOVERLAPPED overlapped) {
  return platform().WriteFile(handle, buffer, toWrite, written, overlapped);
}
inline BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID input, DWORD inputSize, LPVOID output,
                            DWORD outputSize, LPDWORD returned, LPOVERLAPPED overlapped) {
  return platform().DeviceIoControl(device, code, input, inputSize, output, outputSize, returned,
                                    overlapped);
}
inline BOOL GetOverlappedResult(HANDLE handle, LPOVERLAPPED overlapped, LPDWORD transferred,
                                BOOL wait) {
  return platform().GetOverlappedResult(handle, overlapped, transferred, wait);
}
inline BOOL CancelIo(HANDLE handle) { return platform().CancelIo(handle); }
inline DWORD GetFileSize(HANDLE file, LPDWORD high) { return platform().GetFileSize(file, high); }
inline BOOL DeleteFileA(LPCSTR path) { return platform().DeleteFileA(path); }
inline HANDLE CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES security, DWORD protect,
                                 DWORD maxSizeHigh, DWORD maxSizeLow, LPCSTR name) {
  return platform().CreateFileMappingA(file, security, protect, maxSizeHigh, maxSizeLow, name);
}
inline LPVOID MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow,
                            SIZE_T bytes) {
  return platform().MapViewOfFile(mapping, access, offsetHigh, offsetLow, bytes);
}
inline BOOL UnmapViewOfFile(LPCVOID view) { return platform().UnmapViewOfFile(view); }
inline HANDLE CreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState,
                           LPCSTR name) {
  return platform().CreateEventA(security, manualReset, initialState, name);
}
inline BOOL SetEvent(HANDLE event) { return platform().SetEvent(event); }
inline BOOL ResetEvent(HANDLE event) { return platform().ResetEvent(event); }
inline DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  return platform().WaitForSingleObject(handle, milliseconds);
}
inline DWORD GetLastError() { return platform().GetLastError(); }
inline void SetLastError(DWORD error) { platform().SetLastError(error); }
inline void Sleep(DWORD milliseconds) { platform().Sleep(milliseconds); }
inline DWORD GetTickCount() { return platform().GetTickCount(); }
inline void GetLocalTime(LPSYSTEMTIME time) { platform().GetLocalTime(time); }
inline LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result) {
  return platform().RegOpenKeyExA(key, subKey, options, access, result);
}
inline LSTATUS RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                LPDWORD dataSize) {
  return platform().RegQueryValueExA(key, name, reserved, type, data, dataSize);
}
inline LSTATUS RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classNameSize, LPDWORD reserved,
                                LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                                LPDWORD values, LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                                LPDWORD securityDescriptorSize, PFILETIME lastWriteTime) {
  return platform().RegQueryInfoKeyA(key, className, classNameSize, reserved, subKeys,
                                     maxSubKeyLength, maxClassLength, values, maxValueNameLength,
                                     maxValueLength, securityDescriptorSize, lastWriteTime);
}
inline LSTATUS RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                             LPSTR className, LPDWORD classNameSize, PFILETIME lastWriteTime) {
  return platform().RegEnumKeyExA(key, index, name, nameSize, reserved, className, classNameSize,
                                  lastWriteTime);
}
inline LSTATUS RegCloseKey(HKEY key) { return platform().RegCloseKey(key); }
inline BOOL OpenPrinterA(LPSTR printerName, LPHANDLE printer, LPPRINTER_DEFAULTSA defaults) {
  return platform().OpenPrinterA(printerName, printer, defaults);
}
inline DWORD StartDocPrinterA(HANDLE printer, DWORD level, LPBYTE docInfo) {
  return platform().StartDocPrinterA(printer, level, docInfo);
}
inline BOOL StartPagePrinter(HANDLE printer) { return platform().StartPagePrinter(printer); }
inline BOOL WritePrinter(HANDLE printer, LPVOID buffer, DWORD count, LPDWORD written) {
  return platform().WritePrinter(printer, buffer, count, written);
}
inline BOOL EndPagePrinter(HANDLE printer) { return platform().EndPagePrinter(printer); }
inline BOOL EndDocPrinter(HANDLE printer) { return platform().EndDocPrinter(printer); }
inline BOOL ClosePrinter(HANDLE printer) { return platform().ClosePrinter(printer); }
inline BOOL GetJobA(HANDLE printer, DWORD jobId, DWORD level, LPBYTE buffer, DWORD size,
                    LPDWORD needed) {
  return platform().GetJobA(printer, jobId, level, buffer, size, needed);
}
inline BOOL GetPrinterA(HANDLE printer, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed) {
  return platform().GetPrinterA(printer, level, buffer, size, needed);
}
inline HDEVNOTIFY RegisterDeviceNotificationA(HANDLE recipient, LPVOID filter, DWORD flags) {
  return platform().RegisterDeviceNotificationA(recipient, filter, flags);
}
inline BOOL UnregisterDeviceNotification(HDEVNOTIFY notification) {
  return platform().UnregisterDeviceNotification(notification);
}
inline int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int max) {
  return platform().LoadStringA(instance, id, buffer, max);
}
inline DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId,
                            LPSTR buffer, DWORD size, va_list* arguments) {
  return platform().FormatMessageA(flags, source, messageId, languageId, buffer, size, arguments);
}
inline HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) { return platform().LocalAlloc(flags, bytes); }
inline HLOCAL LocalFree(HLOCAL memory) { return platform().LocalFree(memory); }

}  // namespace os
