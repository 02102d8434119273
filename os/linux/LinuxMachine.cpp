#include "os/linux/LinuxMachine.h"

#include <algorithm>
#include <set>

#include "os/linux/PrinterClassDevice.h"
#include "os/linux/PrintersRegistry.h"
#include "os/linux/VendorDriverDevice.h"
#include "os/sim/HostClock.h"
#include "usb/UsbDriver.h"
#include "usb/UsbPrintClass.h"

namespace os::linux_platform {

std::unique_ptr<LinuxMachine> LinuxMachine::open(std::string* error) {
  DWORD failure = ERROR_SUCCESS;
  auto context = std::make_shared<LibusbContext>(&failure);
  if (!context->context()) {
    *error = "libusb cannot be set up (error " + std::to_string(failure) + ")";
    return nullptr;
  }
  std::unique_ptr<LinuxMachine> machine(new LinuxMachine(context));
  machine->refreshDevices();
  return machine;
}

LinuxMachine::LinuxMachine(std::shared_ptr<LibusbContext> context)
    : context_(std::move(context)),
      spooler_(handleTable(), CupsServer::fromEnvironment(),
               [this](const CupsQueue& queue) { return queuePortName(queue, printerPorts_); }) {
  setRealTimePacing(true);  // requests end when the devices end them, in real time
  setLocalTime(sim::hostLocalTime());
}

// The devices go first: their pending transfers are cancelled and their callbacks run while the
// context still handles events.
LinuxMachine::~LinuxMachine() {
  for (const Attached& attached : attached_) removeDevice(*attached.device);
  context_->cancelAndWait();
}

HDEVINFO LinuxMachine::SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator,
                                             HWND parent, DWORD flags) {
  refreshDevices();
  return SimMachine::SetupDiGetClassDevsA(classGuid, enumerator, parent, flags);
}

void LinuxMachine::refreshDevices() {
  std::set<UsbDeviceKey> known;
  for (const Attached& attached : attached_) known.insert(keyOf(attached.present));
  UsbDeviceList list = listUsbDevices(*context_, known);
  std::erase_if(attached_, [&](const Attached& attached) {
    if (list.present.count(keyOf(attached.present))) return false;
    removeDevice(*attached.device);
    return true;
  });
  // The machine lists devices in the order they were added: add them in list order.
  std::stable_sort(list.interfaces.begin(), list.interfaces.end(), listedBefore);
  for (const PresentInterface& present : list.interfaces) attach(present);
  std::stable_sort(attached_.begin(), attached_.end(), [](const Attached& a, const Attached& b) {
    return listedBefore(a.present, b.present);
  });
  std::vector<PresentInterface> interfaces;
  for (const Attached& attached : attached_) interfaces.push_back(attached.present);
  printerPorts_ = printerPortsOf(interfaces);
  notOpenable_ = list.notOpenable;
  refreshQueues();
}

void LinuxMachine::refreshQueues() {
  std::optional<std::vector<CupsQueue>> queues = listCupsQueues(CupsServer::fromEnvironment());
  printService_ = queues.has_value();
  if (!queues) return;
  // The keys are written by this machine from CUPS's answers; text it cannot read is a fault
  // of the writer, and the keys then stay as they were.
  loadRegistry(printersRegistryText(*queues, printerPorts_));
}

BOOL LinuxMachine::OpenPrinterA(LPSTR printerName, LPHANDLE printer, LPPRINTER_DEFAULTSA) {
  return spooler_.openPrinter(printerName, printer);
}
DWORD LinuxMachine::StartDocPrinterA(HANDLE printer, DWORD level, LPBYTE docInfo) {
  return spooler_.startDoc(printer, level, docInfo);
}
BOOL LinuxMachine::StartPagePrinter(HANDLE printer) { return spooler_.startPage(printer); }
BOOL LinuxMachine::WritePrinter(HANDLE printer, LPVOID buffer, DWORD count, LPDWORD written) {
  return spooler_.write(printer, buffer, count, written);
}
BOOL LinuxMachine::EndPagePrinter(HANDLE printer) { return spooler_.endPage(printer); }
BOOL LinuxMachine::EndDocPrinter(HANDLE printer) { return spooler_.endDoc(printer); }
BOOL LinuxMachine::ClosePrinter(HANDLE printer) { return spooler_.close(printer); }
BOOL LinuxMachine::GetJobA(HANDLE printer, DWORD jobId, DWORD level, LPBYTE buffer, DWORD size,
                           LPDWORD needed) {
  return spooler_.getJob(printer, jobId, level, buffer, size, needed);
}
BOOL LinuxMachine::GetPrinterA(HANDLE printer, DWORD level, LPBYTE buffer, DWORD size,
                               LPDWORD needed) {
  return spooler_.getPrinter(printer, level, buffer, size, needed);
}

// A path added again (a plotter that came back) is present again in its old place.
void LinuxMachine::attach(const PresentInterface& present) {
  std::shared_ptr<sim::SimDevice> device;
  if (present.face == DeviceFace::Printer) {
    device = std::make_shared<PrinterClassDevice>(context_, present);
    addDeviceInterface(usb::GUID_DEVINTERFACE_USBPRINT, present.path, device);
  } else {
    device = std::make_shared<VendorDriverDevice>(context_, present);
    addDeviceInterface(usb::GUID_DEVINTERFACE_UDRV, present.path, device);
  }
  attached_.push_back({present, device});
}

}  // namespace os::linux_platform
