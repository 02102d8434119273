// One job as the simulated print spooler received it.
#pragma once

#include <string>
#include <vector>

#include "os/Win32.h"

namespace os::sim {

struct PrintJob {
  std::string queue;     // the print queue's name as opened
  std::string document;  // DOC_INFO_1A's document name
  std::string datatype;  // "RAW" unless the program named another
  std::vector<BYTE> data;
};

}  // namespace os::sim
