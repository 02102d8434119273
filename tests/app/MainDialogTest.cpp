// The main dialog of both programs, driven as a front end would against virtual plotters: what
// each handler shows, asks, waits and sends, with a recording view and prompter.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "app/MainDialog.h"
#include "app/dialogs/ControlIds.h"
#include "discovery/PlotterRecord.h"
#include "os/Calls.h"
#include "os/Platform.h"
#include "plotter/PlotterLink.h"
#include "plotter/TempName.h"
#include "sim/DefaultWorld.h"
#include "sim/World.h"
#include "tests/app/RecordingView.h"
#include "tests/support/RecordingPrompter.h"
#include "tests/support/SampleFirmware.h"

namespace velkor::test {
namespace {

using discovery::Edition;

constexpr const char kTwoPrinters[] =
    "[plotter A]\nconnection = printer\nmodel = VelkorClassic59da\nfirmware = 2.01 A4\n"
    "[plotter B]\nconnection = printer\nmodel = VelkorClassic59da\nfirmware = 2.02 A3\n"
    "[queue QA]\nplotter = A\nport = USB001\n[queue QB]\nplotter = B\nport = USB002\n";

class MainDialogTest : public ::testing::Test {
 protected:
  void open(const std::string& worldText, Edition edition = Edition::Full,
            const std::string& commandLine = "") {
    std::string error;
    world_ = sim::World::fromText(worldText, "test.world", &error);
    ASSERT_TRUE(world_) << error;
    platform_.emplace(world_->machine());
    discovery::setEdition(edition);
    discovery::plotterList().selected = -1;
    state_ = app::startUpState(commandLine);
    view_ = RecordingView();
    dialog_.emplace(state_, view_, prompter_);
    EXPECT_TRUE(dialog_->onInitDialog());
  }
  void TearDown() override {
    plotter::closePlotterLink();
    plotter::removeTempFile();
    platform_.reset();
    discovery::setEdition(Edition::Full);
  }
  sim::VirtualPlotter& plotter(const char* label) { return *world_->plotter(label); }
  void select(int line) {
    view_.selection = line;
    EXPECT_TRUE(dialog_->onCommand(IDC_PLOTTER_LIST, app::kSelectionChange));
  }
  bool press(int button) { return dialog_->onCommand(button, app::kButtonClicked); }
  os::sim::Tick now() { return world_->machine().now(); }

  std::unique_ptr<sim::World> world_;
  std::optional<os::ScopedPlatform> platform_;
  app::AppState state_;
  RecordingView view_;
  RecordingPrompter prompter_;
  std::optional<app::MainDialog> dialog_;
};

TEST(StartUp, TheFirstArgumentIsTheFirmwarePath) {
  EXPECT_EQ(app::firstCommandLineArgument("  \"C:\\My Files\\new fw.cas\" second"),
            "C:\\My Files\\new fw.cas");
  EXPECT_EQ(app::firstCommandLineArgument("fw.cas \"second one\""), "fw.cas");
  EXPECT_EQ(app::firstCommandLineArgument("\"unterminated path"), "unterminated path");
  EXPECT_EQ(app::firstCommandLineArgument("\"\" fw.cas"), "");
  EXPECT_EQ(app::firstCommandLineArgument("   "), "");
}

TEST_F(MainDialogTest, StartShowsThePathTheAboutItemThePlottersAndTheFirstOnesFields) {
  open(sim::defaultWorldText(), Edition::Full, "\"/tmp/new fw.cas\" ignored.cas");
  EXPECT_EQ(state_.firmwarePath, "/tmp/new fw.cas");
  EXPECT_EQ(view_.text(IDC_FIRMWARE_PATH), "/tmp/new fw.cas");
  EXPECT_EQ(view_.aboutItem, "&About Velkor...");
  ASSERT_EQ(view_.lines.size(), 6u);
  EXPECT_EQ(view_.selection, 0);
  EXPECT_EQ(view_.text(IDC_FIRMWARE), "1.14aKR A4");
  EXPECT_EQ(view_.text(IDC_TOOL_TYPE), "P 0.3 mm");
  EXPECT_EQ(view_.text(IDC_FIXTURES), "Vise 80");
  EXPECT_EQ(state_.displayName, view_.lines[0]);
  EXPECT_EQ(state_.bootNumber, 3);
  select(1);
  EXPECT_EQ(view_.text(IDC_FIRMWARE), "2.01 A3");
  EXPECT_EQ(state_.firmwareVersion, "2.01 A3");
  select(3);
  EXPECT_EQ(view_.text(IDC_SERIAL_NUMBER), "41207735") << "a printer plotter's record has it";
}

TEST_F(MainDialogTest, UpdateModeShowsItsTextWithoutAskingForTheFirmwareInEitherEdition) {
  for (Edition edition : {Edition::Full, Edition::UpdateOnly}) {
    open(sim::defaultWorldText(), edition);
    sim::VirtualPlotter& inUpdate = plotter("ZK2BS in update");
    const size_t asked = inUpdate.jobs().queries().size();
    select(2);
    const bool full = edition == Edition::Full;
    EXPECT_EQ(view_.text(IDC_FIRMWARE),
              full ? "data not availible" : "info not avail. in update mode");
    EXPECT_EQ(state_.bootNumber, 2);
    EXPECT_EQ(view_.aboutItem, full ? "&About Velkor..." : "&About Velkorflash..");
    for (size_t i = asked; i < inUpdate.jobs().queries().size(); ++i)
      EXPECT_NE(inUpdate.jobs().queries()[i], "6");
    // The update-only dialog has four fields and takes none of the full program's commands.
    EXPECT_EQ(view_.texts.count(IDC_SERIAL_NUMBER), full ? 1u : 0u);
    EXPECT_EQ(view_.texts.count(IDC_STATUS), full ? 1u : 0u);
    EXPECT_EQ(press(IDC_READ_STATUS), full);
    EXPECT_EQ(press(IDC_SEND_PLOT_FILE), full);
    TearDown();
  }
}

TEST_F(MainDialogTest, ARefreshThatFindsOnlyOnePlotterSelectsTheFirst) {
  open(kTwoPrinters);
  select(1);
  EXPECT_EQ(view_.text(IDC_FIRMWARE), "2.02 A3");
  plotter("B").unplug();
  EXPECT_TRUE(press(IDC_REFRESH));
  EXPECT_EQ(view_.lines.size(), 1u);
  EXPECT_EQ(view_.selection, 0);
  EXPECT_EQ(view_.text(IDC_FIRMWARE), "2.01 A4");
  plotter("A").unplug();
  press(IDC_REFRESH);
  EXPECT_TRUE(view_.lines.empty());
  EXPECT_EQ(view_.selection, -1);
  EXPECT_EQ(view_.text(IDC_FIRMWARE), "");
  EXPECT_EQ(state_.displayName, "");
}

TEST_F(MainDialogTest, ASerialNumberOfNineToTwelveIsSentAndEveryPressWaitsAndRefreshes) {
  open(kTwoPrinters);
  const std::string before = plotter("A").state.serialNumber;
  for (const char* serial : {"12345678", "1234567890123"}) {
    view_.texts[IDC_SERIAL_NUMBER] = serial;
    const os::sim::Tick start = now();
    const int fills = view_.listFills;
    EXPECT_TRUE(press(IDC_SEND_SERIAL_NUMBER));
    EXPECT_GE(now() - start, 5000u) << serial;
    EXPECT_EQ(view_.listFills, fills + 1) << serial;
    EXPECT_EQ(plotter("A").state.serialNumber, before) << serial;
  }
  for (const char* serial : {"VK2026120", "VK2026120999"}) {
    view_.texts[IDC_SERIAL_NUMBER] = serial;
    press(IDC_SEND_SERIAL_NUMBER);
    EXPECT_EQ(plotter("A").state.serialNumber, serial);
    EXPECT_EQ(view_.text(IDC_SERIAL_NUMBER), serial) << "the refresh shows what it wrote";
  }
}

TEST_F(MainDialogTest, ACancelledFileDialogKeepsThePathAndItsLabel) {
  open(kTwoPrinters, Edition::Full, "first.cas");
  view_.chosenFiles = {std::nullopt, std::string("/work/second.cas")};
  press(IDC_CHOOSE_FIRMWARE_FILE);
  EXPECT_EQ(state_.firmwarePath, "first.cas");
  EXPECT_EQ(view_.text(IDC_FIRMWARE_PATH), "first.cas");
  ASSERT_EQ(view_.offeredFilters.size(), 2u);
  EXPECT_STREQ(view_.offeredFilters[0].name, "Firmware update files *.cas");
  EXPECT_STREQ(view_.offeredFilters[1].pattern, "*.*");
  press(IDC_CHOOSE_FIRMWARE_FILE);
  EXPECT_EQ(state_.firmwarePath, "/work/second.cas");
  EXPECT_EQ(view_.text(IDC_FIRMWARE_PATH), "/work/second.cas");
  view_.chosenFiles = {std::string("/work/drawing.plt")};
  press(IDC_CHOOSE_PLOT_FILE);
  EXPECT_STREQ(view_.offeredFilters[0].pattern, "*.plt");
  EXPECT_EQ(view_.text(IDC_PLOT_PATH), "/work/drawing.plt");
  EXPECT_EQ(state_.plotPath, "/work/drawing.plt");
}

TEST_F(MainDialogTest, WithNoPlotterTheReadButtonsEmptyTheirFieldsAndUpdateSaysSo) {
  open("[queue Office]\nport = IP_10.0.0.7\n");
  for (int field : {IDC_FIXTURES, IDC_TOOL_TYPE, IDC_STATUS}) view_.texts[field] = "old";
  press(IDC_READ_FIXTURES);
  press(IDC_READ_TOOL_TYPE);
  press(IDC_READ_STATUS);
  for (int field : {IDC_FIXTURES, IDC_TOOL_TYPE, IDC_STATUS}) EXPECT_EQ(view_.text(field), "");
  press(IDC_SEND_UPDATE);
  EXPECT_EQ(prompter_.texts(), std::vector<std::string>{"No plotters detected\n"});
  EXPECT_EQ(view_.text(IDC_STATUS_LINE), "Firmware update failed");
  press(IDC_SEND_PLOT_FILE);
  press(IDC_ABORT_PLOT);
  EXPECT_TRUE(world_->machine().printJobs().empty());
}

TEST_F(MainDialogTest, AVersionWithOneThirteenAnywhereIsRefusedBeforeTheFileIsOpened) {
  open("[plotter P]\nconnection = printer\nmodel = VelkorClassic59da\nfirmware = 1.13b A4\n"
       "[queue Q]\nplotter = P\nport = USB001\n",
       Edition::Full, "/no/such/file.cas");
  press(IDC_SEND_UPDATE);
  ASSERT_EQ(prompter_.calls().size(), 1u);
  EXPECT_EQ(prompter_.texts()[0].rfind("To update from firmware versions older than 1.14", 0), 0u);
  EXPECT_EQ(view_.text(IDC_STATUS_LINE), "Firmware update failed");
}

TEST_F(MainDialogTest, AnUpdateSentShowsTheTimeInTheStatusLineAndTheNotice) {
  TempFile file;
  const SampleFirmware sample = classicFirmware();
  ASSERT_TRUE(writeSampleFirmware(file.path(), sample));
  open(sim::defaultWorldText(), Edition::Full, file.string());
  world_->machine().setDevicesAlwaysPend(false);  // times what the system waits, to the second
  select(3);
  prompter_.willAnswer(true);
  std::string statusAtNotice;
  prompter_.onCall = [&](const PromptCall& call) {
    if (call.kind == PromptCall::Kind::Information) statusAtNotice = view_.text(IDC_STATUS_LINE);
  };
  const int fills = view_.listFills;
  os::Sleep(2000);  // the technician reads the fields first; the update then takes 4.5 s
  press(IDC_SEND_UPDATE);
  EXPECT_EQ(view_.listFills, fills + 1) << "the list is refreshed before the update";
  EXPECT_EQ(view_.text(IDC_STATUS_LINE), "Plotter update sent on  07 Dec 26 13:21:06");
  ASSERT_EQ(prompter_.calls().size(), 2u);
  EXPECT_EQ(prompter_.calls()[1].kind, PromptCall::Kind::Information);
  EXPECT_EQ(statusAtNotice, view_.text(IDC_STATUS_LINE)) << "the status line comes first";
  EXPECT_EQ(plotter("Classic").lastUpdateOutcome(), "accepted PALL 1.20 A4");
}

TEST_F(MainDialogTest, TheSystemMenuShowsAboutAndCloseClosesThePlotterLink) {
  open(sim::defaultWorldText());
  EXPECT_TRUE(dialog_->onSysCommand(IDM_ABOUTBOX));
  EXPECT_TRUE(dialog_->onSysCommand(IDM_ABOUTBOX | 0x3));
  EXPECT_EQ(view_.aboutShown, 2);
  EXPECT_FALSE(dialog_->onSysCommand(0xF020)) << "minimise is the front end's";
  EXPECT_NE(plotter::linkDevice(), nullptr) << "the first plotter is on the driver";
  EXPECT_FALSE(dialog_->onSysCommand(app::kCloseCommand));
  EXPECT_EQ(plotter::linkDevice(), nullptr);
  EXPECT_EQ(view_.aboutShown, 2);
}

}  // namespace
}  // namespace velkor::test
