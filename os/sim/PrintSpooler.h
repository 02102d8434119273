// The simulated print spooler. Its queues are the subkeys of the printers key of the registry,
// each sending to the port its "Port" value names. A job goes OpenPrinterA, StartDocPrinterA
// (level 1), [StartPagePrinter, WritePrinter..., EndPagePrinter]..., EndDocPrinter, ClosePrinter;
// calls out of that order fail. An ended job is recorded and waits in its queue until its port
// takes it (PrintQueues.h); a RAW one is then handed with its bytes to the port's sink. The
// record keeps the byte count only. A job still open at ClosePrinter is discarded.
//
// GetJobA (level 1) sees a job from StartDocPrinterA until it leaves the queue: being written
// (JOB_STATUS_SPOOLING), then waiting; the first in line is JOB_STATUS_PRINTING on a ready queue,
// JOB_STATUS_OFFLINE or JOB_STATUS_ERROR on an offline or failed one. GetPrinterA (level 2)
// reports the queue's state and its jobs. Machine and user names are not kept (null).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "os/sim/FaultInjector.h"
#include "os/sim/HandleTable.h"
#include "os/sim/PrintJob.h"
#include "os/sim/PrintQueues.h"
#include "os/sim/RegistryTree.h"

namespace os::sim {

class PrintSpooler {
 public:
  PrintSpooler(HandleTable& handles, const RegistryTree& registry, FaultInjector& faults,
               VirtualClock& clock)
      : handles_(handles), registry_(registry), faults_(faults), queues_(clock) {}

  BOOL openPrinter(LPSTR name, LPHANDLE printer);
  DWORD startDoc(HANDLE printer, DWORD level, LPBYTE docInfo);
  BOOL startPage(HANDLE printer);
  BOOL write(HANDLE printer, LPVOID buffer, DWORD count, LPDWORD written);
  BOOL endPage(HANDLE printer);
  BOOL endDoc(HANDLE printer);
  BOOL close(HANDLE printer);
  BOOL getJob(HANDLE printer, DWORD jobId, DWORD level, LPBYTE buffer, DWORD size,
              LPDWORD needed);
  BOOL getPrinter(HANDLE printer, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed);

  PrintQueues& queues() { return queues_; }

 private:
  // A job of a queue as GetJobA and GetPrinterA list it.
  struct ListedJob {
    const PrintJob* job;
    DWORD status;
  };
  std::vector<ListedJob> listJobs(const std::string& queue) const;

  HandleTable& handles_;
  const RegistryTree& registry_;
  FaultInjector& faults_;
  PrintQueues queues_;
  DWORD nextJobId_ = 1;
};

}  // namespace os::sim
