// The print queues (destinations) of a CUPS scheduler, as the Linux platform reads them to
// build the printers' registry keys and to answer GetPrinterA.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "os/linux/CupsConnection.h"

namespace os::linux_platform {

struct CupsQueue {
  std::string name;
  std::string deviceUri;             // "usb://Maker/Model?serial=...", "ipp://...", ...
  int state = IPP_PSTATE_IDLE;       // printer-state: idle, processing or stopped
  std::vector<std::string> reasons;  // printer-state-reasons, "none" left out
  bool accepting = true;             // printer-is-accepting-jobs
  std::string message;               // printer-state-message
};

// Every queue of the scheduler, in name order; none when no scheduler answers ("no print
// service"), which is not the same as a scheduler without queues (an empty list).
std::optional<std::vector<CupsQueue>> listCupsQueues(const CupsServer& server);

enum class QueueLookup { Found, Missing, NoService };
// One queue asked over an open connection.
QueueLookup findCupsQueue(http_t* http, const std::string& name, CupsQueue* queue);

}  // namespace os::linux_platform
