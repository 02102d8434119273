// An open handle of the program on one of the platform's devices: every request on it goes to
// the device with what the handle was opened on, and its close lets the device know, so that the
// device is closed (and its interfaces given back) with the last handle.
#pragma once

#include <memory>

#include "os/sim/SimDevice.h"

namespace os::linux_platform {

template <typename Device, typename Target>
class OpenEndpoint : public sim::DeviceEndpoint {
 public:
  OpenEndpoint(std::shared_ptr<Device> device, Target target)
      : device_(std::move(device)), target_(target) {}
  ~OpenEndpoint() override { device_->endpointClosed(); }
  OpenEndpoint(const OpenEndpoint&) = delete;
  OpenEndpoint& operator=(const OpenEndpoint&) = delete;
  sim::IoCompletion submit(const sim::IoRequest& request) override {
    return device_->submit(target_, request);
  }

 private:
  std::shared_ptr<Device> device_;
  Target target_;
};

}  // namespace os::linux_platform
