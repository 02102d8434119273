#include "sim/VirtualPlotter.h"

#include <algorithm>
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

VirtualPlotter::VirtualPlotter(PlotterIdentity setup) : identity(std::move(setup)), jobs_(*this) {}

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
  for (int i = 0; i < misbehaviour.staleReplies; ++i) leaveStaleReply(answer("B"));
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
  plots_.stop();
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
  machine_->attachPort(portName,
                       [plotter](const os::sim::PrintJob& job, std::span<const BYTE> data) {
                         if (std::shared_ptr<VirtualPlotter*> alive = plotter.lock())
                           (*alive)->receive(job, data);
                       });
}

// Every job is recorded as it came; only the printing-class face makes something of it.
void VirtualPlotter::receive(const os::sim::PrintJob& job, std::span<const BYTE> data) {
  if (!present()) return;
  printerLog_.add({PrinterEvent::Kind::PrintJob, DWORD(data.size()), {}});
  WordChecksum checksum;
  checksum.add(data.data(), data.size());
  ReceivedPrintJob& record = printJobs_.emplace_back(
      ReceivedPrintJob{job.queue, job.document, data.size(), checksum.value(), {}});
  if (keepBytes_) {
    std::span<const BYTE> kept = data.first(std::min(data.size(), kKeptPlotBytes));
    record.bytes.assign(kept.begin(), kept.end());
  }
  if (printFace_) printFace_->printJob(job.document, data);
}

bool VirtualPlotter::downloadState() const { return printFace_ && printFace_->downloadState(); }

void VirtualPlotter::keepReceivedBytes(bool keep) {
  keepBytes_ = keep;
  jobs_.keepReceivedBytes(keep);
}

std::string VirtualPlotter::lastUpdateOutcome() const {
  if (updates_.empty()) return {};
  const UpdateStreamCheck& last = updates_.back();
  return last.accepted ? "accepted " + last.title : "rejected: " + last.reason;
}

bool VirtualPlotter::plotting() const { return present() && plots_.plotting(now()); }

os::sim::Tick VirtualPlotter::now() const { return machine_->now(); }

std::string VirtualPlotter::answer(const std::string& query) const {
  return replyTo(state, query, plotting());
}

// Firmware checks the whole stream before it takes anything from it; a stream it accepts
// makes it restart with the new text, and a restarting plotter is off the bus until powered on.
void VirtualPlotter::takeUpdate(const UpdateStreamCheck& check) {
  updates_.push_back(check);
  if (!check.accepted) return;
  std::string text = updateText(check.title);
  if (check.title.compare(0, 4, "BOOT") == 0) {
    if (!text.empty()) state.bootText = text;
  } else if (check.title.compare(0, 4, "CONF") != 0) {
    if (!text.empty()) state.firmwareText = text;
    state.updateMode = false;
  }
  unplug();
  if (whenShutOff) whenShutOff();
}

void VirtualPlotter::leaveStaleReply(const std::string& reply) {
  if (identity.connection == Connection::Driver) {
    jobs_.queueReply(reply);
  } else if (printFace_) {
    printFace_->queueReply(reply);
  }
}

int VirtualPlotter::lockDepth() const { return driverFace_ ? driverFace_->lockDepth() : 0; }

void VirtualPlotter::noteProtocolFault(const std::string& what) { protocolFaults_.push_back(what); }

}  // namespace sim
