// A simulated machine with the USB library set up and virtual plotters plugged in, for tests
// that run the system's vendor-driver code against them. At the end every handle the test
// opened must be closed again.
#pragma once

#include <memory>
#include <vector>

#include "sim/VirtualPlotter.h"
#include "tests/support/SimMachineTest.h"
#include "usb/UsbApi.h"

namespace velkor::test {

class VendorDriverTest : public SimMachineTest {
 protected:
  void SetUp() override {
    SimMachineTest::SetUp();
    usb::initUsbLibrary();
  }
  void TearDown() override {
    EXPECT_EQ(machine.openHandleCount(), handlesAtStart_);
    for (const auto& plotter : plotters_) {
      if (belowTheProtocol) continue;
      EXPECT_TRUE(plotter->protocolFaults().empty()) << plotter->driverLog();
    }
    SimMachineTest::TearDown();
  }

  // Set by tests that drive pipes and requests as the library allows, outside the transfer
  // protocol's device lock; all others must keep to the lock.
  bool belowTheProtocol = false;

  // Plugs in a plotter; the handle count to come back to is taken after it.
  sim::VirtualPlotter& plugIn(sim::PlotterIdentity identity = {}) {
    plotters_.push_back(std::make_unique<sim::VirtualPlotter>(std::move(identity)));
    plotters_.back()->plugIn(machine);
    handlesAtStart_ = machine.openHandleCount();
    return *plotters_.back();
  }

  // The request records a plotter took, in order.
  static std::vector<std::vector<BYTE>> requestRecords(const sim::VirtualPlotter& plotter) {
    std::vector<std::vector<BYTE>> records;
    for (const sim::DriverEvent& event : plotter.driverEvents()) {
      if (event.kind == sim::DriverEvent::Kind::Request) records.push_back(event.bytes);
    }
    return records;
  }

  // A plotter with other identifiers and no plotter interface, as any other device of the
  // vendor driver might be.
  static sim::PlotterIdentity foreignDevice() {
    sim::PlotterIdentity identity;
    identity.vendorId = 0x1234;
    identity.productId = 0x5678;
    identity.instanceSerial = "FOREIGN1";
    return identity;
  }

 private:
  std::vector<std::unique_ptr<sim::VirtualPlotter>> plotters_;
  size_t handlesAtStart_ = 0;
};

}  // namespace velkor::test
