// The real Linux machine's calls failed one at a time: a query of a driver plotter's fields and
// a plot on it, run once for every platform call they make with that call failing as it most
// likely would, on a machine opened afresh over the default world's plotters served through
// umockdev. After every run the plot claims no success the plotter did not get whole, the
// device lock's rules hold, and neither the machine's handles nor the process's descriptors
// are left behind.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/PlotterInfo.h"
#include "app/RefreshPlotterList.h"
#include "discovery/PlotterRecord.h"
#include "os/Platform.h"
#include "os/linux/LinuxMachine.h"
#include "plotter/PlotFile.h"
#include "plotter/PlotterLink.h"
#include "sim/VirtualPlotter.h"
#include "sim/World.h"
#include "tests/cli/RunVelkorctl.h"
#include "tests/linuxscenario/OpenDescriptors.h"
#include "tests/support/LikelyFault.h"
#include "tests/support/ScopedVariable.h"
#include "tests/support/UmockdevTest.h"
#include "usb/UsbDriver.h"
#include "usb/UsbLibrary.h"

namespace velkor::test {
namespace {

using os::sim::CheckedCall;

constexpr int kDriverPlotter = 0;
// A few bulk chunks, so that a failure can fall between two of them.
constexpr std::size_t kPlotBytes = 256 * 1024;

// What one run of an operation gave.
struct RunOutcome {
  bool claimsSuccess = false;
  bool plotterGotItAll = true;  // what the operation sends arrived whole
};

class LinuxFailureSweep : public UmockdevTest {
 protected:
  using Operation = std::function<RunOutcome(LinuxFailureSweep&)>;

  // One driver plotter: discovery in every run is quick.
  std::unique_ptr<sim::World> makeWorld(std::string* error) override {
    return sim::World::fromText(
        "[plotter Sweep]\nconnection = driver\ntype = ZK400\nfirmware = 1.14aKR A4\n"
        "tool = P 0.3 mm\nserial = 40123456\n",
        "sweep.world", error);
  }

  void SetUp() override {
    UmockdevTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    std::ofstream(dir_ / "drawing.plt", std::ios::binary) << std::string(kPlotBytes, 'P');
    descriptorsAtStart_ = openDescriptors();
  }
  void TearDown() override {
    endRun();
    UmockdevTest::TearDown();
  }

  // A machine opened afresh and its plotters discovered, the driver plotter selected, as
  // velkorctl leaves them before it acts.
  void startRun() {
    endRun();
    powerCycle();
    std::string error;
    machine_ = os::linux_platform::LinuxMachine::open(&error);
    ASSERT_TRUE(machine_) << error;
    platform_.emplace(*machine_);
    usb::initUsbLibrary();
    app::refreshPlotterList();
    discovery::plotterList().selected = kDriverPlotter;
  }
  // The plotter switched off and on: what a faulted run left queued in it (a status word or a
  // reply nobody read) is gone, as the sweep of the simulated machine's fresh world has it.
  void powerCycle() {
    bed_.unplug(plotter(kDriverPlotter));
    {
      auto hold = bed_.hold();
      plotter(kDriverPlotter).powerOn();
    }
    // The testbed's thread puts it on the bus when it next looks.
    for (int look = 0; look < 200 && bed_.deviceNode(plotter(kDriverPlotter)).empty(); ++look) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  void endRun() {
    if (!machine_) return;
    machine_->faults().stopCounting();
    plotter::closePlotterLink();
    plotter::selectLinkPlace(0);
    platform_.reset();
    machine_.reset();
  }

  size_t handles() const { return machine_->openHandleCount(); }

  // What the run at this position broke, empty when nothing.
  std::vector<std::string> checkRun(const char* name, const Operation& operation,
                                    unsigned position, size_t closedHandles) {
    std::vector<std::string> findings;
    const RunOutcome outcome = operation(*this);
    machine_->faults().stopCounting();
    // The calls are not the same in every run: how often a status or reply read is asked again
    // goes by real time, so a run may end before the position and have nothing fail.
    const std::vector<CheckedCall>& counted = machine_->faults().counted();
    const CheckedCall* call = position <= counted.size() ? &counted[position - 1] : nullptr;
    const auto finding = [&](const std::string& what) {
      const std::string failing = call ? std::string(os::sim::callName(call->call)) + " " +
                                             call->path + " failing"
                                       : "not reached";
      findings.push_back(std::string(name) + ", call " + std::to_string(position) + " (" +
                         failing + "): " + what);
    };
    if (outcome.claimsSuccess && !outcome.plotterGotItAll) {
      finding("success claimed but the plotter did not get it all");
    }
    for (const std::string& fault : lockFaults()) {
      // A release that failed on its way never reached the plotter, which rightly still holds
      // the lock when the channel closes.
      if (fault == "closed-while-held" && call && call->code == usb::IOCTL_UDRV_LOCK) continue;
      finding("the device lock's rules broken: " + fault);
    }
    plotter::closePlotterLink();
    if (handles() != closedHandles) finding("handles left open");
    endRun();
    if (openDescriptorsSettling(descriptorsAtStart_) > descriptorsAtStart_) {
      finding("descriptors left open");
    }
    return findings;
  }

  std::vector<std::string> lockFaults() {
    auto hold = bed_.hold();
    std::vector<std::string> faults = plotter(kDriverPlotter).protocolFaults();
    plotter(kDriverPlotter).clearProtocolFaults();
    return faults;
  }

  // The operation once without a fault to learn its calls, then once per call with it failing.
  void sweep(const char* name, const Operation& operation) {
    startRun();
    plotter::closePlotterLink();
    const size_t closedHandles = handles();
    startRun();
    machine_->faults().startCounting();
    const RunOutcome clean = operation(*this);
    const std::vector<CheckedCall> calls = machine_->faults().counted();
    EXPECT_TRUE(clean.claimsSuccess && clean.plotterGotItAll) << name << " fails without a fault";
    std::vector<std::string> findings;
    for (unsigned position = 1; position <= calls.size(); ++position) {
      startRun();
      machine_->faults().startCounting(position, [](const CheckedCall& call) {
        return os::sim::Fault{os::sim::Fault::Kind::Fail, likelyError(call)};
      });
      for (std::string& each : checkRun(name, operation, position, closedHandles)) {
        findings.push_back(std::move(each));
      }
    }
    std::printf("%-24s %4zu calls failed in turn, %zu findings\n", name, calls.size(),
                findings.size());
    for (const std::string& each : findings) ADD_FAILURE() << each;
  }

 public:  // the operations' lambdas use it
  RunOutcome plot() {
    const size_t before = plotsReceived();
    const int result = plotter::plotFile((dir_ / "drawing.plt").c_str()).result;
    auto hold = bed_.hold();
    const auto& plots = plotter(kDriverPlotter).plots();
    return {result == 0, plots.size() > before && plots.back().bytes == kPlotBytes};
  }
 protected:
  size_t plotsReceived() {
    auto hold = bed_.hold();
    return plotter(kDriverPlotter).plots().size();
  }

  // No scheduler: the queues are not this sweep's, and a refused connection is quick.
  ScopedVariable noPrintService_{"CUPS_SERVER", "127.0.0.1:1"};
  TempDirectory dir_;
  size_t descriptorsAtStart_ = 0;
  std::unique_ptr<os::linux_platform::LinuxMachine> machine_;
  std::optional<os::ScopedPlatform> platform_;
};

TEST_F(LinuxFailureSweep, AFieldsQueryAndAPlotOnADriverPlotter) {
  sweep("fillPlotterInfo driver", [](LinuxFailureSweep&) {
    app::fillPlotterInfo(kDriverPlotter);
    return RunOutcome{true, true};
  });
  sweep("plot driver", [](LinuxFailureSweep& s) { return s.plot(); });
}

}  // namespace
}  // namespace velkor::test
