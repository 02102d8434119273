// Pipe transfers and overlapped completion: on the built-in OVERLAPPED the library waits, on
// the caller's it returns at once and USBWaitIO finishes the request.
#include <cstring>
#include <string>

#include "os/Calls.h"
#include "os/Handles.h"
#include "tests/usb/UsbLibraryTest.h"

namespace velkor::test {
namespace {

using UsbIoTest = OpenPlotterTest;

TEST_F(UsbIoTest, AReadOnTheCallersOverlappedIsPendingUntilWaitedFor) {
  plotter.misbehaviour.replyDelay = 100;
  plotter.leaveStaleReply("hello");
  os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  OVERLAPPED overlapped{};
  overlapped.hEvent = event.get();
  BYTE buffer[64] = {};
  DWORD length = sizeof buffer;
  const os::sim::Tick start = machine.now();

  EXPECT_EQ(USBReadPipe(bulkIn, buffer, &length, &overlapped), USBERR_IO_PENDING);
  EXPECT_EQ(os::GetLastError(), USBERR_IO_PENDING);
  EXPECT_EQ(length, sizeof buffer);

  DWORD count = 99;
  EXPECT_EQ(USBWaitIO(bulkIn, &count, 10, &overlapped), USBERR_TIMEOUT);
  EXPECT_EQ(os::GetLastError(), USBERR_TIMEOUT);
  EXPECT_EQ(count, 0u);

  EXPECT_EQ(USBWaitIO(bulkIn, &count, 1000, &overlapped), 0u);
  EXPECT_EQ(count, 4u) << "one transfer, the reply's length";
  EXPECT_EQ(machine.now() - start, 100u);
  EXPECT_EQ(buffer[0], 5);
}

TEST_F(UsbIoTest, AReadOnTheBuiltInOverlappedWaitsAndGivesTheCount) {
  plotter.misbehaviour.replyDelay = 250;
  plotter.leaveStaleReply("abc");
  BYTE buffer[64] = {};
  DWORD length = 4;
  const os::sim::Tick start = machine.now();
  EXPECT_EQ(USBReadPipe(bulkIn, buffer, &length, nullptr), 0u);
  EXPECT_EQ(length, 4u);
  EXPECT_EQ(buffer[0], 3);
  length = sizeof buffer;
  EXPECT_EQ(USBReadPipe(bulkIn, buffer, &length, nullptr), 0u);
  EXPECT_EQ(length, 3u);
  EXPECT_EQ(machine.now() - start, 500u);
}

TEST_F(UsbIoTest, PipeCallsLeaveTheirResultAsTheLastError) {
  os::SetLastError(12345);
  EXPECT_EQ(USBWritePipe(bulkOut, "plot", 4, nullptr), 0u);
  EXPECT_EQ(os::GetLastError(), 0u);
  EXPECT_EQ(USBWritePipe(bulkIn, "plot", 4, nullptr), DWORD(ERROR_INVALID_FUNCTION));
  EXPECT_EQ(os::GetLastError(), DWORD(ERROR_INVALID_FUNCTION));
  os::SetLastError(12345);
  EXPECT_EQ(USBResetPipe(bulkOut, nullptr), 0u);
  EXPECT_EQ(os::GetLastError(), 0u);
  EXPECT_EQ(plotter.driverLog(), "data:4,reset-pipe");
}

TEST_F(UsbIoTest, CancelEndsAPendingRead) {
  os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  OVERLAPPED overlapped{};
  overlapped.hEvent = event.get();
  BYTE buffer[8];
  DWORD length = sizeof buffer;
  // Nothing is queued: the read stays pending.
  EXPECT_EQ(USBReadPipe(bulkIn, buffer, &length, &overlapped), USBERR_IO_PENDING);
  EXPECT_EQ(USBCancelIO(bulkIn, nullptr), 0u);
  DWORD count = 0;
  EXPECT_EQ(USBWaitIO(bulkIn, &count, 0, &overlapped), DWORD(ERROR_OPERATION_ABORTED));
}

TEST_F(UsbIoTest, AnIoControlOnTheCallersOverlappedThatCompletesAtOnceSucceeds) {
  machine.setDevicesAlwaysPend(false);  // the case of a driver that completes at once
  os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  OVERLAPPED overlapped{};
  overlapped.hEvent = event.get();
  BYTE value = 0;
  DWORD returned = 0;
  EXPECT_EQ(USBIoCtrl(device, usb::IOCTL_UDRV_GET_CONFIGURATION, nullptr, 0, &value, 1, &returned,
                      &overlapped),
            0u);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(returned, 1u);
}

TEST_F(UsbIoTest, RequestsOnAPlotterThatHasGoneFail) {
  plotter.unplug();
  EXPECT_EQ(USBWritePipe(bulkOut, "plot", 4, nullptr), DWORD(ERROR_DEVICE_NOT_CONNECTED));
  BYTE value = 0;
  EXPECT_EQ(USBGetConfiguration(device, &value, nullptr), DWORD(ERROR_DEVICE_NOT_CONNECTED));
}

}  // namespace
}  // namespace velkor::test
