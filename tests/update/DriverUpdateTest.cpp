// Updates of plotters on the vendor driver: the stream goes as a firmware file over the plotter
// link with no question asked, and the plotter comes back with the new firmware.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "channel/FileTransfer.h"
#include "plotter/QueryFrontEnd.h"
#include "tests/update/UpdateTest.h"

namespace velkor::test {
namespace {

class DriverUpdate : public UpdateTest {
 protected:
  void SetUp() override {
    UpdateTest::SetUp();
    plotter_ = &plugIn();
    addRecord(discovery::kConnectionDriver);
  }

  // The firmware text the plotter reports once switched on again, over a new link.
  std::string firmwareAfterPowerOn() {
    plotter_->powerOn();
    plotter::closePlotterLink();
    char reply[64] = "";
    plotter::queryPlotter("6", reply, sizeof reply);
    return reply;
  }

  sim::VirtualPlotter* plotter_ = nullptr;
};

TEST_F(DriverUpdate, FirmwareOfTheBootTypeGoesWithoutAQuestionAndThePlotterComesBackWithIt) {
  // Boot program 1: type 1 of manufacturer 0; 0x4C11 differs in its manufacturer only.
  EXPECT_EQ(update(firmwareFile(0x4C11, "2.20 A4"), 2, 1), 0);
  EXPECT_TRUE(prompter.calls().empty());
  EXPECT_EQ(log, "Sending program data\n\n PALL 2.20 A4\n\n Please wait...\n");
  EXPECT_EQ(findings.device.code, 0x0001);
  EXPECT_STREQ(findings.firmware.names.model, "Linnea 30");
  const sim::ReceivedFile& file = plotter_->jobs().files().at(0);
  EXPECT_EQ(file.code, sim::kFirmwareUpdateRequest);
  EXPECT_EQ(file.name, channel::transferFileName(plotter::tempName()));
  EXPECT_EQ(plotter_->lastUpdateOutcome(), "accepted PALL 2.20 A4");
  EXPECT_FALSE(tempFileExists());
  EXPECT_EQ(firmwareAfterPowerOn(), "2.20 A4");
}

// Boot programs 2 and 3 make the device types 4 and 5, whose hardware classes fit no other: the
// firmware of the class goes without a question, whoever made it; any other is refused.
TEST_F(DriverUpdate, BootProgramsTwoAndThreeTakeOnlyFirmwareOfTheirClass) {
  struct Case {
    long bootNumber;
    uint16_t firmwareCode;
    const char* refusal;  // the names of the not-compatible text; null: sent
  };
  const Case cases[] = {
      {2, 0x4C04, nullptr},
      {3, 0x0005, nullptr},
      {3, 0x4C04, "Device:    generic   E-Series 5\nFirmware: Lindqvar   Linnea 30 Pro\n"},
      {1, 0x0005, "Device:    generic   P-Series 1\nFirmware: generic   E-Series 5\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.firmwareCode);
    prompter = {};
    const size_t files = plotter_->jobs().files().size();
    EXPECT_EQ(update(firmwareFile(c.firmwareCode), 2, c.bootNumber), c.refusal ? -2 : 0);
    EXPECT_EQ(prompter.texts(),
              c.refusal ? std::vector<std::string>{std::string(
                              "Firmware update file not compatible with hardware\n\n") +
                                                   c.refusal}
                        : std::vector<std::string>{});
    EXPECT_EQ(plotter_->jobs().files().size() - files, c.refusal ? 0u : 1u);
    if (!c.refusal) {
      EXPECT_EQ(plotter_->lastUpdateOutcome(), "accepted PALL 2.20 A4");
      EXPECT_EQ(firmwareAfterPowerOn(), "2.20 A4");
    }
  }
}

TEST_F(DriverUpdate, UnknownBootProgramOrALinkThatDoesNotOpenEndsItBeforeTheFile) {
  EXPECT_EQ(update(firmwareFile(0x0001), 2, 4), -2);
  EXPECT_EQ(prompter.texts(),
            std::vector<std::string>{
                "Boot program of the plotter not recognised (4)\nThe update was not sent\n"});
  EXPECT_FALSE(findings.device.known);
  plotter_->unplug();
  plotter::closePlotterLink();
  EXPECT_EQ(update(firmwareFile(0x0001), 2, 1), plotter::kLinkFailed);
  EXPECT_EQ(prompter.calls().size(), 1u);  // the link's failure has no message
  EXPECT_EQ(log, "");
  EXPECT_FALSE(tempFileExists());
}

TEST_F(DriverUpdate, PlotterVanishingMidStreamKeepsTheStreamFileForTheNextUpdateToReplace) {
  const std::string file = firmwareFile(0x0001, "2.30 A4");
  plotter_->misbehaviour.vanishAtChunk = 1;
  EXPECT_EQ(update(file, 2, 1), -4);
  EXPECT_EQ(prompter.texts(),
            std::vector<std::string>{"Error sending update to plotter. Connection OK?"});
  EXPECT_TRUE(tempFileExists());
  EXPECT_EQ(plotter_->jobs().files().at(0).received, 131072u);

  plotter_->misbehaviour.vanishAtChunk.reset();
  plotter_->powerOn();
  plotter::closePlotterLink();
  EXPECT_EQ(update(file, 2, 1), 0);
  EXPECT_FALSE(tempFileExists());
  EXPECT_EQ(firmwareAfterPowerOn(), "2.30 A4");
}

}  // namespace
}  // namespace velkor::test
