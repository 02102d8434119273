// The real Linux machine: the Windows personality of the simulated machine (handles, events,
// overlapped I/O, files, registry tree, spooler records), paced to real time and on the host's
// local time, with the plotters present on the USB as its devices, reached through libusb.
//
// The USB is looked at when the machine is made and again by every SetupDiGetClassDevsA, as
// Windows' lists follow what is plugged in: a plotter that went away (switched off, restarting
// after an update) leaves the lists and fails its open handles with ERROR_DEVICE_NOT_CONNECTED,
// one that came back takes its old place. The print side is another's: the printer ports
// (printerPorts()) are what the CUPS registry text and spooler match queues to; they load the
// registry text with loadRegistry() and attach the ports' sinks with attachPort().
#pragma once

#include <memory>
#include <string>
#include <vector>

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
  // Looks at the USB again: devices gone leave the machine, new ones join it.
  void refreshDevices();

 private:
  struct Attached {
    PresentInterface present;
    std::shared_ptr<sim::SimDevice> device;
  };

  explicit LinuxMachine(std::shared_ptr<LibusbContext> context);
  void attach(const PresentInterface& present);

  std::shared_ptr<LibusbContext> context_;
  std::vector<Attached> attached_;  // in list order
  std::vector<UsbPrinterPort> printerPorts_;
  int notOpenable_ = 0;
};

}  // namespace os::linux_platform
