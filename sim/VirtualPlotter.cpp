#include "sim/VirtualPlotter.h"

#include <cstdio>

#include "os/sim/SimMachine.h"
#include "sim/DriverFace.h"
#include "usb/UsbDriver.h"

namespace sim {

InterfaceSetup plotterInterface() {
  return {7, 0xFF, 0, {{0x81, 2, 512, 0}, {0x02, 2, 512, 0}, {0x83, 3, 8, 10}}};
}

VirtualPlotter::VirtualPlotter(PlotterIdentity setup)
    : identity(std::move(setup)), jobs_(*this) {}

VirtualPlotter::~VirtualPlotter() {
  if (face_) {
    face_->detach();
    machine_->removeDevice(*face_);
  }
}

void VirtualPlotter::plugIn(os::sim::SimMachine& machine) {
  if (face_) return;
  machine_ = &machine;
  attachFace();
}

void VirtualPlotter::attachFace() {
  face_ = std::make_shared<DriverFace>(*this, identity.configured);
  machine_->addDeviceInterface(usb::GUID_DEVINTERFACE_UDRV, devicePath(), face_);
}

void VirtualPlotter::unplug() {
  if (!face_) return;
  face_->detach();
  log_.add({DriverEvent::Kind::Vanished, 0, {}});
  machine_->removeDevice(*face_);
  face_.reset();
}

void VirtualPlotter::powerOn() {
  if (machine_ && !face_) attachFace();
}

bool VirtualPlotter::present() const { return face_ != nullptr; }

std::string VirtualPlotter::devicePath() const {
  char ids[32];
  std::snprintf(ids, sizeof ids, "vid_%04x&pid_%04x", identity.vendorId, identity.productId);
  return std::string("\\\\?\\usb#") + ids + "#" + identity.instanceSerial +
         "#{239d60c9-ccaf-11d5-ac21-204c4f4f5020}";
}

void VirtualPlotter::leaveStaleReply(const std::string& reply) { jobs_.queueReply(reply); }

int VirtualPlotter::lockDepth() const { return face_ ? face_->lockDepth() : 0; }

}  // namespace sim
