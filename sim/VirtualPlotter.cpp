#include "sim/VirtualPlotter.h"

#include <cctype>
#include <cstdio>

#include "os/sim/SimMachine.h"
#include "sim/DriverFace.h"
#include "sim/PlotterReplies.h"
#include "sim/PrintClassFace.h"
#include "usb/UsbDriver.h"
#include "usb/UsbPrintClass.h"

namespace sim {

InterfaceSetup plotterInterface() {
  return {7, 0xFF, 0, {{0x81, 2, 512, 0}, {0x02, 2, 512, 0}, {0x83, 3, 8, 10}}};
}

VirtualPlotter::VirtualPlotter(PlotterIdentity setup)
    : identity(std::move(setup)), jobs_(*this) {}

VirtualPlotter::~VirtualPlotter() { detachFace(); }

void VirtualPlotter::plugIn(os::sim::SimMachine& machine) {
  if (present()) return;
  machine_ = &machine;
  for (const std::string& port : ports_) attachPort(port);
  attachFace();
}

void VirtualPlotter::attachFace() {
  if (identity.connection == Connection::Printer) {
    printFace_ = std::make_shared<PrintClassFace>(*this);
    machine_->addDeviceInterface(usb::GUID_DEVINTERFACE_USBPRINT, devicePath(), printFace_);
  } else {
    driverFace_ = std::make_shared<DriverFace>(*this, identity.configured);
    machine_->addDeviceInterface(usb::GUID_DEVINTERFACE_UDRV, devicePath(), driverFace_);
  }
  for (int i = 0; i < misbehaviour.staleReplies; ++i) leaveStaleReply(replyTo(state, "B"));
}

// The face lets go of the plotter before the machine ends what is pending on it.
void VirtualPlotter::detachFace() {
  if (driverFace_) {
    driverFace_->detach();
    machine_->removeDevice(*driverFace_);
    driverFace_.reset();
  }
  if (printFace_) {
    printFace_->detach();
    machine_->removeDevice(*printFace_);
    printFace_.reset();
  }
}

void VirtualPlotter::unplug() {
  if (driverFace_) log_.add({DriverEvent::Kind::Vanished, 0, {}});
  if (printFace_) printerLog_.add({PrinterEvent::Kind::Vanished, 0, {}});
  detachFace();
}

// A freshly enumerated device holds nothing from before but the stale replies it is told to.
void VirtualPlotter::powerOn() {
  if (!machine_ || present()) return;
  jobs_.reset();
  attachFace();
}

bool VirtualPlotter::present() const { return driverFace_ || printFace_; }

std::string VirtualPlotter::devicePath() const {
  char ids[32];
  std::snprintf(ids, sizeof ids, "vid_%04x&pid_%04x", identity.vendorId, identity.productId);
  std::string path = std::string("\\\\?\\usb#") + ids + "#";
  if (identity.connection == Connection::Driver) {
    return path + identity.instanceSerial + "#{239d60c9-ccaf-11d5-ac21-204c4f4f5020}";
  }
  for (char c : identity.instanceSerial) path += char(std::tolower(static_cast<unsigned char>(c)));
  return path + "#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
}

void VirtualPlotter::servePort(const std::string& portName) {
  ports_.push_back(portName);
  if (machine_) attachPort(portName);
}

void VirtualPlotter::attachPort(const std::string& portName) {
  std::weak_ptr<VirtualPlotter*> plotter = self_;
  machine_->attachPort(portName, [plotter](const os::sim::PrintJob& job) {
    if (std::shared_ptr<VirtualPlotter*> alive = plotter.lock()) (*alive)->receive(job);
  });
}

void VirtualPlotter::receive(const os::sim::PrintJob& job) {
  if (!present()) return;
  printerLog_.add({PrinterEvent::Kind::PrintJob, DWORD(job.data.size()), {}});
  printJobs_.push_back(job);
}

bool VirtualPlotter::downloadState() const { return printFace_ && printFace_->downloadState(); }

void VirtualPlotter::leaveStaleReply(const std::string& reply) {
  if (identity.connection == Connection::Driver) {
    jobs_.queueReply(reply);
  } else if (printFace_) {
    printFace_->queueReply(reply);
  }
}

int VirtualPlotter::lockDepth() const { return driverFace_ ? driverFace_->lockDepth() : 0; }

}  // namespace sim
