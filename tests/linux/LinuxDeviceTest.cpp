// The parts of the Linux platform that need no plotter: the event thread of libusb, which must
// sleep while nothing is in flight and stop cleanly; the device lock the vendor driver keeps;
// the pipes' paths and tokens.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <thread>

#include "os/linux/LibusbContext.h"
#include "os/linux/VendorDriverDevice.h"
#include "usb/DriverPipes.h"
#include "usb/UsbDriver.h"

namespace {

using os::sim::IoCompletion;
using os::sim::IoOutcome;
using os::sim::IoRequest;

double processCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

TEST(LibusbContextTest, TheEventThreadSleepsWhileNoTransferIsInFlight) {
  DWORD error = ERROR_GEN_FAILURE;
  auto context = std::make_unique<os::linux_platform::LibusbContext>(&error);
  ASSERT_EQ(error, DWORD(ERROR_SUCCESS));
  ASSERT_NE(context->context(), nullptr);
  const double before = processCpuSeconds();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_LT(processCpuSeconds() - before, 0.05);
  EXPECT_EQ(context->transfersInFlight(), 0u);
  // Nothing in flight: the context ends at once, its thread joined.
  const auto start = std::chrono::steady_clock::now();
  context->cancelAndWait();
  context.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

class DriverLockTest : public ::testing::Test {
 protected:
  IoOutcome lock(DWORD operation) {
    IoRequest request{IoRequest::Kind::Control, usb::IOCTL_UDRV_LOCK,
                      reinterpret_cast<const BYTE*>(&operation), sizeof operation, nullptr, 0};
    IoCompletion completion = device->submit(std::nullopt, request);
    EXPECT_EQ(completion.when, IoCompletion::When::Now);
    return completion.finish();
  }

  std::shared_ptr<os::linux_platform::LibusbContext> context =
      std::make_shared<os::linux_platform::LibusbContext>();
  std::shared_ptr<os::linux_platform::VendorDriverDevice> device =
      std::make_shared<os::linux_platform::VendorDriverDevice>(
          context, os::linux_platform::PresentInterface{});
};

TEST_F(DriverLockTest, TheLockNestsAndIsLetGoWholeWhenTheChannelCloses) {
  EXPECT_EQ(lock(usb::UDRV_LOCK_TAKE).error, DWORD(ERROR_SUCCESS));
  EXPECT_EQ(lock(usb::UDRV_LOCK_TAKE).error, DWORD(ERROR_SUCCESS));
  EXPECT_EQ(device->lockDepth(), 2);
  EXPECT_EQ(lock(usb::UDRV_LOCK_RELEASE).error, DWORD(ERROR_SUCCESS));
  EXPECT_EQ(lock(usb::UDRV_LOCK_CHANNEL_CLOSED).error, DWORD(ERROR_SUCCESS));
  EXPECT_EQ(device->lockDepth(), 0);
  // Released more often than taken, or asked something else: refused, as the driver does.
  EXPECT_EQ(lock(usb::UDRV_LOCK_RELEASE).error, DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(lock(3).error, DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(device->lockDepth(), 0);
}

TEST_F(DriverLockTest, ALockRecordOfAnotherSizeIsRefused) {
  WORD operation = usb::UDRV_LOCK_TAKE;
  IoRequest request{IoRequest::Kind::Control, usb::IOCTL_UDRV_LOCK,
                    reinterpret_cast<const BYTE*>(&operation), sizeof operation, nullptr, 0};
  EXPECT_EQ(device->submit(std::nullopt, request).finish().error, DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(device->lockDepth(), 0);
}

TEST(DriverPipesTest, PipesAreNamedByTheirEndpointAddressInDecimal) {
  EXPECT_EQ(usb::pipeAddressOf("129"), BYTE(0x81));
  EXPECT_EQ(usb::pipeAddressOf("2"), BYTE(0x02));
  EXPECT_EQ(usb::pipeAddressOf("256"), std::nullopt);
  EXPECT_EQ(usb::pipeAddressOf("PIPE02"), std::nullopt);
  EXPECT_EQ(usb::pipeAddressOf(""), std::nullopt);
  EXPECT_EQ(usb::pipeAddressOf("1290"), std::nullopt);
  EXPECT_EQ(usb::pipeOfToken(usb::pipeTokenOf(0x83)), BYTE(0x83));
  EXPECT_EQ(usb::pipeOfToken(0x12345683), std::nullopt);
}

}  // namespace
