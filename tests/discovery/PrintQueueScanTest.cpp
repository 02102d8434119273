// The print-queue walk against worlds of queues and printing-class plotters: which queues are
// listed, with what, and which are left out.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "discovery/DiscoverPlotters.h"
#include "discovery/Edition.h"
#include "discovery/ModelTable.h"
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
    "[plotter P1]\nconnection = printer\nmodel = LindqvarLinnea_30e85f\nserial = 40123456\\r\n"
    "instance = VK0000001\n";
constexpr const char kAskingPlotter[] =
    "[plotter P2]\nconnection = printer\nmodel = VelkorClassic59da\nserial = \"AB000000  \"\n"
    "tool = G 0.5\ninstance = VK0000002\n";

class PrintQueueScanTest : public ::testing::Test {
 protected:
  void TearDown() override {
    world_.reset();
    setEdition(Edition::Full);
  }

  // Builds the world, with the registry text added to what it generates.
  void load(const std::string& text, const std::string& registry = {}) {
    platform_.reset();
    world_.reset();
    std::string error;
    world_ = sim::World::fromText(text, "test.world", &error);
    ASSERT_TRUE(world_) << error;
    ASSERT_TRUE(registry.empty() || world_->machine().loadRegistry(registry, &error)) << error;
    platform_ = std::make_unique<os::ScopedPlatform>(world_->machine());
  }
  // Runs a whole discovery; the handle count must come back.
  void discover() {
    const size_t handles = world_->machine().openHandleCount();
    count_ = discoverPlotters(&notes_);
    EXPECT_EQ(world_->machine().openHandleCount(), handles);
  }
  void discover(const std::string& text, const std::string& registry = {}) {
    load(text, registry);
    if (world_) discover();
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
           "[queue Shop LPT]\nport = LPT1:\nhardware-id = velkorclassic59da\n");
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
  EXPECT_EQ(notes_.queuesNotAnswering, std::vector<std::string>{"Off"});
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

// Where the row leaves them open, the Firmware reply gives the size class by the first rule that
// holds ("KR A4" or "BASIC", then "A4", then "A3"), wherever each stands in it; a tool whose
// reply begins with neither "P" nor "G" leaves the kind 0, and the plotter is listed all the same.
TEST_F(PrintQueueScanTest, RepliesGiveTheSizeClassByTheFirstRuleAndTheKindByTheTool) {
  struct Case {
    const char* firmware;
    const char* tool;
    const char* sizeAndKind;
  };
  const Case cases[] = {
      {"1.20 BASIC", "P 0.3", "4|1"}, {"1.20 A3 A4 BASIC", "G 0.5", "4|2"},
      {"1.20 A3 A4", "p 0.3", "2|0"}, {"1.20 A3", "Knife 1", "1|0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.firmware);
    discover(std::string("[plotter P]\nconnection = printer\nmodel = VelkorClassic59da\n") +
             "firmware = " + c.firmware + "\ntool = " + c.tool + "\n[queue Q]\nplotter = P\n" +
             "port = USB001\n");
    ASSERT_EQ(count_, 1);
    EXPECT_EQ(describe(0), std::string("Q|USB001|3|") + c.sizeAndKind + "|1|8|40123456|vk0000001|" +
                               prefix(0));
  }
}

// Queues whose registry entries the walk cannot follow are left out, the others listed: the
// device's instance ID must have a backslash and an "&" after its last one, the queue a "Port",
// and every key path must fit 2,048 bytes. Each case's USB device has the ParentIdPrefix that
// a walk ignoring the rule would take, so that only the rule leaves it out.
TEST_F(PrintQueueScanTest, QueuesAreFollowedOnlyWhereTheirRegistryEntriesAllowIt) {
  struct Case {
    std::string queue;
    bool hasPort;
    std::string device;
    std::string parentIdPrefix;
    std::string listedAs;  // empty: left out
  };
  const std::string device = "USBPRINT\\LindqvarLinnea_30e85f\\7&2A3B4C5D&0&USB001";
  const std::string longName = "Plotter " + std::string(130, 'n');
  const Case cases[] = {
      {"Other case", true, device, "7&2a3b4c5d&0", "Other case"},
      {longName, true, device, "7&2A3B4C5D&0", longName.substr(0, 127)},
      {"No port", false, device, "7&2A3B4C5D&0", ""},
      {"No ampersand", true, "USBPRINT\\LindqvarLinnea_30e85f\\7", "7", ""},
      {"Ampersand before", true, "USBPRINT\\Lindqvar&Linnea\\7", "7", ""},
      {"No backslash", true, "LindqvarLinnea&7", "LindqvarLinnea", ""},
      {"Long path", true, "USBPRINT\\" + std::string(2048, 'x') + "\\7&2A3B4C5D&0&USB001",
       "7&2A3B4C5D&0", ""},
  };
  const ModelEntry& model = modelTable()[10];
  char usbDevice[64];
  std::snprintf(usbDevice, sizeof usbDevice, "USB\\Vid_%04x&Pid_%04x\\VK0000001", model.vendorId,
                model.productId);
  auto quoted = [](const std::string& text) {
    std::string escaped;
    for (char ch : text) escaped += ch == '\\' ? std::string("\\\\") : std::string(1, ch);
    return "\"" + escaped + "\"\n";
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.queue);
    const std::string queueKey =
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Print\\Printers\\" +
        c.queue;
    const std::string enumKey = "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\";
    discover(kKnownPlotter,
             "REGEDIT4\n\n" + queueKey + "]\n" + (c.hasPort ? "\"Port\"=\"USB001\"\n" : "") +
                 queueKey + "\\PnPData]\n\"DeviceInstanceID\"=" + quoted(c.device) + enumKey +
                 c.device + "]\n\"HardwareID\"=" + quoted("USBPRINT\\LindqvarLinnea_30e85f") +
                 enumKey + usbDevice + "]\n\"ParentIdPrefix\"=" + quoted(c.parentIdPrefix));
    ASSERT_EQ(count_, c.listedAs.empty() ? 0 : 1);
    if (count_ == 1) {
      EXPECT_EQ(describe(0), c.listedAs + "|USB001|3|2|1|2|10|40123456|vk0000001|7&2A3B4C5D&0");
    }
  }
}

// Each walk clears the slot before it writes a candidate into it: nothing of the plotter that
// the slot held in the discovery before, or of a candidate given up in it, shows for the next.
TEST_F(PrintQueueScanTest, NoEntryShowsWhatItsSlotHeldBefore) {
  load(std::string(kKnownPlotter) + "[plotter D]\nconnection = driver\n" + kAskingPlotter +
       "online = no\n"
       "[queue A]\nplotter = P1\nport = USB001\n[queue A2]\nplotter = P1\nport = USB003\n"
       "[queue B off]\nplotter = P2\nport = USB002\n"
       "[queue C LPT]\nport = LPT1:\nhardware-id = velkorclassic59da\n");
  sim::VirtualPlotter& driver = *world_->plotter("D");
  driver.unplug();
  discover();
  ASSERT_EQ(count_, 3);  // A and A2 with their serial in slots 0 and 1, C LPT in slot 2
  driver.powerOn();
  world_->plotter("P1")->state.replies["S:"] = "";  // no serial this time
  discover();
  ASSERT_EQ(count_, 4);
  EXPECT_EQ(describe(0), "ZK200 A4||2|4|2|1|0|||");
  EXPECT_EQ(describe(1), "A|USB001|3|2|1|2|10||vk0000001|" + prefix(1));
  EXPECT_EQ(describe(3), "C LPT|LPT1:|1|0|0|1|8|||") << "B off was given up in its slot";
}

TEST_F(PrintQueueScanTest, TheUpdateOnlyProgramAsksOnlineByItsOwnCode) {
  setEdition(Edition::UpdateOnly);
  discover(std::string(kKnownPlotter) + "[queue Plotter A]\nplotter = P1\nport = USB001\n");
  EXPECT_EQ(count_, 1);
}

}  // namespace
}  // namespace velkor::test
