// The simulated print spooler. Its queues are the subkeys of the printers key of the registry,
// each sending to the port its "Port" value names. A job goes OpenPrinterA, StartDocPrinterA
// (level 1), [StartPagePrinter, WritePrinter..., EndPagePrinter]..., EndDocPrinter, ClosePrinter;
// calls out of that order fail. An ended job is recorded and, if RAW, handed with its bytes to
// its port's sink; the record keeps the byte count only. A job still open at ClosePrinter is
// discarded.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "os/sim/FaultInjector.h"
#include "os/sim/HandleTable.h"
#include "os/sim/PrintJob.h"
#include "os/sim/RegistryTree.h"

namespace os::sim {

class PrintSpooler {
 public:
  PrintSpooler(HandleTable& handles, const RegistryTree& registry, FaultInjector& faults)
      : handles_(handles), registry_(registry), faults_(faults) {}

  BOOL openPrinter(LPSTR name, LPHANDLE printer);
  DWORD startDoc(HANDLE printer, DWORD level, LPBYTE docInfo);
  BOOL startPage(HANDLE printer);
  BOOL write(HANDLE printer, LPVOID buffer, DWORD count, LPDWORD written);
  BOOL endPage(HANDLE printer);
  BOOL endDoc(HANDLE printer);
  BOOL close(HANDLE printer);

  const std::vector<PrintJob>& jobs() const { return jobs_; }
  void attachPort(const std::string& portName, PrintSink sink);

 private:
  HandleTable& handles_;
  const RegistryTree& registry_;
  FaultInjector& faults_;
  std::vector<PrintJob> jobs_;
  std::map<std::string, PrintSink> sinks_;  // by upper-cased port name
  DWORD nextJobId_ = 1;
};

}  // namespace os::sim
