#include "os/sim/PrintSpooler.h"

#include <algorithm>
#include <optional>

#include "os/sim/CaseInsensitive.h"
#include "os/sim/LastError.h"
#include "os/sim/SpoolerCallOrder.h"
#include "os/sim/SpoolerInfo.h"

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
  bool hasDocument() const { return job.has_value(); }
};

// A text value up to its first zero byte; empty if missing.
std::string textValue(const RegistryKey& key, std::string_view name) {
  const RegistryValue* value = key.value(name);
  if (!value) return {};
  auto end = std::find(value->data.begin(), value->data.end(), BYTE{0});
  return std::string(value->data.begin(), end);
}

// The printer a Get call asks about, if the handle is one, the level is one the call answers and
// no fault is injected; null with the last error set otherwise.
std::shared_ptr<Printer> printerAsked(const HandleTable& handles, FaultInjector& faults,
                                      HANDLE handle, Call call, bool levelAnswered) {
  std::shared_ptr<Printer> printer = handles.find<Printer>(handle);
  DWORD error = ERROR_SUCCESS;
  if (!printer) {
    error = ERROR_INVALID_HANDLE;
  } else if (!levelAnswered) {
    error = ERROR_INVALID_LEVEL;
  } else if (std::optional<Fault> fault = faults.check(call, printer->queue)) {
    error = fault->error;
  }
  if (error == ERROR_SUCCESS) return printer;
  failWith(error);
  return nullptr;
}

// What the first job in line of a queue in that state shows.
DWORD firstInLineStatus(QueueState state) {
  switch (state) {
    case QueueState::Ready: return JOB_STATUS_PRINTING;
    case QueueState::Offline: return JOB_STATUS_OFFLINE;
    case QueueState::Error: return JOB_STATUS_ERROR;
    case QueueState::Paused: break;
  }
  return 0;
}

DWORD printerStatus(QueueState state) {
  switch (state) {
    case QueueState::Paused: return PRINTER_STATUS_PAUSED;
    case QueueState::Offline: return PRINTER_STATUS_OFFLINE;
    case QueueState::Error: return PRINTER_STATUS_ERROR;
    case QueueState::Ready: break;
  }
  return 0;
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
  const DWORD refusal =
      startDocRefusal(printer != nullptr, level, docInfo, printer && printer->job);
  if (refusal != ERROR_SUCCESS) return failWith(refusal);
  if (std::optional<Fault> fault = faults_.check(Call::StartDocPrinter, printer->queue)) {
    return failWith(fault->error);
  }
  const auto* info = reinterpret_cast<const DOC_INFO_1A*>(docInfo);
  PrintJob& job = printer->job.emplace();
  job.queue = printer->queue;
  job.document = info->pDocName ? info->pDocName : "";
  job.datatype = info->pDatatype ? info->pDatatype : "RAW";
  job.id = nextJobId_++;
  return job.id;
}

BOOL PrintSpooler::startPage(HANDLE handle) {
  std::shared_ptr<Printer> printer = printerInDoc<Printer>(handles_, handle);
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
  const DWORD refusal =
      writeRefusal(printer != nullptr, buffer, count, written, printer && printer->job);
  if (refusal != ERROR_SUCCESS) return failWith(refusal);
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
  std::shared_ptr<Printer> printer = printerInDoc<Printer>(handles_, handle);
  if (!printer) return FALSE;
  if (!printer->inPage) return failWith(ERROR_INVALID_PRINTER_STATE);
  if (std::optional<Fault> fault = faults_.check(Call::EndPagePrinter, printer->queue)) {
    return failWith(fault->error);
  }
  printer->inPage = false;
  return TRUE;
}

BOOL PrintSpooler::endDoc(HANDLE handle) {
  std::shared_ptr<Printer> printer = printerInDoc<Printer>(handles_, handle);
  if (!printer) return FALSE;
  if (std::optional<Fault> fault = faults_.check(Call::EndDocPrinter, printer->queue)) {
    return failWith(fault->error);
  }
  PrintJob job = std::move(*printer->job);
  std::vector<BYTE> data = std::move(printer->data);
  printer->job.reset();
  printer->data = {};
  printer->inPage = false;
  queues_.add(std::move(job), printer->port, std::move(data));
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

BOOL PrintSpooler::getJob(HANDLE handle, DWORD jobId, DWORD level, LPBYTE buffer, DWORD size,
                          LPDWORD needed) {
  std::shared_ptr<Printer> printer =
      printerAsked(handles_, faults_, handle, Call::GetJob, level == 1);
  if (!printer) return FALSE;
  const std::vector<ListedJob> listed = listJobs(printer->queue);
  auto found = std::find_if(listed.begin(), listed.end(),
                            [jobId](const ListedJob& each) { return each.job->id == jobId; });
  if (found == listed.end()) return failWith(ERROR_INVALID_PARAMETER);
  JOB_INFO_1A info{};
  info.JobId = jobId;
  info.Status = found->status;
  info.Priority = 1;
  info.Position = static_cast<DWORD>(found - listed.begin() + 1);
  info.TotalPages = 1;
  const PrintJob& job = *found->job;
  return placeInfo(info,
                   {{&JOB_INFO_1A::pPrinterName, printer->queue},
                    {&JOB_INFO_1A::pDocument, job.document},
                    {&JOB_INFO_1A::pDatatype, job.datatype}},
                   buffer, size, needed);
}

BOOL PrintSpooler::getPrinter(HANDLE handle, DWORD level, LPBYTE buffer, DWORD size,
                              LPDWORD needed) {
  std::shared_ptr<Printer> printer =
      printerAsked(handles_, faults_, handle, Call::GetPrinter, level == 2);
  if (!printer) return FALSE;
  PRINTER_INFO_2A info{};
  info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
  info.Priority = 1;
  info.Status = printerStatus(queues_.settings(printer->queue).state);
  info.cJobs = static_cast<DWORD>(listJobs(printer->queue).size());
  return placeInfo(info,
                   {{&PRINTER_INFO_2A::pPrinterName, printer->queue},
                    {&PRINTER_INFO_2A::pPortName, printer->port},
                    {&PRINTER_INFO_2A::pDatatype, "RAW"}},
                   buffer, size, needed);
}

std::vector<PrintSpooler::ListedJob> PrintSpooler::listJobs(const std::string& queue) const {
  std::vector<ListedJob> listed;
  const QueueState state = queues_.settings(queue).state;
  for (const PrintJob* job : queues_.waiting(queue)) {
    listed.push_back({job, listed.empty() ? firstInLineStatus(state) : 0});
  }
  for (const auto& open : handles_.all<Printer>()) {
    if (open->job && equalsIgnoringCase(open->queue, queue)) {
      listed.push_back({&*open->job, JOB_STATUS_SPOOLING});
    }
  }
  return listed;
}

}  // namespace os::sim
