// The plotter link over a simulated machine: link places, the walk's limit, devices that do not
// open, and what stays open when.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "channel/QueryTransfer.h"
#include "os/sim/SimMachine.h"
#include "plotter/PlotterLink.h"
#include "plotter/QueryFrontEnd.h"
#include "tests/support/VendorDriverTest.h"
#include "usb/UsbDriver.h"

namespace velkor::test {
namespace {

using namespace plotter;

class PlotterLinkTest : public VendorDriverTest {
 protected:
  void TearDown() override {
    closePlotterLink();
    selectLinkPlace(0);
    VendorDriverTest::TearDown();
  }

  sim::VirtualPlotter& plugInNamed(const std::string& serial, const std::string& platformName) {
    sim::PlotterIdentity identity;
    identity.instanceSerial = serial;
    sim::VirtualPlotter& plotter = plugIn(identity);
    plotter.state.platformName = platformName;
    return plotter;
  }

  // What the linked plotter says its platform is.
  static std::string linkedPlatform() {
    char buffer[channel::kMaxReplyLength];
    channel::QueryReply reply{0, buffer};
    if (!channel::queryTransfer(linkChannel(), "5", &reply)) return "(no answer)";
    return std::string(buffer, reply.replyLength);
  }
};

TEST_F(PlotterLinkTest, PlacesCountOnlyDevicesWithTheLegacyIdentifiers) {
  plugInNamed("A", "FIRST");
  plugIn(foreignDevice());
  plugInNamed("B", "SECOND");
  EXPECT_EQ(countLinkPlotters(), 2);
  ASSERT_EQ(openPlotterLink(), 0);
  EXPECT_EQ(linkedPlatform(), "FIRST\r");
  selectLinkPlace(1);
  EXPECT_EQ(linkDevice(), nullptr);
  ASSERT_EQ(openPlotterLink(), 0);
  EXPECT_EQ(linkedPlatform(), "SECOND\r");
}

TEST_F(PlotterLinkTest, SamePlaceKeepsTheLinkOpen) {
  plugIn();
  ASSERT_EQ(openPlotterLink(), 0);
  USB_DEVICE_HANDLE device = linkDevice();
  channel::TransferChannel* linked = linkChannel();
  selectLinkPlace(0);
  EXPECT_EQ(linkDevice(), device);
  EXPECT_EQ(linkChannel(), linked);
  EXPECT_TRUE(channel::isTransferChannel(linked));
}

TEST_F(PlotterLinkTest, PlaceBeyondThePlottersFailsWithTheLinkClosed) {
  plugIn();
  ASSERT_EQ(openPlotterLink(), 0);
  selectLinkPlace(1);
  EXPECT_EQ(openPlotterLink(), kLinkFailed);
  EXPECT_EQ(linkDevice(), nullptr);
  EXPECT_EQ(linkChannel(), nullptr);
}

TEST_F(PlotterLinkTest, NoDevicesNoPlotters) {
  EXPECT_EQ(countLinkPlotters(), 0);
  EXPECT_EQ(openPlotterLink(), kLinkFailed);
}

// A device of the vendor driver's class that cannot be opened.
class UnopenableDevice : public os::sim::SimDevice {
 public:
  std::unique_ptr<os::sim::DeviceEndpoint> open(const std::string&, DWORD) override {
    return nullptr;
  }
};

// Only the end of the list ends a walk: a device that is there but does not open (one without
// an endpoint, one another program holds, one refused to this user) is skipped and noted, has
// no place, and every walk skips it alike, so that a place opens the plotter counting gave it.
TEST_F(PlotterLinkTest, DevicesThatDoNotOpenAreSkippedAndHoldNoPlace) {
  machine.addDeviceInterface(usb::GUID_DEVINTERFACE_UDRV, "usb#vid_0000&pid_0000#dead",
                             std::make_shared<UnopenableDevice>());
  plugInNamed("A", "FIRST");
  plugInNamed("B", "HELD").misbehaviour.openError = ERROR_BUSY;
  plugInNamed("C", "REFUSED").misbehaviour.openError = ERROR_ACCESS_DENIED;
  plugInNamed("D", "LAST");
  std::vector<DeviceNotOpened> notOpened;
  EXPECT_EQ(countLinkPlotters(&notOpened), 2);
  ASSERT_EQ(notOpened.size(), 3u);
  EXPECT_EQ(notOpened[0].position, 0u);
  EXPECT_EQ(openRefusalOf(notOpened[0].error), OpenRefusal::Other);
  EXPECT_EQ(notOpened[1].position, 2u);
  EXPECT_EQ(openRefusalOf(notOpened[1].error), OpenRefusal::InUse);
  EXPECT_EQ(notOpened[2].position, 3u);
  EXPECT_EQ(openRefusalOf(notOpened[2].error), OpenRefusal::AccessDenied);
  ASSERT_EQ(openPlotterLink(), 0);
  EXPECT_EQ(linkedPlatform(), "FIRST\r");
  selectLinkPlace(1);
  ASSERT_EQ(openPlotterLink(), 0);
  EXPECT_EQ(linkedPlatform(), "LAST\r");
  selectLinkPlace(2);
  EXPECT_EQ(openPlotterLink(), kLinkFailed);
}

TEST_F(PlotterLinkTest, PlotterWithoutAChannelStaysHeldUntilClosed) {
  sim::PlotterIdentity identity;
  identity.interfaces = {};
  plugIn(identity);
  EXPECT_EQ(openPlotterLink(), kLinkFailed);
  EXPECT_NE(linkDevice(), nullptr);
  EXPECT_EQ(linkChannel(), nullptr);
  closePlotterLink();
  EXPECT_EQ(linkDevice(), nullptr);
}

// A channel that did not open leaves the device held; the next operation that needs the link
// opens it anew rather than failing until something closes it.
TEST_F(PlotterLinkTest, NextOperationReopensALinkWhoseChannelDidNotOpen) {
  plugInNamed("A", "FIRST");
  machine.faults().on(os::sim::Call::CreateFile).path("\\129").fail(ERROR_GEN_FAILURE);
  EXPECT_EQ(openPlotterLink(), kLinkFailed);
  EXPECT_NE(linkDevice(), nullptr);
  EXPECT_EQ(linkChannel(), nullptr);
  char reply[channel::kMaxReplyLength] = {};
  EXPECT_GT(queryOverDriver("5", reply, sizeof reply), 0);
  EXPECT_STREQ(reply, "FIRST");
  EXPECT_NE(linkChannel(), nullptr);
}

// The walk looks at positions 0 to 254 only: the 256th plotter has no place.
TEST_F(PlotterLinkTest, WalkStopsAtPosition254) {
  for (int i = 0; i < 256; ++i) plugInNamed("P" + std::to_string(i), "P" + std::to_string(i));
  EXPECT_EQ(countLinkPlotters(), 255);
  selectLinkPlace(254);
  ASSERT_EQ(openPlotterLink(), 0);
  EXPECT_EQ(linkedPlatform(), "P254\r");
  selectLinkPlace(255);
  EXPECT_EQ(openPlotterLink(), kLinkFailed);
}

}  // namespace
}  // namespace velkor::test
