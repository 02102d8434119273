// The simulated machine: a deterministic stand-in for the parts of Windows the system uses.
//
// Kernel objects live in one handle table; time is virtual and moves only when the program
// waits; host files are the host's real files and their mappings real read-only host mappings;
// device paths reach virtual devices; the registry is read-only text loaded by the test or
// world; the print spooler records every job. OVERLAPPED.Internal holds NTSTATUS values as on
// Windows (see IoManager.h). The machine is driven by one thread at a time (the system's
// dialog thread or a test), and a request completes only inside a wait: a program that polls
// without ever waiting sees no progress. The last error is kept per thread as Windows does.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "os/Platform.h"
#include "os/sim/Deadlock.h"
#include "os/sim/DeviceNotification.h"
#include "os/sim/FaultInjector.h"
#include "os/sim/PrintJob.h"
#include "os/sim/SimDevice.h"
#include "os/sim/VirtualClock.h"

namespace os::sim {

class HandleTable;

class SimMachine : public os::Platform {
 public:
  // An empty machine: no devices, empty registry, clock at 0.
  SimMachine();
  ~SimMachine() override;
  SimMachine(const SimMachine&) = delete;
  SimMachine& operator=(const SimMachine&) = delete;

  // --- Time -----------------------------------------------------------------------------------
  // Virtual milliseconds since the machine started.
  Tick now() const;
  // Runs action when the clock reaches now() + delay (virtual devices and worlds use this, e.g.
  // to power a plotter back on). It runs inside whichever wait passes that instant.
  void schedule(Tick delay, std::function<void()> action);
  // When on, every request to a device pends and completes a moment later, as on a real driver
  // (see IoManager.h); on from the start when VELKOR_SIM_PENDING is 1. Tests that time what the
  // system waits to the millisecond turn it off.
  void setDevicesAlwaysPend(bool on);
  // When on, every advance of the clock also sleeps for real (interactive demos).
  void setRealTimePacing(bool on);
  // With pacing on: what fell due while the program did not wait happens now, and the clock
  // stands at the real time (a dialog calls it before each thing the user does).
  void catchUpWithRealTime();
  // GetLocalTime starts at kFixedStartTime; from this call on it reads time now and moves on
  // with the virtual clock (a program set to the host's time shows the dates its user expects).
  void setLocalTime(LocalTime time);

  // --- Leak checks ----------------------------------------------------------------------------
  // Every kernel object handle open: files, devices, events, mappings, device lists, registry
  // keys, printers and device notifications.
  size_t openHandleCount() const;
  size_t mappedViewCount() const;
  // Blocks from LocalAlloc (and FormatMessageA's allocated buffers) not yet freed.
  size_t localAllocationCount() const;

  // --- Devices --------------------------------------------------------------------------------
  // Registers a device interface. A path without the "\\?\" prefix gets it. Adding a path again
  // (a device coming back) makes it present again, in its old place in the lists.
  void addDeviceInterface(const GUID& classGuid, const std::string& path,
                          std::shared_ptr<SimDevice> device);
  // Unplugs the device: its interfaces leave the device lists, its open handles fail from now
  // on with ERROR_DEVICE_NOT_CONNECTED and its pending requests end with that error.
  void removeDevice(const SimDevice& device);
  // The device-arrival registrations open now.
  std::vector<DeviceNotification> deviceNotifications() const;

  // --- Registry (read only to the program) ----------------------------------------------------
  // Merges .reg text ("REGEDIT4" or "Windows Registry Editor Version 5.00") into the registry.
  // On a parse error nothing is merged and *error says where.
  bool loadRegistry(std::string_view regText, std::string* error = nullptr);

  // --- Print spooler --------------------------------------------------------------------------
  // Queues are the subkeys of HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Print\Printers,
  // each with its "Port" value. Every ended job is recorded, in order, by its byte count, with
  // when it ended and when it left its queue for the port.
  const std::vector<PrintJob>& printJobs() const;
  // RAW jobs printed to a queue on this port are handed to sink, with their bytes, as they
  // reach the port.
  void attachPort(const std::string& portName, PrintSink sink);
  // How the queue treats the jobs that end from now on: its state and its print delay (a
  // queue not configured is ready, with none: a job reaches its port as it ends).
  void configureQueue(const std::string& queueName, QueueSettings settings);

  // --- Resources and faults -------------------------------------------------------------------
  // The string LoadStringA serves for id.
  void setStringResource(UINT id, std::string text);
  FaultInjector& faults();

  // --- os::Platform ---------------------------------------------------------------------------
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

 protected:
  // The kernel objects' table, for a machine whose spooler or devices live outside it.
  HandleTable& handleTable();

 private:
  struct Parts;  // the machine's subsystems, one file per concept
  std::unique_ptr<Parts> parts_;
};

// The machine os::platform() answers with off Windows until another platform is installed.
SimMachine& emptyMachine();

}  // namespace os::sim
