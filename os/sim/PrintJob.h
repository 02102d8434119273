// One job as the simulated print spooler received it, and what a port's device is handed when
// a RAW job ends.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "os/Win32.h"

namespace os::sim {

// The spooler's record keeps no bytes: a plot of hundreds of megabytes goes through it in
// jobs without staying in memory.
struct PrintJob {
  std::string queue;     // the print queue's name as opened
  std::string document;  // DOC_INFO_1A's document name
  std::string datatype;  // "RAW" unless the program named another
  uint64_t size = 0;     // the bytes written to it
};

// Called with an ended RAW job and its bytes, which live only for the call.
using PrintSink = std::function<void(const PrintJob& job, std::span<const BYTE> data)>;

}  // namespace os::sim
