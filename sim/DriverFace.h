// The vendor-driver face of a virtual plotter: what the maker's USB kernel driver would answer
// for the device and its pipes. It answers every I/O control code of the driver with its records
// (descriptors, configuration, interfaces, features, USB status, the nested device lock, pipe
// tokens and attaching), passes control requests carrying request records, the interrupt pipe's
// status words and the bulk pipes' data to the plotter's jobs, and logs what it sees.
//
// Pipes are opened by endpoint address in decimal below the device path ("129", "2", "131"), and
// only while the device is configured. Once the plotter has gone away the face is detached:
// every request on a handle still open fails with ERROR_DEVICE_NOT_CONNECTED.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "os/Win32.h"
#include "os/sim/SimDevice.h"
#include "usb/DriverLock.h"

namespace sim {

class VirtualPlotter;

class DriverFace : public os::sim::SimDevice, public std::enable_shared_from_this<DriverFace> {
 public:
  DriverFace(VirtualPlotter& plotter, bool configured);

  std::unique_ptr<os::sim::DeviceEndpoint> open(const std::string& subPath, DWORD access) override;
  DWORD openFailure() const override;
  void detach() { plotter_ = nullptr; }
  int lockDepth() const { return lock_.depth(); }

  // One request on the device (no pipe) or on the pipe of an endpoint address.
  os::sim::IoCompletion submit(std::optional<BYTE> pipe, const os::sim::IoRequest& request);

 private:
  os::sim::IoCompletion deviceRequest(const os::sim::IoRequest& request);
  os::sim::IoCompletion pipeRequest(BYTE address, const os::sim::IoRequest& request);
  os::sim::IoOutcome setupRequest(const os::sim::IoRequest& request);
  os::sim::IoOutcome descriptor(const os::sim::IoRequest& request);
  os::sim::IoOutcome setConfiguration(const os::sim::IoRequest& request);
  os::sim::IoOutcome interfaceRequest(const os::sim::IoRequest& request);
  os::sim::IoOutcome lock(const os::sim::IoRequest& request);
  os::sim::IoOutcome attachPipe(const os::sim::IoRequest& request);
  os::sim::IoCompletion controlRequest(const os::sim::IoRequest& request);
  os::sim::IoCompletion guarded(os::sim::IoCompletion completion);
  void requireLock();

  VirtualPlotter* plotter_;
  BYTE configurationValue_;
  usb::DriverLock lock_;
};

}  // namespace sim
