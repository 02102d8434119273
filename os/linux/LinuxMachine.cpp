#include "os/linux/LinuxMachine.h"

#include "os/linux/PrinterClassDevice.h"
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
  machine->addDevices(listUsbDevices(*context));
  return machine;
}

LinuxMachine::LinuxMachine(std::shared_ptr<LibusbContext> context) : context_(std::move(context)) {
  setRealTimePacing(true);  // requests end when the devices end them, in real time
  setLocalTime(sim::hostLocalTime());
}

// The devices go first: their pending transfers are cancelled and their callbacks run while the
// context still handles events.
LinuxMachine::~LinuxMachine() {
  for (const auto& device : devices_) removeDevice(*device);
  context_->cancelAndWait();
}

void LinuxMachine::addDevices(UsbDeviceList list) {
  notOpenable_ = list.notOpenable;
  printerPorts_ = printerPortsOf(list.interfaces);
  for (const PresentInterface& present : list.interfaces) {
    if (present.face == DeviceFace::Printer) {
      auto device = std::make_shared<PrinterClassDevice>(context_, present);
      addDeviceInterface(usb::GUID_DEVINTERFACE_USBPRINT, present.path, device);
      devices_.push_back(device);
    } else {
      auto device = std::make_shared<VendorDriverDevice>(context_, present);
      addDeviceInterface(usb::GUID_DEVINTERFACE_UDRV, present.path, device);
      devices_.push_back(device);
    }
  }
  interfaces_ = std::move(list.interfaces);
}

}  // namespace os::linux_platform
