// An open handle's endpoint on one of a virtual plotter's faces: every request on it goes to
// the face, with what the handle was opened on (a pipe, or the device itself).
#pragma once

#include <memory>

#include "os/sim/SimDevice.h"

namespace sim {

template <typename Face, typename Target>
class FaceEndpoint : public os::sim::DeviceEndpoint {
 public:
  FaceEndpoint(std::shared_ptr<Face> face, Target target)
      : face_(std::move(face)), target_(target) {}
  os::sim::IoCompletion submit(const os::sim::IoRequest& request) override {
    return face_->submit(target_, request);
  }

 private:
  std::shared_ptr<Face> face_;
  Target target_;
};

}  // namespace sim
