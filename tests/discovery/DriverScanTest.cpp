// Identification of the vendor-driver plotters, against virtual plotters on the simulated
// machine: what is listed, under which name and class, and what is left out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/DiscoverPlotters.h"
#include "discovery/Edition.h"
#include "discovery/PlotterRecord.h"
#include "plotter/PlotterLink.h"
#include "tests/support/VendorDriverTest.h"

namespace velkor::test {
namespace {

using namespace discovery;

class DriverScanTest : public VendorDriverTest {
 protected:
  void TearDown() override {
    setEdition(Edition::Full);
    plotter::selectLinkPlace(0);
    VendorDriverTest::TearDown();
  }

  // A plotter answering these texts; replies end as firmware ends them, in a carriage return.
  sim::VirtualPlotter& attach(const std::string& type, const std::string& firmware,
                              const std::string& tool = "P 0.3") {
    sim::PlotterIdentity identity;
    identity.instanceSerial = "VK" + std::to_string(++attached_);
    sim::VirtualPlotter& plotter = plugIn(identity);
    plotter.state.platformName = type;
    plotter.state.firmwareText = firmware;
    plotter.state.tool = tool;
    return plotter;
  }

  // The scan's entries as "name/size class/kind/brand/link place".
  static std::vector<std::string> scan() {
    plotterList().count = 0;
    scanDriverPlotters();
    std::vector<std::string> entries;
    for (int i = 0; i < plotterList().count; ++i) {
      const PlotterRecord& r = plotterList().records[i];
      EXPECT_EQ(r.connection, kConnectionDriver);
      entries.push_back(std::string(r.name) + "/" + std::to_string(r.sizeClass) + "/" +
                        std::to_string(r.kind) + "/" + std::to_string(r.brand) + "/" +
                        std::to_string(r.linkPlace));
    }
    EXPECT_EQ(plotter::linkDevice(), nullptr) << "the scan leaves the link closed";
    return entries;
  }

  int attached_ = 0;
};

TEST_F(DriverScanTest, NamesAndClassesFollowTheReplies) {
  attach("ZK400", "1.14aKR A4");
  attach("ZK400", "1.14a qdKR A4", "G 0.5");
  attach("ZK400", "2.01 A3");
  attach("ZK400", "1.20pA4");
  attach("ZK400", "1.20 vyk ZMC600");
  EXPECT_EQ(scan(),
            (std::vector<std::string>{"ZK200 A4/4/1/1/0", "ZK200 A4/4/2/4/1", "ZK400 A3/1/1/1/2",
                                      "TRX-Q1 A4/2/1/2/3", "ZM600 A4/5/1/2/4"}));
}

TEST_F(DriverScanTest, UpdateModeAndTheHqrtLine) {
  sim::VirtualPlotter& boot = attach("ZK400", "1.14aKR A4", "G 1");
  boot.state.updateMode = true;
  boot.state.bootPlatformName = "ZK2BS";
  attach("HQRT J5-XXL", "4.00 A4");
  attach("HQRT J5x", "4.00 A4", "G");
  EXPECT_EQ(scan(), (std::vector<std::string>{"ZK2BS update mode/99/2/1/0", "HQRT J5-XXL/3/1/8/1",
                                              "HQRT J5x A3/1/2/8/2"}));
  // No firmware query is made of a plotter in update mode.
  EXPECT_EQ(boot.jobs().queries(), (std::vector<std::string>{"5", "A"}));
}

TEST_F(DriverScanTest, LeavesOutWhatItCannotIdentify) {
  attach("ZK400 ", "1.14aKR A4");                         // trailing blank: no platform
  attach("ZK400", "3.00");                                // empty model part
  attach("ZK400", "1.14 B5");                             // no size
  attach("ZK400", "1.14aKR A4").state.replies["6"] = "";  // no firmware reply
  attach("ZK150", "1.14aKR A4");                          // the update-only program's platform
  EXPECT_TRUE(scan().empty());
}

TEST_F(DriverScanTest, DuplicatesKeepTheLowerLinkPlace) {
  attach("ZK400", "1.14 A4");
  attach("ZK400", "2.30 A4");  // same size class, kind and brand
  attach("ZK400", "2.30 A3");
  sim::VirtualPlotter& first = attach("ZK400", "", "G");
  first.state.updateMode = true;
  sim::VirtualPlotter& second = attach("ZK400", "", "G");
  second.state.updateMode = true;
  second.state.bootPlatformName = "ZM6BS";
  EXPECT_EQ(scan(), (std::vector<std::string>{"ZK400 A4/2/1/1/0", "ZK400 A3/1/1/1/2",
                                              "ZK4BS update mode/99/2/1/3"}));
}

TEST_F(DriverScanTest, TheUpdateOnlyProgramKnowsMore) {
  attach("ZK150", "2.0.7");
  attach("ZK400", "1.0.3", "G");
  setEdition(Edition::UpdateOnly);
  EXPECT_EQ(scan(), (std::vector<std::string>{"ZK150 A4/2/1/1/0", "ZK400 A3/1/2/1/1"}));
  setEdition(Edition::Full);
  EXPECT_TRUE(scan().empty());
}

}  // namespace
}  // namespace velkor::test
