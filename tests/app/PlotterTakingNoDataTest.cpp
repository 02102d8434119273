// Plotters behind print queues that take no data (a world's refuses-data): every write and
// request to one pends until the executor's wait ends and cancels it, so each command to it
// fails within that wait. Discovery leaves it out, a field asked of it shows "???", an update
// or a serial number fails with its own text; simulated time shows what each one waited, and
// every handle opened is closed again.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/PlotterInfo.h"
#include "app/SendUpdate.h"
#include "discovery/DiscoverPlotters.h"
#include "discovery/PlotterRecord.h"
#include "firmware/SendFirmwareUpdate.h"
#include "os/Platform.h"
#include "plotter/PlotterLink.h"
#include "plotter/QueryFrontEnd.h"
#include "plotter/TempName.h"
#include "sim/World.h"
#include "tests/support/RecordingPrompter.h"
#include "tests/support/SampleFirmware.h"
#include "usb/UsbLibrary.h"

namespace velkor::test {
namespace {

// Queues walked in name order: an escape-table plotter, one that takes no data, and a
// vendor-request-table plotter after it. Their model rows give size and kind, so discovery asks
// each only "Query Online" and its serial.
constexpr const char kWorld[] =
    "[plotter Escape]\nconnection = printer\nmodel = LindqvarLinnea_30e85f\n"
    "firmware = 1.14aKR A4\nserial = 41000001\n"
    "[plotter Refusing]\nconnection = printer\nmodel = LindqvarLinnea_30e85f\n"
    "refuses-data = yes\n"
    "[plotter Vendor]\nconnection = printer\nmodel = VelkorP-Series_4fbcb\nserial = 41000003\n"
    "[queue A Escape]\nplotter = Escape\nport = USB001\n"
    "[queue B Refusing]\nplotter = Refusing\nport = USB002\n"
    "[queue C Vendor]\nplotter = Vendor\nport = USB003\n";

class PlotterTakingNoDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    world_ = sim::World::fromText(kWorld, "test.world", &error);
    ASSERT_TRUE(world_) << error;
    machine().setDevicesAlwaysPend(false);  // times what the system waits, to the millisecond
    platform_.emplace(machine());
    usb::initUsbLibrary();
    discovery::plotterList().selected = -1;
  }
  void TearDown() override {
    plotter::closePlotterLink();
    plotter::removeTempFile();
    platform_.reset();
  }

  os::sim::SimMachine& machine() { return world_->machine(); }
  sim::VirtualPlotter& plotter(const char* label) { return *world_->plotter(label); }

  // Runs the operation; the simulated time it took. It leaves no handle open.
  template <typename Operation>
  os::sim::Tick timed(Operation operation) {
    const size_t handles = machine().openHandleCount();
    const os::sim::Tick start = machine().now();
    operation();
    EXPECT_EQ(machine().openHandleCount(), handles) << "handles left open";
    return machine().now() - start;
  }

  std::vector<std::string> listed() const {
    std::vector<std::string> names;
    const discovery::PlotterList& list = discovery::plotterList();
    for (int i = 0; i < list.count; ++i) names.push_back(list.records[i].name);
    return names;
  }

  std::unique_ptr<sim::World> world_;
  std::optional<os::ScopedPlatform> platform_;
};

TEST_F(PlotterTakingNoDataTest, DiscoveryLeavesItOutAndItsFieldsShowQuestionMarks) {
  discovery::DiscoveryNotes notes;
  // The port-status request of "Query Online" waits its 1000 ms; the drain before the escape
  // plotter's serial query waits 10 ms for no reply.
  EXPECT_EQ(timed([&] { discovery::discoverPlotters(&notes); }), 1010u);
  EXPECT_EQ(listed(), (std::vector<std::string>{"A Escape", "C Vendor"}));
  EXPECT_EQ(notes.queuesNotAnswering, std::vector<std::string>{"B Refusing"});
  EXPECT_EQ(plotter("Refusing").printerLog().summary(), "refused:lpt");

  // Both listed plotters stop taking data: each of the seven fields waits 1000 ms, after the
  // escape plotter's 10 ms drain, whose write is refused.
  plotter("Escape").misbehaviour.refusesData = true;
  plotter("Vendor").misbehaviour.refusesData = true;
  for (int index : {0, 1}) {
    app::PlotterInfo info;
    EXPECT_EQ(timed([&] { info = app::fillPlotterInfo(index); }), index == 0 ? 7070u : 7000u);
    EXPECT_EQ(info.serialNumber, index == 0 ? "41000001" : "41000003") << "from the list";
    for (const std::string& field : {info.plotterType, info.firmware, info.bootProgram,
                                     info.hardware, info.fixtures, info.toolType, info.status}) {
      EXPECT_EQ(field, "???");
    }
  }
  EXPECT_EQ(plotter("Escape").printerLog().summary().rfind(
                "lpt,write:\\x1b.0,read:0,write:\\x1b.S:,read:4,read:8,"
                "refused:write:\\x1b.0,refused:write:\\x1b.5,refused:write:\\x1b.0,",
                0),
            0u)
      << plotter("Escape").printerLog().summary();
  EXPECT_EQ(plotter("Vendor").printerLog().summary(),
            "lpt,get:S:,refused:get:5,refused:get:6,refused:get:7,refused:get:8,refused:get:4,"
            "refused:get:A,refused:get:B");
}

TEST_F(PlotterTakingNoDataTest, AnUpdateOrASerialNumberFailsWithItsText) {
  discovery::discoverPlotters();
  ASSERT_EQ(listed().front(), "A Escape");
  discovery::plotterList().selected = 0;
  sim::VirtualPlotter& escape = plotter("Escape");
  escape.misbehaviour.refusesData = true;
  escape.clearPrinterLog();

  // The serial number's write is refused: 1000 ms, and the plotter keeps its serial.
  EXPECT_EQ(timed([] { EXPECT_EQ(plotter::setSerialNumber("VK1234567"), -2); }), 1000u);
  EXPECT_EQ(escape.state.serialNumber, "41000001");

  // The update procedure on the listed plotter: its first "Query Online" waits 1000 ms, and
  // nothing is printed.
  TempFile file;
  SampleFirmware sample;  // of the plotter's own identity, so that nothing is asked
  sample.descriptor = Descriptor::PatternB;
  sample.productId = 0x4C11;
  sample.headerNote = " 2.20 A4";
  ASSERT_TRUE(writeSampleFirmware(file.path(), sample));
  RecordingPrompter prompter;
  char log[1024] = "";
  EXPECT_EQ(timed([&] {
              EXPECT_EQ(firmware::sendFirmwareUpdate(file.string().c_str(), log, sizeof log, 3,
                                                     {"1.14aKR A4", 3, "A Escape"}, prompter),
                        firmware::kUpdateSendFailed);
            }),
            1000u);
  EXPECT_EQ(prompter.texts(),
            std::vector<std::string>{"Error sending update to plotter. Connection OK?"});
  EXPECT_TRUE(machine().printJobs().empty());
  EXPECT_FALSE(std::filesystem::exists(plotter::tempName())) << "the stream is not kept";
  EXPECT_EQ(escape.printerLog().summary(), "refused:write:\\x1b.SVK1234567:,refused:lpt");

  // "Send update" first finds the plotters again (1000 ms for each refusing plotter's
  // "Query Online") and lets the list settle 500 ms: with both left out, none is listed.
  plotter("Vendor").misbehaviour.refusesData = true;
  RecordingPrompter dialog;
  app::SendUpdateOutcome outcome;
  EXPECT_EQ(timed([&] { outcome = app::onSendUpdate(file.string(), dialog); }), 3 * 1000u + 500u);
  EXPECT_EQ(outcome.result, firmware::kUpdateRefused);
  EXPECT_EQ(outcome.status, "Firmware update failed");
  EXPECT_EQ(dialog.texts(), std::vector<std::string>{"No plotters detected\n"});
}

}  // namespace
}  // namespace velkor::test
