// Discovery on worlds where a vendor-driver device is listed but does not open: the plotters
// after it are still found, at link places that open them, and the notes say which device did
// not open and why.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include "discovery/DiscoverPlotters.h"
#include "discovery/PlotterRecord.h"
#include "os/Platform.h"
#include "plotter/PlotterLink.h"
#include "plotter/QueryFrontEnd.h"
#include "sim/World.h"
#include "usb/UsbApi.h"

namespace velkor::test {
namespace {

using namespace discovery;

// Three driver plotters of different sizes, so that none is a duplicate of another; the middle
// one's device does not open for the reason given.
std::string threePlotters(const std::string& openError) {
  return "[plotter First]\nfirmware = 1.14aKR A4\n"
         "[plotter Middle]\nfirmware = 2.01 A3\nopen-error = " +
         openError +
         "\n"
         "[plotter Last]\nfirmware = 1.20 A4\n";
}

struct Case {
  const char* openError;
  DWORD error;
  plotter::OpenRefusal refusal;
};

void PrintTo(const Case& c, std::ostream* out) { *out << "open-error = " << c.openError; }

class DevicesNotOpenedTest : public ::testing::TestWithParam<Case> {
 protected:
  void TearDown() override {
    plotter::closePlotterLink();
    plotter::selectLinkPlace(0);
    platform_.reset();
    world_.reset();
  }

  void discover(const std::string& text) {
    std::string error;
    world_ = sim::World::fromText(text, "lab.world", &error);
    ASSERT_TRUE(world_) << error;
    platform_ = std::make_unique<os::ScopedPlatform>(world_->machine());
    usb::initUsbLibrary();
    const size_t handles = world_->machine().openHandleCount();
    count_ = discoverPlotters(&notes_);
    EXPECT_EQ(world_->machine().openHandleCount(), handles);
  }

  // The firmware text of the plotter the record's link place opens.
  static std::string firmwareAtLinkPlace(const PlotterRecord& record) {
    plotter::selectLinkPlace(record.linkPlace);
    char reply[300] = {};
    if (plotter::queryOverDriver("6", reply, sizeof reply) <= 0) return "(no answer)";
    return reply;
  }

  std::unique_ptr<sim::World> world_;
  std::unique_ptr<os::ScopedPlatform> platform_;
  DiscoveryNotes notes_;
  int count_ = 0;
};

TEST_P(DevicesNotOpenedTest, PlottersAfterTheDeviceAreFoundAndTheDeviceIsNoted) {
  discover(threePlotters(GetParam().openError));
  ASSERT_EQ(count_, 2);
  const PlotterRecord& first = plotterList().records[0];
  const PlotterRecord& last = plotterList().records[1];
  EXPECT_STREQ(first.name, "ZK200 A4");
  EXPECT_STREQ(last.name, "ZK400 A4");
  EXPECT_EQ(last.linkPlace, 1);
  EXPECT_EQ(notes_.driverPlotters, 2);
  ASSERT_EQ(notes_.devicesNotOpened.size(), 1u);
  EXPECT_EQ(notes_.devicesNotOpened[0].position, 1u);
  EXPECT_EQ(notes_.devicesNotOpened[0].error, GetParam().error);
  EXPECT_EQ(plotter::openRefusalOf(notes_.devicesNotOpened[0].error), GetParam().refusal);
  // Each record's place opens the plotter it was found as, and its device path is that one's.
  EXPECT_EQ(firmwareAtLinkPlace(first), "1.14aKR A4");
  EXPECT_EQ(firmwareAtLinkPlace(last), "1.20 A4");
  EXPECT_EQ(recordText(last.devicePath), world_->plotter("Last")->devicePath());
  EXPECT_TRUE(world_->plotter("Middle")->jobs().queries().empty()) << "never reached";
}

// A world whose only device does not open lists nothing and says why.
TEST_P(DevicesNotOpenedTest, AListOfOnlyThatDeviceIsEmptyButNoted) {
  discover(std::string("[plotter Only]\nopen-error = ") + GetParam().openError + "\n");
  EXPECT_EQ(count_, 0);
  EXPECT_EQ(notes_.driverPlotters, 0);
  ASSERT_EQ(notes_.devicesNotOpened.size(), 1u);
  EXPECT_EQ(notes_.devicesNotOpened[0].position, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, DevicesNotOpenedTest,
    ::testing::Values(Case{"in-use", ERROR_SHARING_VIOLATION, plotter::OpenRefusal::InUse},
                      Case{"access-denied", ERROR_ACCESS_DENIED,
                           plotter::OpenRefusal::AccessDenied}),
    [](const ::testing::TestParamInfo<Case>& reason) {
      return std::string(reason.param.error == ERROR_ACCESS_DENIED ? "AccessDenied" : "InUse");
    });

}  // namespace
}  // namespace velkor::test
