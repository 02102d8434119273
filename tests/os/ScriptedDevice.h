// A virtual device whose requests follow a script, for tests of the simulated machine's I/O
// rules: each request on any of its endpoints takes the next step.
#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "os/Calls.h"
#include "os/sim/SimDevice.h"
#include "support/SimMachineTest.h"

namespace velkor::test {

using os::sim::IoCompletion;
using os::sim::IoOutcome;
using os::sim::IoRequest;
using os::sim::Tick;

class ScriptedDevice : public os::sim::SimDevice {
 public:
  using Step = std::function<IoCompletion(const IoRequest&)>;

  std::deque<Step> script;          // with no step left a request fails at once
  std::vector<std::string> opened;  // the sub-paths opened, in order
  std::vector<IoRequest> requests;  // every request, in order

  std::unique_ptr<os::sim::DeviceEndpoint> open(const std::string& subPath, DWORD) override {
    if (subPath == "NOPIPE") return nullptr;
    opened.push_back(subPath);
    return std::make_unique<Endpoint>(*this);
  }

 private:
  class Endpoint : public os::sim::DeviceEndpoint {
   public:
    explicit Endpoint(ScriptedDevice& device) : device_(device) {}
    IoCompletion submit(const IoRequest& request) override {
      device_.requests.push_back(request);
      if (device_.script.empty()) return IoCompletion::now({ERROR_GEN_FAILURE, 0});
      Step step = std::move(device_.script.front());
      device_.script.pop_front();
      return step(request);
    }

   private:
    ScriptedDevice& device_;
  };
};

// Fills a read's buffer with data (cut to its room) when the request ends.
inline IoOutcome deliver(const IoRequest& request, const std::string& data) {
  DWORD count = std::min(static_cast<DWORD>(data.size()), request.outputLength);
  if (count) std::memcpy(request.output, data.data(), count);
  return {ERROR_SUCCESS, count};
}

inline ScriptedDevice::Step replyNow(std::string data) {
  return [data](const IoRequest& request) { return IoCompletion::now(deliver(request, data)); };
}

inline ScriptedDevice::Step replyAfter(Tick delay, std::string data) {
  return [delay, data](const IoRequest& request) {
    return IoCompletion::after(delay, [request, data] { return deliver(request, data); });
  };
}

inline ScriptedDevice::Step endAfter(Tick delay, IoOutcome outcome) {
  return [delay, outcome](const IoRequest&) {
    return IoCompletion::after(delay, [outcome] { return outcome; });
  };
}

inline ScriptedDevice::Step neverEnd() {
  return [](const IoRequest&) { return IoCompletion::never(); };
}

// A machine with one scripted device, registered at kPath in kClass.
class ScriptedDeviceTest : public SimMachineTest {
 protected:
  static constexpr GUID kClass = {0x1A2B3C4D, 0x0001, 0x0002, {1, 2, 3, 4, 5, 6, 7, 8}};
  static constexpr const char* kPath = "\\\\?\\usb#vid_1234&pid_0001#7&1&0#{1a2b3c4d}";

  void SetUp() override {
    SimMachineTest::SetUp();
    machine.addDeviceInterface(kClass, kPath, device);
  }

  HANDLE openPath(const std::string& path, DWORD flags) {
    return os::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           flags, nullptr);
  }
  // Opens the interface path with below appended ("", "\\PIPE02").
  HANDLE open(const std::string& below, DWORD flags) { return openPath(kPath + below, flags); }

  std::shared_ptr<ScriptedDevice> device = std::make_shared<ScriptedDevice>();
  char buffer[16] = {};
};

}  // namespace velkor::test
