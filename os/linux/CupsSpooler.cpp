#include "os/linux/CupsSpooler.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "os/sim/LastError.h"
#include "os/sim/SpoolerCallOrder.h"
#include "os/sim/SpoolerInfo.h"

namespace os::linux_platform {
namespace {

using os::sim::failWith;

// The document being sent on a printer handle: its job and the connection that streams it.
struct OpenDocument {
  int jobId = 0;
  std::string name;
  UniqueHttp stream;
  bool inPage = false;
};

class Printer : public os::sim::KernelObject {
 public:
  Printer(CupsQueue asked, UniqueHttp connection)
      : KernelObject(os::sim::Closer::ClosePrinter),
        queue(std::move(asked)),
        http(std::move(connection)) {}
  CupsQueue queue;
  UniqueHttp http;
  std::optional<OpenDocument> doc;
  bool hasDocument() const { return doc.has_value(); }
};

// The last error a failed IPP exchange leaves: an unknown queue is an invalid name; a queue
// that takes no jobs is in the wrong state; any other refusal of the request is a general
// failure; a scheduler that failed or did not answer is a spooler that is not there.
DWORD ippFailure() {
  const ipp_status_t status = cupsLastError();
  if (status == IPP_STATUS_ERROR_NOT_FOUND) return ERROR_INVALID_PRINTER_NAME;
  if (status == IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS) return ERROR_INVALID_PRINTER_STATE;
  const bool refused = status >= IPP_STATUS_ERROR_BAD_REQUEST && status < IPP_STATUS_ERROR_INTERNAL;
  return refused ? ERROR_GEN_FAILURE : RPC_S_SERVER_UNAVAILABLE;
}

bool hasReason(const std::vector<std::string>& reasons, std::string_view word) {
  return std::any_of(reasons.begin(), reasons.end(), [word](const std::string& reason) {
    return reason.compare(0, word.size(), word) == 0;
  });
}

bool endsWith(const std::string& text, std::string_view tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// A job as CUPS describes it; none with the last error set when CUPS cannot be asked.
struct CupsJob {
  int state = 0;
  std::vector<std::string> reasons;
  std::string name;
  std::string printerUri;
};

void readJob(ipp_t* response, CupsJob* job) {
  for (ipp_attribute_t* a = ippFirstAttribute(response); a; a = ippNextAttribute(response)) {
    const std::string name = ippGetName(a) ? ippGetName(a) : "";
    if (name == "job-state") job->state = ippGetInteger(a, 0);
    if (name == "job-name") job->name = ippGetString(a, 0, nullptr);
    if (name == "job-printer-uri") job->printerUri = ippGetString(a, 0, nullptr);
    if (name == "job-state-reasons") {
      for (int i = 0; i < ippGetCount(a); ++i) job->reasons.push_back(ippGetString(a, i, nullptr));
    }
  }
}

// The job as CUPS has it: *known false when CUPS knows no such job; none when CUPS could not
// be asked.
std::optional<CupsJob> askJob(http_t* http, int jobId, bool* known) {
  constexpr const char* kAttributes[] = {"job-state", "job-state-reasons", "job-name",
                                         "job-printer-uri"};
  ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
               "ipp://localhost/");
  ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                static_cast<int>(std::size(kAttributes)), nullptr, kAttributes);
  UniqueIpp response(cupsDoRequest(http, request, "/"));
  *known = response && ippGetStatusCode(response.get()) <= IPP_STATUS_OK_CONFLICTING;
  if (!response || (!*known && cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND)) {
    return std::nullopt;
  }
  CupsJob job;
  readJob(response.get(), &job);
  return job;
}

// The queue's jobs that have not ended, oldest first.
std::vector<int> activeJobs(http_t* http, const std::string& queue) {
  cups_job_t* jobs = nullptr;
  const int count = cupsGetJobs2(http, &jobs, queue.c_str(), 0, CUPS_WHICHJOBS_ACTIVE);
  std::vector<int> ids;
  for (int i = 0; i < count; ++i) ids.push_back(jobs[i].id);
  cupsFreeJobs(count, jobs);
  std::sort(ids.begin(), ids.end());
  return ids;
}

// A job being sent on any handle is spooling; any other is as CUPS says. ERROR_SUCCESS, or
// ERROR_INVALID_PARAMETER for a job the queue does not list (never was, or has ended).
DWORD lookAtJob(const os::sim::HandleTable& handles, const Printer& printer, DWORD jobId,
                DWORD* status, std::string* document) {
  for (const auto& open : handles.all<Printer>()) {
    if (open->doc && static_cast<DWORD>(open->doc->jobId) == jobId) {
      *status = JOB_STATUS_SPOOLING;
      *document = open->doc->name;
      return ERROR_SUCCESS;
    }
  }
  bool known = false;
  const std::optional<CupsJob> job = askJob(printer.http.get(), static_cast<int>(jobId), &known);
  if (!job) return RPC_S_SERVER_UNAVAILABLE;
  const bool ours = endsWith(job->printerUri, "/printers/" + printer.queue.name);
  const bool ended = job->state == IPP_JSTATE_COMPLETED || job->state == IPP_JSTATE_CANCELED;
  if (!known || !ours || ended) return ERROR_INVALID_PARAMETER;
  *status = jobStatusOf(job->state, job->reasons);
  *document = job->name;
  return ERROR_SUCCESS;
}

}  // namespace

DWORD jobStatusOf(int jobState, const std::vector<std::string>& jobReasons) {
  switch (jobState) {
    case IPP_JSTATE_PENDING:
      return hasReason(jobReasons, "job-incoming") ? JOB_STATUS_SPOOLING : 0;
    case IPP_JSTATE_HELD: return JOB_STATUS_PAUSED;
    case IPP_JSTATE_PROCESSING: return JOB_STATUS_PRINTING;
    // A stopped job waits for its printer; an aborted one will never print.
    case IPP_JSTATE_STOPPED:
    case IPP_JSTATE_ABORTED: return JOB_STATUS_ERROR;
    default: break;
  }
  return JOB_STATUS_COMPLETE;
}

DWORD printerStatusOf(const CupsQueue& queue) {
  DWORD status = 0;
  if (hasReason(queue.reasons, "offline")) status |= PRINTER_STATUS_OFFLINE;
  for (const std::string& reason : queue.reasons) {
    if (endsWith(reason, "-error")) status |= PRINTER_STATUS_ERROR;
  }
  // CUPS marks "paused" also a printer that its backend stopped, and keeps the backend's last
  // error as the printer's message; a printer paused by hand says "Paused" (or nothing).
  if (queue.state == IPP_PSTATE_STOPPED) {
    const bool byHand = hasReason(queue.reasons, "paused") && status == 0 &&
                        (queue.message.empty() || queue.message == "Paused");
    status |= byHand ? PRINTER_STATUS_PAUSED : PRINTER_STATUS_ERROR;
  }
  return status;
}

BOOL CupsSpooler::openPrinter(LPSTR name, LPHANDLE printer) {
  if (!printer) return failWith(ERROR_INVALID_PARAMETER);
  *printer = nullptr;
  const std::string queueName = name ? name : "";
  if (queueName.empty()) return failWith(ERROR_INVALID_PRINTER_NAME);
  UniqueHttp http = connectToCups(server_);
  if (!http) return failWith(RPC_S_SERVER_UNAVAILABLE);
  CupsQueue queue;
  switch (findCupsQueue(http.get(), queueName, &queue)) {
    case QueueLookup::Missing: return failWith(ERROR_INVALID_PRINTER_NAME);
    case QueueLookup::NoService: return failWith(RPC_S_SERVER_UNAVAILABLE);
    case QueueLookup::Found: break;
  }
  *printer = handles_.insert(std::make_shared<Printer>(std::move(queue), std::move(http)));
  return TRUE;
}

DWORD CupsSpooler::startDoc(HANDLE handle, DWORD level, LPBYTE docInfo) {
  std::shared_ptr<Printer> printer = handles_.find<Printer>(handle);
  const DWORD refusal =
      os::sim::startDocRefusal(printer != nullptr, level, docInfo, printer && printer->doc);
  if (refusal != ERROR_SUCCESS) return failWith(refusal);
  const auto* info = reinterpret_cast<const DOC_INFO_1A*>(docInfo);
  const std::string title = info->pDocName ? info->pDocName : "";
  UniqueHttp stream = connectToCups(server_);
  if (!stream) return failWith(RPC_S_SERVER_UNAVAILABLE);
  const char* queue = printer->queue.name.c_str();
  const int jobId = cupsCreateJob(stream.get(), queue, title.c_str(), 0, nullptr);
  if (jobId <= 0) return failWith(ippFailure());
  if (cupsStartDocument(stream.get(), queue, jobId, title.c_str(), CUPS_FORMAT_RAW, 1) !=
      HTTP_STATUS_CONTINUE) {
    const DWORD error = ippFailure();
    cupsCancelJob2(printer->http.get(), queue, jobId, 1);
    return failWith(error);
  }
  printer->doc = OpenDocument{jobId, title, std::move(stream), false};
  return static_cast<DWORD>(jobId);
}

BOOL CupsSpooler::startPage(HANDLE handle) {
  std::shared_ptr<Printer> printer = os::sim::printerInDoc<Printer>(handles_, handle);
  if (!printer) return FALSE;
  if (printer->doc->inPage) return failWith(ERROR_INVALID_PRINTER_STATE);
  printer->doc->inPage = true;
  return TRUE;
}

BOOL CupsSpooler::write(HANDLE handle, LPVOID buffer, DWORD count, LPDWORD written) {
  std::shared_ptr<Printer> printer = handles_.find<Printer>(handle);
  const DWORD refusal =
      os::sim::writeRefusal(printer != nullptr, buffer, count, written, printer && printer->doc);
  if (refusal != ERROR_SUCCESS) return failWith(refusal);
  if (count == 0) return TRUE;
  if (cupsWriteRequestData(printer->doc->stream.get(), static_cast<const char*>(buffer), count) !=
      HTTP_STATUS_CONTINUE) {
    return failWith(RPC_S_SERVER_UNAVAILABLE);
  }
  *written = count;
  return TRUE;
}

BOOL CupsSpooler::endPage(HANDLE handle) {
  std::shared_ptr<Printer> printer = os::sim::printerInDoc<Printer>(handles_, handle);
  if (!printer) return FALSE;
  if (!printer->doc->inPage) return failWith(ERROR_INVALID_PRINTER_STATE);
  printer->doc->inPage = false;
  return TRUE;
}

BOOL CupsSpooler::endDoc(HANDLE handle) {
  std::shared_ptr<Printer> printer = os::sim::printerInDoc<Printer>(handles_, handle);
  if (!printer) return FALSE;
  OpenDocument doc = std::move(*printer->doc);
  printer->doc.reset();
  if (cupsFinishDocument(doc.stream.get(), printer->queue.name.c_str()) >
      IPP_STATUS_OK_CONFLICTING) {
    const DWORD error = ippFailure();
    cupsCancelJob2(printer->http.get(), printer->queue.name.c_str(), doc.jobId, 1);
    return failWith(error);
  }
  return TRUE;
}

BOOL CupsSpooler::close(HANDLE handle) {
  auto printer = std::static_pointer_cast<Printer>(
      handles_.remove(handle, os::sim::Closer::ClosePrinter));
  if (!printer) return failWith(ERROR_INVALID_HANDLE);
  // A document never ended does not print, as on Windows.
  if (printer->doc) {
    printer->doc->stream.reset();
    cupsCancelJob2(printer->http.get(), printer->queue.name.c_str(), printer->doc->jobId, 1);
  }
  return TRUE;
}

BOOL CupsSpooler::getJob(HANDLE handle, DWORD jobId, DWORD level, LPBYTE buffer, DWORD size,
                         LPDWORD needed) {
  std::shared_ptr<Printer> printer = handles_.find<Printer>(handle);
  if (!printer) return failWith(ERROR_INVALID_HANDLE);
  if (level != 1) return failWith(ERROR_INVALID_LEVEL);
  JOB_INFO_1A info{};
  info.JobId = jobId;
  info.Priority = 1;
  info.TotalPages = 1;
  std::string document;
  if (const DWORD error = lookAtJob(handles_, *printer, jobId, &info.Status, &document)) {
    return failWith(error);
  }
  const std::vector<int> waiting = activeJobs(printer->http.get(), printer->queue.name);
  auto place = std::find(waiting.begin(), waiting.end(), static_cast<int>(jobId));
  info.Position = static_cast<DWORD>(place - waiting.begin() + 1);
  return os::sim::placeInfo(info,
                            {{&JOB_INFO_1A::pPrinterName, printer->queue.name},
                             {&JOB_INFO_1A::pDocument, document},
                             {&JOB_INFO_1A::pDatatype, "RAW"}},
                            buffer, size, needed);
}

BOOL CupsSpooler::getPrinter(HANDLE handle, DWORD level, LPBYTE buffer, DWORD size,
                             LPDWORD needed) {
  std::shared_ptr<Printer> printer = handles_.find<Printer>(handle);
  if (!printer) return failWith(ERROR_INVALID_HANDLE);
  if (level != 2) return failWith(ERROR_INVALID_LEVEL);
  CupsQueue queue;
  switch (findCupsQueue(printer->http.get(), printer->queue.name, &queue)) {
    case QueueLookup::Missing: return failWith(ERROR_INVALID_PRINTER_NAME);
    case QueueLookup::NoService: return failWith(RPC_S_SERVER_UNAVAILABLE);
    case QueueLookup::Found: break;
  }
  PRINTER_INFO_2A info{};
  info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
  info.Priority = 1;
  info.Status = printerStatusOf(queue);
  info.cJobs = static_cast<DWORD>(activeJobs(printer->http.get(), queue.name).size());
  return os::sim::placeInfo(info,
                            {{&PRINTER_INFO_2A::pPrinterName, queue.name},
                             {&PRINTER_INFO_2A::pPortName, portOf_(queue)},
                             {&PRINTER_INFO_2A::pDatatype, "RAW"}},
                            buffer, size, needed);
}

size_t CupsSpooler::openPrinterCount() const { return handles_.all<Printer>().size(); }

}  // namespace os::linux_platform
