// The print-queue walk against worlds of queues and printing-class plotters: which queues are
// listed, with what, and which are left out.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "discovery/DiscoverPlotters.h"
#include "discovery/Edition.h"
#include "discovery/PlotterRecord.h"
#include "os/Platform.h"
#include "plotter/PlotterLink.h"
#include "sim/World.h"

namespace velkor::test {
namespace {

using namespace discovery;

// A printing-class plotter of an escape-table row that asks nothing of the plotter but its
// serial (size class 2, kind 1), and one of a row that leaves size class and kind to it.
constexpr const char kKnownPlotter[] =
    "[plotter P1]\nconnection = printer\nmodel = LindqvarLinnea_30f9f6\nserial = 40123456\\r\n"
    "instance = VK0000001\n";
constexpr const char kAskingPlotter[] =
    "[plotter P2]\nconnection = printer\nmodel = VelkorClassic5199\nserial = \"AB000000  \"\n"
    "tool = G 0.5\ninstance = VK0000002\n";

class PrintQueueScanTest : public ::testing::Test {
 protected:
  void TearDown() override {
    world_.reset();
    setEdition(Edition::Full);
  }

  // Builds the world and runs a whole discovery on it; the handle count must come back.
  void discover(const std::string& text) {
    std::string error;
    world_ = sim::World::fromText(text, "test.world", &error);
    ASSERT_TRUE(world_) << error;
    platform_ = std::make_unique<os::ScopedPlatform>(world_->machine());
    const size_t handles = world_->machine().openHandleCount();
    count_ = discoverPlotters(&notes_);
    EXPECT_EQ(world_->machine().openHandleCount(), handles);
  }

  const PlotterRecord& entry(int i) const { return plotterList().records[i]; }
  std::string prefix(int i) const { return entry(i).parentPrefix; }

  // "name|port|connection|size class|kind|brand|model row|serial|instance|prefix" of an entry.
  std::string describe(int i) const {
    const PlotterRecord& r = entry(i);
    return std::string(r.name) + "|" + r.port + "|" + std::to_string(r.connection) + "|" +
           std::to_string(r.sizeClass) + "|" + std::to_string(r.kind) + "|" +
           std::to_string(r.brand) + "|" + std::to_string(r.modelRow) + "|" + r.serial + "|" +
           r.instanceText + "|" + r.parentPrefix;
  }

  std::unique_ptr<sim::World> world_;
  std::unique_ptr<os::ScopedPlatform> platform_;
  DiscoveryNotes notes_;
  int count_ = 0;
};

TEST_F(PrintQueueScanTest, ListsKnownModelsOnEveryPortAndSkipsOtherQueues) {
  discover(std::string(kKnownPlotter) +
           "[queue Office Laser]\nport = IP_10.0.0.7\n"
           "[queue Plotter A]\nplotter = P1\nport = USB001\n"
           "[queue Plotter A copy]\nplotter = P1\nport = USB002\n"
           "[queue Shop LPT]\nport = LPT1:\nhardware-id = velkorclassic5199\n");
  ASSERT_EQ(count_, 3);
  EXPECT_EQ(describe(0), "Plotter A|USB001|3|2|1|2|10|40123456|vk0000001|" + prefix(0));
  EXPECT_STRNE(entry(0).parentPrefix, "");
  EXPECT_EQ(describe(1), "Plotter A copy|USB002|3|2|1|2|10|40123456|vk0000001|" + prefix(0));
  // A known model on a parallel port takes the row's values, zeros included, unasked.
  EXPECT_EQ(describe(2), "Shop LPT|LPT1:|1|0|0|1|8|||");
  EXPECT_EQ(notes_.queues, 4);
  EXPECT_EQ(notes_.queuesOfKnownModel, 3);
}

// Its name is longer in UTF-8 than in the UTF-16 units the registry counts it in.
TEST_F(PrintQueueScanTest, AQueueNamedInAnyLanguageIsListedByItsName) {
  const std::string name = "\u03a9\u03bc\u03ad\u03b3\u03b1 \u6e2c\u8a66 \u0141\u00f3d\u017a";
  discover(std::string(kKnownPlotter) + "[queue " + name + "]\nplotter = P1\nport = USB001\n");
  ASSERT_EQ(count_, 1);
  EXPECT_EQ(std::string(entry(0).name), name);
}

TEST_F(PrintQueueScanTest, AsksThePlotterWhatTheRowLeavesOpen) {
  discover(std::string(kAskingPlotter) + "firmware = 1.14aKR A4\n" +
           "[queue Engraver]\nplotter = P2\nport = USB001\n");
  ASSERT_EQ(count_, 1);
  // Size class 4 from "KR A4", kind 2 from "G"; the unset serial is refused.
  EXPECT_EQ(describe(0), "Engraver|USB001|3|4|2|1|8||vk0000002|" + prefix(0));
}

TEST_F(PrintQueueScanTest, LeavesOutPlottersThatDoNotAnswerOrTell) {
  discover(std::string(kKnownPlotter) + "online = no\n" + kAskingPlotter +
           "firmware = 2.00 B5\n"
           "[queue Off]\nplotter = P1\nport = USB001\n"
           "[queue No size]\nplotter = P2\nport = USB002\n");
  EXPECT_EQ(count_, 0);
  EXPECT_EQ(notes_.queuesNotAnswering, 1);
}

TEST_F(PrintQueueScanTest, DriverPlottersComeFirstAndTheListHoldsFifty) {
  std::string text = "[plotter D]\nconnection = driver\nfirmware = 1.14aKR A4\n";
  std::string known = kKnownPlotter;
  text += known.replace(known.find("40123456\\r"), 10, "ABC-1234");
  for (int q = 0; q < 55; ++q) {
    text += "[queue Q" + std::to_string(100 + q) + "]\nplotter = P1\nport = USB001\n";
  }
  discover(text);
  ASSERT_EQ(count_, kPlotterListCapacity);
  EXPECT_EQ(entry(0).connection, kConnectionDriver);
  EXPECT_STREQ(entry(0).name, "ZK200 A4");
  EXPECT_STREQ(entry(1).name, "Q100");
  EXPECT_STREQ(entry(49).name, "Q148");
  EXPECT_STREQ(entry(49).serial, "ABC-1234");
}

TEST_F(PrintQueueScanTest, TheUpdateOnlyProgramAsksOnlineByItsOwnCode) {
  setEdition(Edition::UpdateOnly);
  discover(std::string(kKnownPlotter) + "[queue Plotter A]\nplotter = P1\nport = USB001\n");
  EXPECT_EQ(count_, 1);
}

}  // namespace
}  // namespace velkor::test
