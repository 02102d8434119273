// The print spooler of the Linux machine: the Windows printer calls carried out as CUPS jobs.
//
// OpenPrinterA opens a connection to the scheduler for a queue that exists there.
// StartDocPrinterA creates a job (the document name is its title) and starts its one document,
// of format application/vnd.cups-raw, on a second connection; WritePrinter streams the bytes;
// EndDocPrinter finishes the document. A document still open at ClosePrinter is canceled, as
// the simulated spooler discards it. The call order rules and the last errors are those of
// os/sim/PrintSpooler.
//
// GetJobA (level 1) and GetPrinterA (level 2) answer from the job's and the printer's
// attributes, with the statuses that plotter/PrintJobFollow reads as the simulated spooler's:
// a completed or canceled job has left the queue (ERROR_INVALID_PARAMETER); a job being sent
// is spooling, a processing one printing, a held one paused, a stopped or aborted one in
// error; a stopped printer is paused when it was paused (cupsdisable: its message is
// "Paused"), else in error (its backend stopped it, and its message says why);
// offline-report shows offline; an "-error" reason shows an error.
//
// Printer handles live in the machine's handle table, so that its count shows a leak and no
// value collides with another object's.
#pragma once

#include <functional>
#include <string>

#include "os/Win32.h"
#include "os/linux/CupsConnection.h"
#include "os/linux/CupsQueues.h"
#include "os/sim/HandleTable.h"

namespace os::linux_platform {

class CupsSpooler {
 public:
  // portOf names a queue's port for PRINTER_INFO_2A (the registry's "Port" value).
  using PortName = std::function<std::string(const CupsQueue& queue)>;
  CupsSpooler(os::sim::HandleTable& handles, CupsServer server, PortName portOf)
      : handles_(handles), server_(std::move(server)), portOf_(std::move(portOf)) {}

  BOOL openPrinter(LPSTR name, LPHANDLE printer);
  DWORD startDoc(HANDLE printer, DWORD level, LPBYTE docInfo);
  BOOL startPage(HANDLE printer);
  BOOL write(HANDLE printer, LPVOID buffer, DWORD count, LPDWORD written);
  BOOL endPage(HANDLE printer);
  BOOL endDoc(HANDLE printer);
  BOOL close(HANDLE printer);
  BOOL getJob(HANDLE printer, DWORD jobId, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed);
  BOOL getPrinter(HANDLE printer, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed);

  // The printer handles open now.
  size_t openPrinterCount() const;

 private:
  os::sim::HandleTable& handles_;
  CupsServer server_;
  PortName portOf_;
};

// The statuses the spooler reports, from CUPS's words.
DWORD jobStatusOf(int jobState, const std::vector<std::string>& jobReasons);
DWORD printerStatusOf(const CupsQueue& queue);

}  // namespace os::linux_platform
