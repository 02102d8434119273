#include "os/sim/SimMachine.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "os/sim/DeviceNamespace.h"
#include "os/sim/DeviceSetup.h"
#include "os/sim/FileMappings.h"
#include "os/sim/HandleTable.h"
#include "os/sim/HostFile.h"
#include "os/sim/IoManager.h"
#include "os/sim/LastError.h"
#include "os/sim/LocalHeap.h"
#include "os/sim/MessageTexts.h"
#include "os/sim/PrintSpooler.h"
#include "os/sim/Registry.h"
#include "os/sim/RegistryTree.h"
#include "os/sim/SimEvent.h"
#include "os/sim/VirtualClock.h"

namespace os::sim {
namespace {

class NotificationRegistration : public KernelObject {
 public:
  explicit NotificationRegistration(DeviceNotification registered)
      : KernelObject(Closer::UnregisterDeviceNotification), notification(registered) {}
  DeviceNotification notification;
};

HANDLE failOpen(DWORD error) {
  failWith(error);
  return INVALID_HANDLE_VALUE;
}

// The instant a wait of that many milliseconds from now ends; none for INFINITE.
std::optional<Tick> deadlineAfter(Tick now, DWORD milliseconds) {
  if (milliseconds == INFINITE) return std::nullopt;
  return now + milliseconds;
}

std::string describeHandle(const void* handle) {
  return "handle " + std::to_string(reinterpret_cast<uintptr_t>(handle));
}

}  // namespace

struct SimMachine::Parts {
  explicit Parts(SimMachine& machine)
      : io(handles, clock, faults, [&machine](const SimDevice& d) { machine.removeDevice(d); }) {}

  VirtualClock clock;
  HandleTable handles;
  FaultInjector faults;
  DeviceNamespace devices;
  IoManager io;
  DeviceSetup setup{handles, devices, faults};
  FileMappings mappings{handles, faults};
  RegistryTree registryTree;
  Registry registry{handles, registryTree, faults};
  PrintSpooler spooler{handles, registryTree, faults, clock};
  LocalHeap heap;
  std::map<UINT, std::string> strings;
};

SimMachine::SimMachine() : parts_(std::make_unique<Parts>(*this)) {}
SimMachine::~SimMachine() = default;

HandleTable& SimMachine::handleTable() { return parts_->handles; }

SimMachine& emptyMachine() {
  static SimMachine machine;
  return machine;
}

// --- The machine's own interface -------------------------------------------------------------

Tick SimMachine::now() const { return parts_->clock.now(); }

void SimMachine::setDevicesAlwaysPend(bool on) { parts_->io.setDevicesAlwaysPend(on); }

void SimMachine::schedule(Tick delay, std::function<void()> action) {
  parts_->clock.schedule(now() + delay, std::move(action));
}

void SimMachine::setRealTimePacing(bool on) { parts_->clock.setRealTimePacing(on); }
void SimMachine::catchUpWithRealTime() { parts_->clock.catchUpWithRealTime(); }
void SimMachine::setLocalTime(LocalTime time) { parts_->clock.setLocalTime(time); }
size_t SimMachine::openHandleCount() const { return parts_->handles.size(); }
size_t SimMachine::mappedViewCount() const { return parts_->mappings.viewCount(); }
size_t SimMachine::localAllocationCount() const { return parts_->heap.count(); }

void SimMachine::addDeviceInterface(const GUID& classGuid, const std::string& path,
                                    std::shared_ptr<SimDevice> device) {
  parts_->devices.add(classGuid, path, std::move(device));
}

void SimMachine::removeDevice(const SimDevice& device) {
  parts_->devices.remove(device);
  for (const auto& file : parts_->handles.all<DeviceFile>()) {
    if (file->device() != &device) continue;
    file->disconnect();
    parts_->io.abortAll(*file, ERROR_DEVICE_NOT_CONNECTED);
  }
}

std::vector<DeviceNotification> SimMachine::deviceNotifications() const {
  std::vector<DeviceNotification> open;
  for (const auto& registration : parts_->handles.all<NotificationRegistration>()) {
    open.push_back(registration->notification);
  }
  return open;
}

bool SimMachine::loadRegistry(std::string_view regText, std::string* error) {
  std::optional<RegistryText> parsed = parseRegistryText(regText, error);
  if (parsed) parts_->registryTree.merge(*parsed);
  return parsed.has_value();
}

const std::vector<PrintJob>& SimMachine::printJobs() const {
  return parts_->spooler.queues().jobs();
}

void SimMachine::attachPort(const std::string& portName, PrintSink sink) {
  parts_->spooler.queues().attachPort(portName, std::move(sink));
}

void SimMachine::configureQueue(const std::string& queueName, QueueSettings settings) {
  parts_->spooler.queues().configure(queueName, settings);
}

void SimMachine::setStringResource(UINT id, std::string text) {
  parts_->strings[id] = std::move(text);
}

FaultInjector& SimMachine::faults() { return parts_->faults; }

// --- Device setup ----------------------------------------------------------------------------

HDEVINFO SimMachine::SetupDiGetClassDevsA(const GUID* classGuid, PCSTR, HWND, DWORD flags) {
  return parts_->setup.getClassDevs(classGuid, flags);
}

BOOL SimMachine::SetupDiEnumDeviceInterfaces(HDEVINFO list, PSP_DEVINFO_DATA,
                                             const GUID* classGuid, DWORD index,
                                             PSP_DEVICE_INTERFACE_DATA data) {
  return parts_->setup.enumInterfaces(list, classGuid, index, data);
}

BOOL SimMachine::SetupDiGetDeviceInterfaceDetailA(HDEVINFO list, PSP_DEVICE_INTERFACE_DATA data,
                                                  PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail,
                                                  DWORD detailSize, PDWORD requiredSize,
                                                  PSP_DEVINFO_DATA devInfo) {
  return parts_->setup.getInterfaceDetail(list, data, detail, detailSize, requiredSize, devInfo);
}

BOOL SimMachine::SetupDiDestroyDeviceInfoList(HDEVINFO list) {
  return parts_->setup.destroyList(list);
}

// --- Files and devices -----------------------------------------------------------------------

// On success the last error is 0, or ERROR_ALREADY_EXISTS where a file was replaced or reopened.
HANDLE SimMachine::CreateFileA(LPCSTR path, DWORD access, DWORD, LPSECURITY_ATTRIBUTES,
                               DWORD disposition, DWORD flagsAndAttributes, HANDLE) {
  if (!path) return failOpen(ERROR_INVALID_PARAMETER);
  std::string name = path;
  bool device = DeviceNamespace::isDevicePath(name);
  if (std::optional<Fault> fault = parts_->faults.check(Call::CreateFile, name)) {
    std::optional<DeviceNamespace::Found> found = parts_->devices.lookup(name);
    if (fault->kind != Fault::Kind::Vanish || !device || !found) return failOpen(fault->error);
    removeDevice(*found->device);
  }
  bool overlapped = (flagsAndAttributes & FILE_FLAG_OVERLAPPED) != 0;
  OpenResult opened = device ? parts_->devices.open(name, access, overlapped)
                             : HostFile::open(name, access, disposition, overlapped);
  threadLastError() = opened.error;
  if (!opened.file) return INVALID_HANDLE_VALUE;
  return parts_->handles.insert(std::move(opened.file));
}

// Closing a file object ends its pending requests, as Windows cancels them.
BOOL SimMachine::CloseHandle(HANDLE handle) {
  std::shared_ptr<KernelObject> object = parts_->handles.remove(handle, Closer::CloseHandle);
  if (!object) return failWith(ERROR_INVALID_HANDLE);
  if (auto file = std::dynamic_pointer_cast<FileObject>(object)) {
    parts_->io.abortAll(*file, ERROR_OPERATION_ABORTED);
  }
  return TRUE;
}

BOOL SimMachine::ReadFile(HANDLE handle, LPVOID buffer, DWORD toRead, LPDWORD read,
                          LPOVERLAPPED overlapped) {
  if (!buffer && toRead) return failWith(ERROR_NOACCESS);
  IoRequest request{IoRequest::Kind::Read, 0, nullptr, 0, static_cast<BYTE*>(buffer), toRead};
  return parts_->io.transfer(Call::ReadFile, handle, request, read, overlapped);
}

BOOL SimMachine::WriteFile(HANDLE handle, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                           LPOVERLAPPED overlapped) {
  if (!buffer && toWrite) return failWith(ERROR_NOACCESS);
  IoRequest request{IoRequest::Kind::Write, 0, static_cast<const BYTE*>(buffer), toWrite,
                    nullptr, 0};
  return parts_->io.transfer(Call::WriteFile, handle, request, written, overlapped);
}

BOOL SimMachine::DeviceIoControl(HANDLE device, DWORD code, LPVOID input, DWORD inputSize,
                                 LPVOID output, DWORD outputSize, LPDWORD returned,
                                 LPOVERLAPPED overlapped) {
  if ((!input && inputSize) || (!output && outputSize)) return failWith(ERROR_NOACCESS);
  IoRequest request{IoRequest::Kind::Control, code, static_cast<const BYTE*>(input), inputSize,
                    static_cast<BYTE*>(output), outputSize};
  return parts_->io.transfer(Call::DeviceIoControl, device, request, returned, overlapped);
}

BOOL SimMachine::GetOverlappedResult(HANDLE handle, LPOVERLAPPED overlapped, LPDWORD transferred,
                                     BOOL wait) {
  return parts_->io.getOverlappedResult(handle, overlapped, transferred, wait);
}

BOOL SimMachine::CancelIo(HANDLE handle) { return parts_->io.cancelIo(handle); }

// The last error is 0 on success, so that a size of INVALID_FILE_SIZE can be told apart.
DWORD SimMachine::GetFileSize(HANDLE handle, LPDWORD high) {
  std::shared_ptr<HostFile> file = parts_->handles.find<HostFile>(handle);
  DWORD error = parts_->handles.find<FileObject>(handle) ? ERROR_INVALID_FUNCTION
                                                          : ERROR_INVALID_HANDLE;
  std::optional<uint64_t> size = file ? file->size(&error) : std::nullopt;
  if (!size) {
    failWith(error);
    return INVALID_FILE_SIZE;
  }
  if (high) *high = static_cast<DWORD>(*size >> 32);
  threadLastError() = ERROR_SUCCESS;
  return static_cast<DWORD>(*size);
}

BOOL SimMachine::DeleteFileA(LPCSTR path) {
  if (!path) return failWith(ERROR_INVALID_PARAMETER);
  DWORD error = DeviceNamespace::isDevicePath(path) ? ERROR_ACCESS_DENIED : deleteHostFile(path);
  return error == ERROR_SUCCESS ? TRUE : failWith(error);
}

// --- File mapping ----------------------------------------------------------------------------

HANDLE SimMachine::CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES, DWORD protect,
                                      DWORD maxSizeHigh, DWORD maxSizeLow, LPCSTR) {
  return parts_->mappings.createMapping(file, protect, (uint64_t{maxSizeHigh} << 32) | maxSizeLow);
}

LPVOID SimMachine::MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow,
                                 SIZE_T bytes) {
  return parts_->mappings.mapView(mapping, access, (uint64_t{offsetHigh} << 32) | offsetLow,
                                  bytes);
}

BOOL SimMachine::UnmapViewOfFile(LPCVOID view) { return parts_->mappings.unmapView(view); }

// --- Events and waits ------------------------------------------------------------------------

// Names are not looked up: every call makes a new event.
HANDLE SimMachine::CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState,
                                LPCSTR) {
  return parts_->handles.insert(std::make_shared<SimEvent>(manualReset, initialState));
}

BOOL SimMachine::SetEvent(HANDLE event) {
  std::shared_ptr<SimEvent> found = parts_->handles.find<SimEvent>(event);
  if (!found) return failWith(ERROR_INVALID_HANDLE);
  found->set();
  return TRUE;
}

BOOL SimMachine::ResetEvent(HANDLE event) {
  std::shared_ptr<SimEvent> found = parts_->handles.find<SimEvent>(event);
  if (!found) return failWith(ERROR_INVALID_HANDLE);
  found->reset();
  return TRUE;
}

DWORD SimMachine::WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  std::shared_ptr<Waitable> object = parts_->handles.find<Waitable>(handle);
  if (!object) {
    failWith(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  std::optional<Tick> deadline = deadlineAfter(now(), milliseconds);
  bool signalled = parts_->io.wait([&] { return object->signalled(); }, deadline, [&] {
    return "WaitForSingleObject(INFINITE) on " + describeHandle(handle);
  });
  if (!signalled) return WAIT_TIMEOUT;
  object->consume();
  return WAIT_OBJECT_0;
}

// --- Thread and time -------------------------------------------------------------------------

DWORD SimMachine::GetLastError() { return threadLastError(); }
void SimMachine::SetLastError(DWORD error) { threadLastError() = error; }

void SimMachine::Sleep(DWORD milliseconds) {
  parts_->io.wait([] { return false; }, deadlineAfter(now(), milliseconds),
                  [] { return std::string("Sleep(INFINITE)"); });
}

DWORD SimMachine::GetTickCount() { return static_cast<DWORD>(now()); }
void SimMachine::GetLocalTime(LPSYSTEMTIME time) { *time = parts_->clock.localTime(); }

// --- Registry --------------------------------------------------------------------------------

LSTATUS SimMachine::RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM, PHKEY result) {
  return parts_->registry.openKey(key, subKey, result);
}

LSTATUS SimMachine::RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data,
                                     LPDWORD dataSize) {
  return parts_->registry.queryValue(key, name, type, data, dataSize);
}

LSTATUS SimMachine::RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classNameSize, LPDWORD,
                                     LPDWORD subKeys, LPDWORD maxSubKeyLength,
                                     LPDWORD maxClassLength, LPDWORD values,
                                     LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                                     LPDWORD securityDescriptorSize, PFILETIME lastWriteTime) {
  return parts_->registry.queryInfoKey(key, className, classNameSize, subKeys, maxSubKeyLength,
                                       maxClassLength, values, maxValueNameLength, maxValueLength,
                                       securityDescriptorSize, lastWriteTime);
}

LSTATUS SimMachine::RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD,
                                  LPSTR className, LPDWORD classNameSize,
                                  PFILETIME lastWriteTime) {
  return parts_->registry.enumKey(key, index, name, nameSize, className, classNameSize,
                                  lastWriteTime);
}

LSTATUS SimMachine::RegCloseKey(HKEY key) { return parts_->registry.closeKey(key); }

// --- Print spooler ---------------------------------------------------------------------------

BOOL SimMachine::OpenPrinterA(LPSTR printerName, LPHANDLE printer, LPPRINTER_DEFAULTSA) {
  return parts_->spooler.openPrinter(printerName, printer);
}

DWORD SimMachine::StartDocPrinterA(HANDLE printer, DWORD level, LPBYTE docInfo) {
  return parts_->spooler.startDoc(printer, level, docInfo);
}

BOOL SimMachine::StartPagePrinter(HANDLE printer) { return parts_->spooler.startPage(printer); }

BOOL SimMachine::WritePrinter(HANDLE printer, LPVOID buffer, DWORD count, LPDWORD written) {
  return parts_->spooler.write(printer, buffer, count, written);
}

BOOL SimMachine::EndPagePrinter(HANDLE printer) { return parts_->spooler.endPage(printer); }
BOOL SimMachine::EndDocPrinter(HANDLE printer) { return parts_->spooler.endDoc(printer); }
BOOL SimMachine::ClosePrinter(HANDLE printer) { return parts_->spooler.close(printer); }

BOOL SimMachine::GetJobA(HANDLE printer, DWORD jobId, DWORD level, LPBYTE buffer, DWORD size,
                         LPDWORD needed) {
  return parts_->spooler.getJob(printer, jobId, level, buffer, size, needed);
}

BOOL SimMachine::GetPrinterA(HANDLE printer, DWORD level, LPBYTE buffer, DWORD size,
                             LPDWORD needed) {
  return parts_->spooler.getPrinter(printer, level, buffer, size, needed);
}

// --- Device notification ---------------------------------------------------------------------

HDEVNOTIFY SimMachine::RegisterDeviceNotificationA(HANDLE recipient, LPVOID filter, DWORD flags) {
  const auto* wanted = static_cast<const DEV_BROADCAST_DEVICEINTERFACE_A*>(filter);
  DWORD error = ERROR_SUCCESS;
  if (!recipient || !wanted) {
    error = ERROR_INVALID_PARAMETER;
  } else if (wanted->dbcc_devicetype != DBT_DEVTYP_DEVICEINTERFACE ||
             wanted->dbcc_size < sizeof(DEV_BROADCAST_DEVICEINTERFACE_A)) {
    error = ERROR_INVALID_DATA;
  }
  if (error) {
    failWith(error);
    return nullptr;
  }
  DeviceNotification notification{recipient, wanted->dbcc_classguid, flags};
  return parts_->handles.insert(std::make_shared<NotificationRegistration>(notification));
}

BOOL SimMachine::UnregisterDeviceNotification(HDEVNOTIFY notification) {
  if (!parts_->handles.remove(notification, Closer::UnregisterDeviceNotification)) {
    return failWith(ERROR_INVALID_HANDLE);
  }
  return TRUE;
}

// --- Resources, message texts and local memory -----------------------------------------------

int SimMachine::LoadStringA(HINSTANCE, UINT id, LPSTR buffer, int max) {
  if (!buffer || max <= 0) return failWith(ERROR_INVALID_PARAMETER);
  auto found = parts_->strings.find(id);
  if (found == parts_->strings.end()) {
    buffer[0] = '\0';
    return failWith(ERROR_RESOURCE_NAME_NOT_FOUND);
  }
  size_t count = std::min(found->second.size(), static_cast<size_t>(max - 1));
  std::memcpy(buffer, found->second.data(), count);
  buffer[count] = '\0';
  return static_cast<int>(count);
}

DWORD SimMachine::FormatMessageA(DWORD flags, LPCVOID, DWORD messageId, DWORD, LPSTR buffer,
                                 DWORD size, va_list*) {
  return formatSystemMessage(flags, messageId, buffer, size, parts_->heap);
}

HLOCAL SimMachine::LocalAlloc(UINT flags, SIZE_T bytes) {
  return parts_->heap.allocate(flags, bytes);
}
HLOCAL SimMachine::LocalFree(HLOCAL memory) { return parts_->heap.free(memory); }

}  // namespace os::sim
