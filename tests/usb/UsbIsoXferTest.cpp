// Isochronous transfer buffers: header, packet entries, and the size the caller frees.
#include <cstring>

#include "os/Calls.h"
#include "tests/usb/UsbLibraryTest.h"

namespace velkor::test {
namespace {

DWORD at32(const BYTE* bytes, size_t offset) {
  DWORD value;
  std::memcpy(&value, bytes + offset, sizeof value);
  return value;
}

// The bulk IN pipe has wMaxPacketSize 512.
using UsbIsoXferTest = OpenPlotterTest;

TEST_F(UsbIsoXferTest, NoPacketsGiveTheHeaderAlone) {
  const size_t blocks = machine.localAllocationCount();
  void* buffer = nullptr;
  DWORD size = 0;
  ASSERT_EQ(USBBuildIsoXfer(bulkIn, 0x100, 0xBEEF, 0x12345678, &buffer, &size), 0u);  // n = 0
  EXPECT_EQ(size, 26u);
  const BYTE expected[26] = {0xEF, 0xBE, 0x78, 0x56, 0x34, 0x12};
  EXPECT_EQ(std::memcmp(buffer, expected, sizeof expected), 0);
  EXPECT_EQ(os::LocalFree(buffer), nullptr);
  EXPECT_EQ(machine.localAllocationCount(), blocks);
}

TEST_F(UsbIsoXferTest, EachPacketGetsAnEntryAndItsPlaceInTheDataArea) {
  void* buffer = nullptr;
  DWORD size = 0;
  ASSERT_EQ(USBBuildIsoXfer(bulkIn, 2, 7, 9, &buffer, &size), 0u);
  const auto* bytes = static_cast<const BYTE*>(buffer);
  EXPECT_EQ(size, 26u + 2u * (512u + 12u));
  EXPECT_EQ(at32(bytes, 6), 0u);
  EXPECT_EQ(at32(bytes, 10), 2u);
  EXPECT_EQ(at32(bytes, 14), 14u + 24u);        // first packet's offset
  EXPECT_EQ(at32(bytes, 18), 512u);             // its length
  EXPECT_EQ(at32(bytes, 22), 0u);               // its status
  EXPECT_EQ(at32(bytes, 26), 14u + 24u + 512u);  // the next one further on
  EXPECT_EQ(at32(bytes, 30), 512u);
  os::LocalFree(buffer);
}

TEST_F(UsbIsoXferTest, NeedsAPipeAndBothOutValues) {
  void* buffer = nullptr;
  DWORD size = 0;
  EXPECT_EQ(USBBuildIsoXfer(reinterpret_cast<USB_PIPE_HANDLE>(device), 1, 0, 0, &buffer, &size),
            USBERR_INVALID_PARAMETER);
  EXPECT_EQ(USBBuildIsoXfer(bulkIn, 1, 0, 0, nullptr, &size), USBERR_INVALID_PARAMETER);
  EXPECT_EQ(USBBuildIsoXfer(bulkIn, 1, 0, 0, &buffer, nullptr), USBERR_INVALID_PARAMETER);
  EXPECT_EQ(buffer, nullptr);
}

}  // namespace
}  // namespace velkor::test
