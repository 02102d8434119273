// Plotters behind print queues that still hold replies of earlier exchanges nobody read: the
// fields show what the plotter says now, on both command tables, in both editions.
#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "app/PlotterInfo.h"
#include "app/RefreshPlotterList.h"
#include "discovery/Edition.h"
#include "discovery/PlotterRecord.h"
#include "os/Platform.h"
#include "plotter/PlotterLink.h"
#include "sim/World.h"
#include "usb/UsbLibrary.h"

namespace velkor::test {
namespace {

constexpr const char kStaleWorld[] =
    "[plotter Escape table]\nconnection = printer\nmodel = VelkorClassic59da\n"
    "firmware = 1.08 A4\nboot = 3.01\nhardware = CL-2 rev D\nstale-replies = 3\n"
    "[plotter Vendor table]\nconnection = printer\nmodel = VelkorP-Series_3398a\n"
    "firmware = 2.10 A3\nboot = 3.10\nhardware = PS-3 rev A\nstale-replies = 3\n"
    "[queue Q1]\nplotter = Escape table\nport = USB001\n"
    "[queue Q2]\nplotter = Vendor table\nport = USB002\n";

TEST(StaleReplies, TheFieldsShowTheAnswersOfNowOnBothTablesAndEditions) {
  for (discovery::Edition edition : {discovery::Edition::Full, discovery::Edition::UpdateOnly}) {
    discovery::setEdition(edition);
    std::string error;
    std::unique_ptr<sim::World> world = sim::World::fromText(kStaleWorld, "stale.world", &error);
    ASSERT_TRUE(world) << error;
    os::ScopedPlatform platform(world->machine());
    usb::initUsbLibrary();
    discovery::plotterList().selected = -1;
    app::refreshPlotterList();
    ASSERT_EQ(discovery::plotterList().count, 2);
    const app::PlotterInfo first = app::fillPlotterInfo(0);
    const app::PlotterInfo second = app::fillPlotterInfo(1);
    EXPECT_EQ(first.firmware, "1.08 A4");
    EXPECT_EQ(first.hardware, "CL-2 rev D");
    EXPECT_EQ(second.firmware, "2.10 A3");
    EXPECT_EQ(second.hardware, "PS-3 rev A");
    plotter::closePlotterLink();
  }
  discovery::setEdition(discovery::Edition::Full);
}

}  // namespace
}  // namespace velkor::test
