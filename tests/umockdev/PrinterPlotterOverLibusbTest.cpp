// A printer plotter through the real libusb: the printer class's requests, the escape commands
// on its bulk pipes, the vendor requests of Windows' printing class, and usblp holding it.
#include <gtest/gtest.h>
#include <libusb.h>

#include <array>
#include <string>

#include "sim/PrintClassFace.h"
#include "sim/UsbFace.h"
#include "sim/VirtualPlotter.h"
#include "tests/support/UmockdevTest.h"

namespace velkor::test {
namespace {

constexpr unsigned kTimeoutMs = 2000;
constexpr size_t kClassic = 3;
constexpr size_t kPSeries = 4;

std::string text(const unsigned char* bytes, int length) {
  return std::string(reinterpret_cast<const char*>(bytes), length > 0 ? size_t(length) : 0);
}

using LibusbPrinterClass = UmockdevTest;

TEST_F(LibusbPrinterClass, TellsItsDeviceIdAndPortStatus) {
  Handle handle = open(plotter(kPSeries));
  ASSERT_TRUE(handle);
  std::array<unsigned char, 1024> id{};
  int got = libusb_control_transfer(handle.get(), 0xA1, sim::kPrinterGetDeviceId, 0, 0, id.data(),
                                    uint16_t(id.size()), kTimeoutMs);
  ASSERT_GT(got, 2);
  EXPECT_EQ(id[0] << 8 | id[1], got);
  EXPECT_EQ(text(id.data() + 2, got - 2),
            "MFG:Velkor;MDL:P-Series 3;CMD:VKESC;CLS:PRINTER;DES:Velkor P-Series 3;"
            "SN:52300918;");

  unsigned char status = 0;
  ASSERT_EQ(libusb_control_transfer(handle.get(), 0xA1, sim::kPrinterGetPortStatus, 0, 0,
                                    &status, 1, kTimeoutMs),
            1);
  EXPECT_EQ(status, sim::kLptStatusOnLine);
  auto hold = bed_.hold();
  EXPECT_EQ(plotter(kPSeries).printerLog().summary(), "lpt");
}

TEST_F(LibusbPrinterClass, AnEscapeQueryIsAnsweredOnTheBulkInPipeAsLengthThenReply) {
  Handle handle = claimed(plotter(kClassic));
  ASSERT_TRUE(handle);
  unsigned char query[] = {0x1B, '.', '6'};
  int got = 0;
  ASSERT_EQ(libusb_bulk_transfer(handle.get(), 0x02, query, 3, &got, kTimeoutMs), 0);
  EXPECT_EQ(got, 3);
  std::array<unsigned char, 64> reply{};
  ASSERT_EQ(libusb_bulk_transfer(handle.get(), 0x81, reply.data(), 64, &got, kTimeoutMs), 0);
  ASSERT_EQ(got, 4);
  EXPECT_EQ(reply[0], 7);
  ASSERT_EQ(libusb_bulk_transfer(handle.get(), 0x81, reply.data(), 64, &got, kTimeoutMs), 0);
  EXPECT_EQ(text(reply.data(), got), "1.08 A4");
  auto hold = bed_.hold();
  EXPECT_EQ(plotter(kClassic).printerLog().summary(), "write:\\x1b.6,read:4,read:7");
}

// Windows' printing class puts the command's first byte in bRequest and the next two in
// wValue; the plotter answers as it answers IOCTL_USBPRINT_VENDOR_GET/SET_COMMAND.
TEST_F(LibusbPrinterClass, VendorRequestsCarryTheCommandsLetters) {
  Handle handle = open(plotter(kPSeries));
  ASSERT_TRUE(handle);
  std::array<unsigned char, 64> reply{};
  int got = libusb_control_transfer(handle.get(), 0xC1, '6', 0, 0, reply.data(), 64, kTimeoutMs);
  EXPECT_EQ(text(reply.data(), got), "2.10 A3");
  got = libusb_control_transfer(handle.get(), 0xC1, 'S', '=' << 8 | ':', 0, reply.data(), 64,
                                kTimeoutMs);
  EXPECT_EQ(text(reply.data(), got), "0");
  EXPECT_EQ(libusb_control_transfer(handle.get(), 0x41, 'K', 0, 0, nullptr, 0, kTimeoutMs), 0);
  auto hold = bed_.hold();
  EXPECT_EQ(plotter(kPSeries).printerLog().summary(), "get:6,get:S=:,set:K");
}

TEST_F(LibusbPrinterClass, APlotterThatTakesNoDataLeavesTheWriteToTheHostsTimeOut) {
  {
    auto hold = bed_.hold();
    plotter(kClassic).misbehaviour.refusesData = true;
  }
  Handle handle = open(plotter(kClassic));
  ASSERT_TRUE(handle);
  unsigned char command[] = {0x1B, '.', '0'};
  int got = 0;
  EXPECT_EQ(libusb_bulk_transfer(handle.get(), 0x02, command, 3, &got, 300),
            LIBUSB_ERROR_TIMEOUT);
  unsigned char status = 0;
  EXPECT_EQ(libusb_control_transfer(handle.get(), 0xA1, sim::kPrinterGetPortStatus, 0, 0,
                                    &status, 1, 300),
            LIBUSB_ERROR_TIMEOUT);
  auto hold = bed_.hold();
  EXPECT_EQ(plotter(kClassic).printerLog().summary(), "refused:write:\\x1b.0,refused:lpt");
}

using LibusbUsblp = UmockdevTest;

TEST_F(LibusbUsblp, ABoundUsblpIsDetachedForTheClaimAndAttachedAgain) {
  bed_.bindUsblp(plotter(kClassic), UsblpHold::Releases);
  Handle handle = open(plotter(kClassic));
  ASSERT_TRUE(handle);
  EXPECT_EQ(libusb_kernel_driver_active(handle.get(), 0), 1);
  EXPECT_EQ(libusb_claim_interface(handle.get(), 0), LIBUSB_ERROR_BUSY);
  ASSERT_EQ(libusb_detach_kernel_driver(handle.get(), 0), 0);
  EXPECT_EQ(libusb_kernel_driver_active(handle.get(), 0), 0);
  EXPECT_FALSE(bed_.usblpBound(plotter(kClassic)));
  ASSERT_EQ(libusb_claim_interface(handle.get(), 0), 0);
  EXPECT_EQ(libusb_attach_kernel_driver(handle.get(), 0), LIBUSB_ERROR_BUSY);
  ASSERT_EQ(libusb_release_interface(handle.get(), 0), 0);
  ASSERT_EQ(libusb_attach_kernel_driver(handle.get(), 0), 0);
  EXPECT_TRUE(bed_.usblpBound(plotter(kClassic)));
}

TEST_F(LibusbUsblp, AUsblpThatWillNotLetGoKeepsTheInterface) {
  bed_.bindUsblp(plotter(kClassic), UsblpHold::Refuses);
  Handle handle = open(plotter(kClassic));
  ASSERT_TRUE(handle);
  EXPECT_NE(libusb_detach_kernel_driver(handle.get(), 0), 0);
  ASSERT_EQ(libusb_set_auto_detach_kernel_driver(handle.get(), 1), 0);
  EXPECT_EQ(libusb_claim_interface(handle.get(), 0), LIBUSB_ERROR_BUSY);
  EXPECT_TRUE(bed_.usblpBound(plotter(kClassic)));
  EXPECT_EQ(libusb_kernel_driver_active(handle.get(), 0), 1);
}

}  // namespace
}  // namespace velkor::test
