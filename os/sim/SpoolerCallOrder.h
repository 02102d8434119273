// The order rules of the printer calls, as Windows enforces them, shared by every spooler of
// the machine (the simulated one and the Linux machine's over CUPS), so that both refuse the
// same calls with the same errors.
#pragma once

#include <memory>

#include "os/Win32.h"
#include "os/sim/HandleTable.h"
#include "os/sim/LastError.h"

namespace os::sim {

// Why StartDocPrinterA refuses to start a document (ERROR_SUCCESS: it does not).
inline DWORD startDocRefusal(bool validHandle, DWORD level, LPBYTE docInfo, bool docOpen) {
  if (!validHandle) return ERROR_INVALID_HANDLE;
  if (level != 1) return ERROR_INVALID_LEVEL;
  if (!docInfo) return ERROR_INVALID_PARAMETER;
  if (docOpen) return ERROR_INVALID_PRINTER_STATE;
  return ERROR_SUCCESS;
}

// Why WritePrinter refuses to write (ERROR_SUCCESS: it does not). Once the arguments are
// sound, *written is 0 until bytes are taken.
inline DWORD writeRefusal(bool validHandle, LPVOID buffer, DWORD count, LPDWORD written,
                          bool docOpen) {
  if (!validHandle) return ERROR_INVALID_HANDLE;
  if (!written || (!buffer && count)) return ERROR_INVALID_PARAMETER;
  *written = 0;
  if (!docOpen) return ERROR_SPL_NO_STARTDOC;
  return ERROR_SUCCESS;
}

// The printer (a Printer kept in handles) behind the handle if a document is started on it
// (printer->hasDocument()); null with the last error set if not.
template <typename Printer>
std::shared_ptr<Printer> printerInDoc(const HandleTable& handles, HANDLE handle) {
  std::shared_ptr<Printer> printer = handles.find<Printer>(handle);
  if (!printer) {
    failWith(ERROR_INVALID_HANDLE);
  } else if (!printer->hasDocument()) {
    failWith(ERROR_SPL_NO_STARTDOC);
    printer.reset();
  }
  return printer;
}

}  // namespace os::sim
