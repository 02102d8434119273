// Whether firmware fits the plotter: the hardware check that refuses it and the questions about
// a near fit, with the four names of the plotter's identity as its model row, boot program,
// firmware text and name give it.
#include <gtest/gtest.h>

#include "firmware/UpdateFit.h"
#include "tests/update/UpdateTest.h"

namespace velkor::test {
namespace {

constexpr const char* kNotCompatible = "Firmware update file not compatible with hardware\n\n";
constexpr const char* kTypes =
    "Device type of firmware update file and firmware in device are different.\n"
    "Your device may not work properly after the update\n\n";
constexpr const char* kMakers =
    "Manufacturer of firmware update file and firmware in device are different\n"
    "A new driver and/or software may be needed\n\n";

struct FitCase {
  int16_t modelRow;
  long bootNumber;
  const char* version;
  const char* name;
  uint16_t firmwareCode;
  std::string lead;  // kNotCompatible for a refusal, else a question's
  const char* device;
  const char* firmware;
};

TEST(HardwareFit, BelowFourClassesMixAboveFiveTheyMixFourAndFiveStandAlone) {
  EXPECT_TRUE(firmware::hardwareFits(0, 0));
  EXPECT_TRUE(firmware::hardwareFits(3, 0));
  EXPECT_TRUE(firmware::hardwareFits(7, 12));
  EXPECT_FALSE(firmware::hardwareFits(4, 5));
  EXPECT_FALSE(firmware::hardwareFits(5, 7));
}

using UpdateFit = UpdateTest;

TEST_F(UpdateFit, RefusalsAndQuestionsNameDeviceAndFirmwareAndNoSendsNothing) {
  const std::string types = kTypes, both = std::string(kTypes) + kMakers;
  const FitCase cases[] = {
      {kLinnea30Row, 1, "", "", 0x4C04, kNotCompatible, "Lindqvar   Linnea 30",
       "Lindqvar   Linnea 30 Pro"},
      {kLinnea30Row, 1, "", "", 0x4D12, both, "Lindqvar   Linnea 30", "Moravel   Mark 2"},
      // Model row 23 is 0x4D12, made type 5 by boot program 3.
      {23, 3, "", "", 0x4D12, kNotCompatible, "Moravel   Mark 2 Engrave", "Moravel   Mark 2"},
      {kLinnea30Row, 2, "1.30vt", "", 0x4C14, kMakers, "Lindqvar   Selvara 2 Pro",
       "Lindqvar   Linnea 30 Pro"},
      {kLinnea30Row, 2, "1.30", "Selvara 2", 0x4C14, kMakers, "Lindqvar   Selvara 2 Pro",
       "Lindqvar   Linnea 30 Pro"},
      // A file without identity (type 0, class 0, manufacturer 0) on model rows 3, 4, 6 and 0:
      // 0x0004, 0x0005, 0x0007, 0x0001.
      {3, 1, "", "", 0, kNotCompatible, "generic   P-Series 4", "unknown   unknown"},
      {4, 1, "", "", 0, kNotCompatible, "generic   E-Series 5", "unknown   unknown"},
      {6, 1, "", "", 0, kNotCompatible, "generic   R-Series 7", "unknown   unknown"},
      {0, 1, "", "", 0, types, "generic   P-Series 1", "unknown   unknown"},
      {kLinnea30Row, 1, "", "", 0, both, "Lindqvar   Linnea 30", "unknown   unknown"},
  };
  sim::VirtualPlotter& plotter = plugInPrinter(kLinnea30Row);
  for (const FitCase& c : cases) {
    SCOPED_TRACE(c.device + std::string(" / ") + c.firmware);
    prompter = {};
    const bool asked = c.lead != kNotCompatible;
    if (asked) prompter.willAnswer(false);
    addPrinterRecord(c.modelRow);
    EXPECT_EQ(update(firmwareFile(c.firmwareCode), 3, c.bootNumber, c.version, c.name), -2);
    ASSERT_EQ(prompter.calls().size(), 1u);
    EXPECT_EQ(prompter.calls()[0].kind,
              asked ? PromptCall::Kind::Question : PromptCall::Kind::Error);
    EXPECT_EQ(prompter.calls()[0].text, c.lead + "Device:    " + c.device + "\nFirmware: " +
                                            c.firmware + "\n" + (asked ? "\nContinue ?" : ""));
    EXPECT_EQ(findings.firmware.code, c.firmwareCode);
    EXPECT_TRUE(tempFileExists());  // it stays until the next update
  }
  EXPECT_EQ(plotter.printerLog().summary(), "");
  EXPECT_TRUE(machine.printJobs().empty());
}

}  // namespace
}  // namespace velkor::test
