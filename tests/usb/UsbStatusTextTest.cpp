// USBGetErrorText: the library's statuses from its string resources, other high statuses in
// hexadecimal, system errors from the system, each text freed by the caller with LocalFree.
#include <string>

#include "os/Calls.h"
#include "sim/UsbStatusTextResources.h"
#include "tests/usb/UsbLibraryTest.h"

namespace velkor::test {
namespace {

class UsbStatusTextTest : public SimMachineTest {
 protected:
  // The text, freed; "(null)" for none.
  std::string errorText(DWORD status) {
    char* text = USBGetErrorText(status);
    if (!text) return "(null)";
    std::string copy = text;
    EXPECT_EQ(os::LocalFree(text), nullptr);
    return copy;
  }
};

TEST_F(UsbStatusTextTest, LibraryStatusesReadTheirStringResource) {
  sim::registerUsbStatusTexts(machine);
  const size_t blocks = machine.localAllocationCount();
  // The first of its rows.
  EXPECT_EQ(errorText(USBERR_INVALID_PARAMETER),
            "A handle or a parameter of the USB request is not valid.");
  EXPECT_EQ(errorText(USBERR_TIMEOUT), "The USB request timed out.");
  EXPECT_EQ(errorText(0xE01F0010), "The USB driver version does not match.");
  EXPECT_EQ(errorText(0xE0100001), "The data failed its CRC check.");
  EXPECT_EQ(machine.localAllocationCount(), blocks);
}

TEST_F(UsbStatusTextTest, HighStatusesWithoutARowAreWrittenInHexadecimal) {
  sim::registerUsbStatusTexts(machine);
  EXPECT_EQ(errorText(0xE0200000), "0xE0200000");
  EXPECT_EQ(errorText(0x80070005), "0x80070005");
  EXPECT_EQ(errorText(0xE010000A), "0xE010000A");  // between rows
}

// A program without the texts linked in still gets something to show.
TEST_F(UsbStatusTextTest, AMissingResourceGivesTheStatusInHexadecimal) {
  EXPECT_EQ(errorText(USBERR_NO_MEMORY), "0xE0100100");
}

TEST_F(UsbStatusTextTest, SystemErrorsGiveTheSystemsMessageWithoutItsLineBreak) {
  std::string text = errorText(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text, "(null)");
  EXPECT_NE(text.back(), '\n');
  EXPECT_NE(text.back(), '\r');
}

TEST_F(UsbStatusTextTest, AStatusTheSystemHasNoMessageForGivesNull) {
  EXPECT_EQ(errorText(0x0000FFFF), "(null)");
}

// The programs read the texts from their own string resources and the system's messages on
// Windows; this test program carries the same resources.
TEST(UsbStatusTextOnTheHost, ComesFromTheProgramsResourcesAndTheSystem) {
  if (dynamic_cast<os::sim::SimMachine*>(&os::platform())) {
    GTEST_SKIP() << "skipped: the host platform here is the simulated machine";
  }
  char* text = USBGetErrorText(USBERR_INVALID_PARAMETER);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "A handle or a parameter of the USB request is not valid.");
  os::LocalFree(text);
  text = USBGetErrorText(ERROR_FILE_NOT_FOUND);
  ASSERT_NE(text, nullptr);
  std::string message = text;
  os::LocalFree(text);
  ASSERT_FALSE(message.empty());
  EXPECT_NE(message.back(), '\n');
  EXPECT_NE(message.back(), '\r');
}

}  // namespace
}  // namespace velkor::test
