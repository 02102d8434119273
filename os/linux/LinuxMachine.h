// The real Linux machine: the Windows personality of the simulated machine (handles, events,
// overlapped I/O, files, registry tree, spooler records), paced to real time and on the host's
// local time, with the plotters present on the USB as its devices, reached through libusb.
//
// The USB is looked at when the machine is made and again by every SetupDiGetClassDevsA, as
// Windows' lists follow what is plugged in: a plotter that went away (switched off, restarting
// after an update) leaves the lists and fails its open handles with ERROR_DEVICE_NOT_CONNECTED,
// one that came back takes its old place.
//
// The print queues are CUPS's (the scheduler CUPS_SERVER or the client configuration names):
// every look at the USB also reads them again and merges the registry keys Windows would hold
// for them and the printer ports present (PrintersRegistry.h), and the printer calls are CUPS
// jobs (CupsSpooler.h). A queue deleted while the program runs keeps its keys until it ends.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "os/linux/CupsQueues.h"
#include "os/linux/CupsSpooler.h"
#include "os/linux/LibusbContext.h"
#include "os/linux/UsbDeviceList.h"
#include "os/linux/UsbPrinterPort.h"
#include "os/sim/SimMachine.h"

namespace os::linux_platform {

class LinuxMachine : public sim::SimMachine {
 public:
  // Null with *error saying why when libusb cannot be set up.
  static std::unique_ptr<LinuxMachine> open(std::string* error);
  ~LinuxMachine() override;

  HDEVINFO SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND parent,
                                DWORD flags) override;

  // The printing-class interfaces present, as printer ports USB001, USB002, ... in list order.
  const std::vector<UsbPrinterPort>& printerPorts() const { return printerPorts_; }
  // Devices of the plotters' vendor that this user may not open: no udev rule gives access.
  int devicesNotOpenable() const { return notOpenable_; }
  // Whether a CUPS scheduler answered when the machine last looked ("no print service").
  bool printServiceAnswered() const { return printService_; }
  // Looks at the USB and the print queues again: devices gone leave the machine, new ones
  // join it, and the printers' registry keys follow.
  void refreshDevices();

  BOOL OpenPrinterA(LPSTR printerName, LPHANDLE printer, LPPRINTER_DEFAULTSA defaults) override;
  DWORD StartDocPrinterA(HANDLE printer, DWORD level, LPBYTE docInfo) override;
  BOOL StartPagePrinter(HANDLE printer) override;
  BOOL WritePrinter(HANDLE printer, LPVOID buffer, DWORD count, LPDWORD written) override;
  BOOL EndPagePrinter(HANDLE printer) override;
  BOOL EndDocPrinter(HANDLE printer) override;
  BOOL ClosePrinter(HANDLE printer) override;
  BOOL GetJobA(HANDLE printer, DWORD jobId, DWORD level, LPBYTE buffer, DWORD size,
               LPDWORD needed) override;
  BOOL GetPrinterA(HANDLE printer, DWORD level, LPBYTE buffer, DWORD size,
                   LPDWORD needed) override;

 private:
  struct Attached {
    PresentInterface present;
    std::shared_ptr<sim::SimDevice> device;
  };

  explicit LinuxMachine(std::shared_ptr<LibusbContext> context);
  void attach(const PresentInterface& present);
  void refreshQueues();

  std::shared_ptr<LibusbContext> context_;
  std::vector<Attached> attached_;  // in list order
  std::vector<UsbPrinterPort> printerPorts_;
  int notOpenable_ = 0;
  bool printService_ = false;
  CupsSpooler spooler_;
};

}  // namespace os::linux_platform
