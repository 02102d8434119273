#include "os/linux/CupsQueues.h"

#include <algorithm>

namespace os::linux_platform {
namespace {

constexpr const char* kQueueAttributes[] = {"printer-name",
                                            "device-uri",
                                            "printer-state",
                                            "printer-state-reasons",
                                            "printer-is-accepting-jobs",
                                            "printer-state-message"};

void askFor(ipp_t* request) {
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                static_cast<int>(std::size(kQueueAttributes)), nullptr, kQueueAttributes);
}

// Reads one printer's attributes from attr on, up to the group's end; returns where it stopped.
ipp_attribute_t* readQueue(ipp_t* response, ipp_attribute_t* attr, CupsQueue* queue) {
  for (; attr && ippGetGroupTag(attr) == IPP_TAG_PRINTER; attr = ippNextAttribute(response)) {
    const std::string name = ippGetName(attr) ? ippGetName(attr) : "";
    if (name == "printer-name") {
      queue->name = ippGetString(attr, 0, nullptr);
    } else if (name == "device-uri") {
      queue->deviceUri = ippGetString(attr, 0, nullptr);
    } else if (name == "printer-state-message") {
      queue->message = ippGetString(attr, 0, nullptr);
    } else if (name == "printer-state") {
      queue->state = ippGetInteger(attr, 0);
    } else if (name == "printer-is-accepting-jobs") {
      queue->accepting = ippGetBoolean(attr, 0) != 0;
    } else if (name == "printer-state-reasons") {
      for (int i = 0; i < ippGetCount(attr); ++i) {
        const std::string reason = ippGetString(attr, i, nullptr);
        if (reason != "none") queue->reasons.push_back(reason);
      }
    }
  }
  return attr;
}

std::vector<CupsQueue> readQueues(ipp_t* response) {
  std::vector<CupsQueue> queues;
  ipp_attribute_t* attr = ippFirstAttribute(response);
  while (attr) {
    if (ippGetGroupTag(attr) != IPP_TAG_PRINTER) {
      attr = ippNextAttribute(response);
      continue;
    }
    CupsQueue queue;
    attr = readQueue(response, attr, &queue);
    if (!queue.name.empty()) queues.push_back(std::move(queue));
  }
  std::sort(queues.begin(), queues.end(),
            [](const CupsQueue& a, const CupsQueue& b) { return a.name < b.name; });
  return queues;
}

}  // namespace

std::optional<std::vector<CupsQueue>> listCupsQueues(const CupsServer& server) {
  UniqueHttp http = connectToCups(server);
  if (!http) return std::nullopt;
  ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
  askFor(request);
  UniqueIpp response(cupsDoRequest(http.get(), request, "/"));
  if (!response) return std::nullopt;
  // A scheduler without queues answers "not found".
  if (ippGetStatusCode(response.get()) == IPP_STATUS_ERROR_NOT_FOUND) {
    return std::vector<CupsQueue>{};
  }
  if (ippGetStatusCode(response.get()) > IPP_STATUS_OK_CONFLICTING) return std::nullopt;
  return readQueues(response.get());
}

QueueLookup findCupsQueue(http_t* http, const std::string& name, CupsQueue* queue) {
  ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
               cupsPrinterUri(name).c_str());
  askFor(request);
  UniqueIpp response(cupsDoRequest(http, request, "/"));
  if (!response) return QueueLookup::NoService;
  const ipp_status_t status = ippGetStatusCode(response.get());
  if (status == IPP_STATUS_ERROR_NOT_FOUND) return QueueLookup::Missing;
  if (status > IPP_STATUS_OK_CONFLICTING) return QueueLookup::NoService;
  std::vector<CupsQueue> found = readQueues(response.get());
  if (found.empty()) return QueueLookup::Missing;
  *queue = std::move(found.front());
  return QueueLookup::Found;
}

}  // namespace os::linux_platform
