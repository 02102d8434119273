// "Send update" as both programs run it: the dialog's own refusals before the update procedure
// opens anything, the status line, and the selection a refresh keeps.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "app/RefreshPlotterList.h"
#include "app/SendUpdate.h"
#include "discovery/PlotterRecord.h"
#include "os/Platform.h"
#include "plotter/PlotterLink.h"
#include "plotter/TempName.h"
#include "sim/World.h"
#include "tests/support/RecordingPrompter.h"
#include "tests/support/SampleFirmware.h"
#include "usb/UsbLibrary.h"

namespace velkor::test {
namespace {

constexpr const char kUpdateModeText[] =
    "To update from firmware versions older than 1.14, the plotter must be started in UPDATE "
    "MODE:\n\nRecycle the power  of the plotter.When switching on the power, \nhold down the STOP "
    "and CLEAR BUFFER Keys.\nThe STOP and CLEAR Buffer LEDs should then be lighted.\nClick on the "
    "\"Refresh Plotter info\" button and retry the update.";

class SendUpdateTest : public ::testing::Test {
 protected:
  void load(const std::string& text) {
    plotter::closePlotterLink();  // it may hold a device of the world before
    std::string error;
    world_ = sim::World::fromText(text, "test.world", &error);
    ASSERT_TRUE(world_) << error;
    platform_.emplace(world_->machine());
    usb::initUsbLibrary();  // as a program's start does
    discovery::plotterList().selected = -1;
  }
  void TearDown() override {
    plotter::closePlotterLink();
    plotter::removeTempFile();
    platform_.reset();
  }

  // A printer plotter behind a queue, with the firmware text given.
  void printerWith(const std::string& firmware) {
    load("[plotter P]\nconnection = printer\nmodel = VelkorClassic59da\nfirmware = " + firmware +
         "\n[queue Q]\nplotter = P\nport = USB001\n");
  }

  std::unique_ptr<sim::World> world_;
  std::optional<os::ScopedPlatform> platform_;
  RecordingPrompter prompter_;
};

TEST_F(SendUpdateTest, VersionsThatNeedUpdateModeAreRefusedBeforeTheFileIsOpened) {
  for (const char* firmware : {"1.13b A4", "A4 1.12", "A3 1.13"}) {
    printerWith(firmware);
    RecordingPrompter prompter;
    const app::SendUpdateOutcome outcome = app::onSendUpdate("/no/such/file.cas", prompter);
    EXPECT_EQ(outcome.result, -2) << firmware;
    EXPECT_EQ(outcome.status, "Firmware update failed");
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{kUpdateModeText}) << firmware;
    EXPECT_FALSE(outcome.findings.device.known) << "the update procedure did not run";
  }
  // A driver plotter must be in update mode; 1.14 behind a queue goes on to the procedure.
  load("[plotter D]\nconnection = driver\n");
  EXPECT_EQ(app::onSendUpdate("/no/such/file.cas", prompter_).result, -2);
  EXPECT_EQ(prompter_.texts(), std::vector<std::string>{kUpdateModeText});
  printerWith("1.14 A4");
  RecordingPrompter later;
  app::onSendUpdate("/no/such/file.cas", later);
  EXPECT_EQ(later.texts(),
            std::vector<std::string>{"Could not open firmware update file\n/no/such/file.cas"});
}

TEST_F(SendUpdateTest, NoPlotterSaysSoAfterThePause) {
  load("[queue Office]\nport = IP_10.0.0.9\n");
  const os::sim::Tick start = world_->machine().now();
  const app::SendUpdateOutcome outcome = app::onSendUpdate("x.cas", prompter_);
  EXPECT_EQ(world_->machine().now() - start, 500u);
  EXPECT_EQ(outcome.result, -2);
  EXPECT_EQ(outcome.status, "Firmware update failed");
  EXPECT_EQ(prompter_.texts(), std::vector<std::string>{"No plotters detected\n"});
}

TEST_F(SendUpdateTest, TheStatusLineHasTwoSpacesAndEnglishMonths) {
  SYSTEMTIME now{};
  now.wYear = 2026;
  now.wMonth = 12;
  now.wDay = 7;
  now.wHour = 13;
  now.wMinute = 21;
  now.wSecond = 6;
  EXPECT_EQ(app::updateSentStatus(now), "Plotter update sent on  07 Dec 26 13:21:06");
  now.wMonth = 5;
  now.wDay = 30;
  now.wYear = 2031;
  now.wHour = 0;
  EXPECT_EQ(app::updateSentStatus(now), "Plotter update sent on  30 May 31 00:21:06");
}

// "Send update" refused because the selected line now holds another plotter than the chosen.
void expectListChanged(const app::SendUpdateOutcome& outcome, const RecordingPrompter& prompter) {
  EXPECT_EQ(outcome.result, -2);
  EXPECT_EQ(outcome.status, "Firmware update failed");
  ASSERT_EQ(prompter.texts().size(), 1u);
  EXPECT_EQ(prompter.texts()[0].rfind("The plotter list has changed", 0), 0u)
      << prompter.texts()[0];
}

TEST_F(SendUpdateTest, AnUpdateGoesToNoOtherPlotterThanTheOneChosen) {
  load("[plotter A]\nconnection = printer\nmodel = VelkorClassic59da\nfirmware = 1.14 A4\n"
       "[plotter B]\nconnection = printer\nmodel = VelkorClassic59da\nfirmware = 1.14 A4\n"
       "[queue QA]\nplotter = A\nport = USB001\n[queue QB]\nplotter = B\nport = USB002\n");
  app::refreshPlotterList();
  ASSERT_EQ(discovery::plotterList().count, 2);
  discovery::plotterList().selected = 0;  // A, the technician's choice
  world_->plotter("A")->unplug();
  // B took A's line, and B was not chosen.
  expectListChanged(app::onSendUpdate("/no/such/file.cas", prompter_), prompter_);
  // Chosen again from the list as it is now, it goes on to the update procedure.
  RecordingPrompter again;
  app::onSendUpdate("/no/such/file.cas", again);
  EXPECT_EQ(again.texts(),
            std::vector<std::string>{"Could not open firmware update file\n/no/such/file.cas"});
}

TEST_F(SendUpdateTest, OnTheDriverTheChosenDeviceCountsNotItsLinkPlace) {
  // Two plotters that differ in size, so that both are listed.
  const std::string world =
      "[plotter A]\nconnection = driver\nfirmware = 2.01 A3\n"
      "[plotter B]\nconnection = driver\nfirmware = 1.14aKR A4\n";
  load(world);
  app::refreshPlotterList();
  ASSERT_EQ(discovery::plotterList().count, 2);
  discovery::plotterList().selected = 0;  // A
  world_->plotter("A")->unplug();
  // B is at link place 0 now, and on the selected line.
  expectListChanged(app::onSendUpdate("/no/such/file.cas", prompter_), prompter_);

  // B chosen, and A above it gone: the refresh falls back to the first line, which is B.
  load(world);
  app::refreshPlotterList();
  discovery::plotterList().selected = 1;
  world_->plotter("A")->unplug();
  RecordingPrompter chosenB;
  app::onSendUpdate("/no/such/file.cas", chosenB);
  EXPECT_EQ(chosenB.texts(), std::vector<std::string>{kUpdateModeText})
      << "B is the plotter chosen; only its mode stops the update";
}

TEST_F(SendUpdateTest, APlotterRestartedInUpdateModeOnItsPlaceTakesTheUpdate) {
  load("[plotter Z]\nconnection = driver\ntype = ZK400\nboot-type = ZK2BS\n"
       "firmware = 1.14aKR A4\nboot = 2.11\n");
  app::refreshPlotterList();
  discovery::plotterList().selected = 0;
  ASSERT_EQ(discovery::recordText(discovery::plotterList().records[0].name), "ZK200 A4");
  TempFile file;
  SampleFirmware sample;  // fits boot program 2.11 (device type 4)
  sample.descriptor = Descriptor::PatternB;
  sample.productId = 0x4C04;
  sample.headerNote = " 2.02 A4";
  ASSERT_TRUE(writeSampleFirmware(file.path(), sample));
  // The list was made before the technician restarted the plotter as the refusal asks.
  RecordingPrompter first;
  app::onSendUpdate(file.string(), first);
  EXPECT_EQ(first.texts(), std::vector<std::string>{kUpdateModeText});
  sim::VirtualPlotter& plotter = *world_->plotter("Z");
  plotter.unplug();
  plotter.state.updateMode = true;
  plotter.powerOn();

  const app::SendUpdateOutcome outcome = app::onSendUpdate(file.string(), prompter_);
  EXPECT_EQ(discovery::recordText(discovery::plotterList().records[0].name), "ZK2BS update mode");
  EXPECT_EQ(outcome.result, 0) << ::testing::PrintToString(prompter_.texts());
  EXPECT_EQ(plotter.lastUpdateOutcome(), "accepted PALL 2.02 A4");
}

TEST_F(SendUpdateTest, APrinterPlotterWhoseSerialQueryFailedOnceIsStillTheOneChosen) {
  printerWith("1.14 A4");
  sim::VirtualPlotter& plotter = *world_->plotter("P");
  plotter.state.replies["S:"] = "";  // no serial this time
  app::refreshPlotterList();
  discovery::plotterList().selected = 0;
  ASSERT_EQ(discovery::recordText(discovery::plotterList().records[0].serial), "");
  plotter.state.replies.clear();
  app::onSendUpdate("/no/such/file.cas", prompter_);
  EXPECT_EQ(discovery::recordText(discovery::plotterList().records[0].serial), "40123456");
  EXPECT_EQ(prompter_.texts(),
            std::vector<std::string>{"Could not open firmware update file\n/no/such/file.cas"});
}

TEST_F(SendUpdateTest, ARefreshKeepsAValidSelectionAndFallsBackToTheFirst) {
  EXPECT_EQ(app::keptSelection(1, 2), 1);
  EXPECT_EQ(app::keptSelection(1, 1), 0) << "the second plotter is gone";
  EXPECT_EQ(app::keptSelection(-1, 3), 0);
  EXPECT_EQ(app::keptSelection(0, 0), -1);
}

}  // namespace
}  // namespace velkor::test
