// One job as the simulated print spooler received it, what a port's device is handed when a RAW
// job reaches it, and how a queue treats the jobs it holds.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "os/Win32.h"
#include "os/sim/SimDevice.h"

namespace os::sim {

// The spooler's record keeps no bytes: a plot of hundreds of megabytes goes through it in
// jobs without staying in memory.
struct PrintJob {
  std::string queue;            // the print queue's name as opened
  std::string document;         // DOC_INFO_1A's document name
  std::string datatype;         // "RAW" unless the program named another
  uint64_t size = 0;            // the bytes written to it
  DWORD id = 0;                 // as StartDocPrinterA returned it
  Tick ended = 0;               // when EndDocPrinter put it in the queue
  std::optional<Tick> printed;  // when it left the queue for its port; none while it waits
};

// Called with a RAW job as it reaches its port, and its bytes, which live only for the call.
using PrintSink = std::function<void(const PrintJob& job, std::span<const BYTE> data)>;

// What a queue does with its jobs. Ready: each goes to its port printDelay ms after it ended,
// in order, and then leaves the queue. Paused, offline, error: they stay, and GetPrinterA
// reports PRINTER_STATUS_PAUSED, _OFFLINE or _ERROR.
enum class QueueState { Ready, Paused, Offline, Error };
struct QueueSettings {
  QueueState state = QueueState::Ready;
  Tick printDelay = 0;
};

}  // namespace os::sim
