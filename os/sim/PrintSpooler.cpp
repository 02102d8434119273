#include "os/sim/PrintSpooler.h"

#include <algorithm>
#include <optional>

#include "os/sim/CaseInsensitive.h"
#include "os/sim/LastError.h"

namespace os::sim {
namespace {

constexpr std::string_view kPrintersKey =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Print\\Printers";

class Printer : public KernelObject {
 public:
  Printer(std::string queueName, std::string portName)
      : KernelObject(Closer::ClosePrinter),
        queue(std::move(queueName)),
        port(std::move(portName)) {}
  std::string queue;
  std::string port;
  std::optional<PrintJob> job;  // the document being printed
  std::vector<BYTE> data;       // its bytes, until it ends
  bool inPage = false;
};

// A text value up to its first zero byte; empty if missing.
std::string textValue(const RegistryKey& key, std::string_view name) {
  const RegistryValue* value = key.value(name);
  if (!value) return {};
  auto end = std::find(value->data.begin(), value->data.end(), BYTE{0});
  return std::string(value->data.begin(), end);
}

// The printer behind the handle if a document is started on it; null (last error set) if not.
std::shared_ptr<Printer> printerInDoc(const HandleTable& handles, HANDLE handle) {
  std::shared_ptr<Printer> printer = handles.find<Printer>(handle);
  if (!printer) {
    failWith(ERROR_INVALID_HANDLE);
  } else if (!printer->job) {
    failWith(ERROR_SPL_NO_STARTDOC);
    printer.reset();
  }
  return printer;
}

}  // namespace

BOOL PrintSpooler::openPrinter(LPSTR name, LPHANDLE printer) {
  if (!printer) return failWith(ERROR_INVALID_PARAMETER);
  *printer = nullptr;
  std::string queue = name ? name : "";
  if (std::optional<Fault> fault = faults_.check(Call::OpenPrinter, queue)) {
    return failWith(fault->error);
  }
  const RegistryKey* printers = registry_.localMachine().find(kPrintersKey);
  const RegistryKey* key = printers && !queue.empty() ? printers->subkey(queue) : nullptr;
  if (!key) return failWith(ERROR_INVALID_PRINTER_NAME);
  *printer = handles_.insert(std::make_shared<Printer>(key->name(), textValue(*key, "Port")));
  return TRUE;
}

DWORD PrintSpooler::startDoc(HANDLE handle, DWORD level, LPBYTE docInfo) {
  std::shared_ptr<Printer> printer = handles_.find<Printer>(handle);
  if (!printer) return failWith(ERROR_INVALID_HANDLE);
  if (level != 1) return failWith(ERROR_INVALID_LEVEL);
  if (!docInfo) return failWith(ERROR_INVALID_PARAMETER);
  if (printer->job) return failWith(ERROR_INVALID_PRINTER_STATE);
  if (std::optional<Fault> fault = faults_.check(Call::StartDocPrinter, printer->queue)) {
    return failWith(fault->error);
  }
  const auto* info = reinterpret_cast<const DOC_INFO_1A*>(docInfo);
  printer->job = PrintJob{printer->queue, info->pDocName ? info->pDocName : "",
                          info->pDatatype ? info->pDatatype : "RAW", 0};
  return nextJobId_++;
}

BOOL PrintSpooler::startPage(HANDLE handle) {
  std::shared_ptr<Printer> printer = printerInDoc(handles_, handle);
  if (!printer) return FALSE;
  if (printer->inPage) return failWith(ERROR_INVALID_PRINTER_STATE);
  if (std::optional<Fault> fault = faults_.check(Call::StartPagePrinter, printer->queue)) {
    return failWith(fault->error);
  }
  printer->inPage = true;
  return TRUE;
}

BOOL PrintSpooler::write(HANDLE handle, LPVOID buffer, DWORD count, LPDWORD written) {
  std::shared_ptr<Printer> printer = handles_.find<Printer>(handle);
  if (!printer) return failWith(ERROR_INVALID_HANDLE);
  if (!written || (!buffer && count)) return failWith(ERROR_INVALID_PARAMETER);
  *written = 0;
  if (!printer->job) return failWith(ERROR_SPL_NO_STARTDOC);
  if (std::optional<Fault> fault = faults_.check(Call::WritePrinter, printer->queue)) {
    if (fault->kind != Fault::Kind::Truncate) return failWith(fault->error);
    count = std::min(count, fault->bytes);
  }
  const BYTE* bytes = static_cast<const BYTE*>(buffer);
  printer->data.insert(printer->data.end(), bytes, bytes + count);
  printer->job->size += count;
  *written = count;
  return TRUE;
}

BOOL PrintSpooler::endPage(HANDLE handle) {
  std::shared_ptr<Printer> printer = printerInDoc(handles_, handle);
  if (!printer) return FALSE;
  if (!printer->inPage) return failWith(ERROR_INVALID_PRINTER_STATE);
  if (std::optional<Fault> fault = faults_.check(Call::EndPagePrinter, printer->queue)) {
    return failWith(fault->error);
  }
  printer->inPage = false;
  return TRUE;
}

// The port's sink sees a RAW job before it is recorded.
BOOL PrintSpooler::endDoc(HANDLE handle) {
  std::shared_ptr<Printer> printer = printerInDoc(handles_, handle);
  if (!printer) return FALSE;
  if (std::optional<Fault> fault = faults_.check(Call::EndDocPrinter, printer->queue)) {
    return failWith(fault->error);
  }
  PrintJob job = std::move(*printer->job);
  std::vector<BYTE> data = std::move(printer->data);
  printer->job.reset();
  printer->data = {};
  printer->inPage = false;
  auto sink = sinks_.find(upperCase(printer->port));
  if (equalsIgnoringCase(job.datatype, "RAW") && sink != sinks_.end()) sink->second(job, data);
  jobs_.push_back(std::move(job));
  return TRUE;
}

// A fault does not keep the handle: it goes as on Windows, and the result reports the failure.
BOOL PrintSpooler::close(HANDLE handle) {
  auto printer = std::static_pointer_cast<Printer>(handles_.remove(handle, Closer::ClosePrinter));
  if (!printer) return failWith(ERROR_INVALID_HANDLE);
  if (std::optional<Fault> fault = faults_.check(Call::ClosePrinter, printer->queue)) {
    return failWith(fault->error);
  }
  return TRUE;
}

void PrintSpooler::attachPort(const std::string& portName, PrintSink sink) {
  sinks_[upperCase(portName)] = std::move(sink);
}

}  // namespace os::sim
