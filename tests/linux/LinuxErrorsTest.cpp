// The Windows errors libusb's outcomes become, as the core tells them to the technician, and what
// the platform does about usblp holding a printer interface.
#include <gtest/gtest.h>

#include "os/linux/LibusbError.h"
#include "os/linux/PrinterRequests.h"
#include "plotter/DeviceNotOpened.h"

namespace {

using os::linux_platform::windowsErrorOf;

TEST(LibusbErrorTest, AnUnpluggedDeviceFailsAsAVanishedOneOfTheSimulatedMachine) {
  EXPECT_EQ(windowsErrorOf(LIBUSB_ERROR_NO_DEVICE), DWORD(ERROR_DEVICE_NOT_CONNECTED));
  EXPECT_EQ(windowsErrorOf(LIBUSB_TRANSFER_NO_DEVICE), DWORD(ERROR_DEVICE_NOT_CONNECTED));
}

TEST(LibusbErrorTest, RefusedOpensAreToldAsTheCoreTellsThem) {
  EXPECT_EQ(plotter::openRefusalOf(windowsErrorOf(LIBUSB_ERROR_BUSY)), plotter::OpenRefusal::InUse);
  EXPECT_EQ(plotter::openRefusalOf(windowsErrorOf(LIBUSB_ERROR_ACCESS)),
            plotter::OpenRefusal::AccessDenied);
  EXPECT_EQ(windowsErrorOf(LIBUSB_ERROR_NOT_FOUND), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST(LibusbErrorTest, TransfersEndAsOverlappedRequestsDo) {
  EXPECT_EQ(windowsErrorOf(LIBUSB_TRANSFER_COMPLETED), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(windowsErrorOf(LIBUSB_TRANSFER_CANCELLED), DWORD(ERROR_OPERATION_ABORTED));
  EXPECT_EQ(windowsErrorOf(LIBUSB_TRANSFER_TIMED_OUT), DWORD(ERROR_SEM_TIMEOUT));
  EXPECT_EQ(windowsErrorOf(LIBUSB_TRANSFER_STALL), DWORD(ERROR_GEN_FAILURE));
  EXPECT_EQ(windowsErrorOf(LIBUSB_TRANSFER_OVERFLOW), DWORD(ERROR_INVALID_DATA));
  EXPECT_EQ(windowsErrorOf(LIBUSB_ERROR_TIMEOUT), DWORD(ERROR_SEM_TIMEOUT));
  EXPECT_EQ(windowsErrorOf(LIBUSB_ERROR_PIPE), DWORD(ERROR_GEN_FAILURE));
  // Counts of bytes are no errors; an unknown error is still one.
  EXPECT_EQ(windowsErrorOf(12), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(windowsErrorOf(-1000), DWORD(ERROR_GEN_FAILURE));
}

TEST(UsblpTest, TheKernelDriverIsDetachedOnlyWhenItHoldsTheInterface) {
  using os::linux_platform::KernelDriverStep;
  using os::linux_platform::kernelDriverStep;
  EXPECT_EQ(kernelDriverStep(1), KernelDriverStep::Detach);
  EXPECT_EQ(kernelDriverStep(0), KernelDriverStep::Nothing);
  EXPECT_EQ(kernelDriverStep(LIBUSB_ERROR_NOT_SUPPORTED), KernelDriverStep::Nothing);
  EXPECT_EQ(kernelDriverStep(LIBUSB_ERROR_NO_DEVICE), KernelDriverStep::Refuse);
}

TEST(UsblpTest, AUsblpThatWillNotLetGoFailsTheOpenAsInUse) {
  using os::linux_platform::detachOutcome;
  EXPECT_TRUE(detachOutcome(LIBUSB_SUCCESS).detached);  // given back when the handle closes
  EXPECT_EQ(detachOutcome(LIBUSB_SUCCESS).error, DWORD(ERROR_SUCCESS));
  // Gone meanwhile: nothing to give back, and nothing in the way.
  EXPECT_FALSE(detachOutcome(LIBUSB_ERROR_NOT_FOUND).detached);
  EXPECT_EQ(detachOutcome(LIBUSB_ERROR_NOT_FOUND).error, DWORD(ERROR_SUCCESS));
  EXPECT_EQ(plotter::openRefusalOf(detachOutcome(LIBUSB_ERROR_BUSY).error),
            plotter::OpenRefusal::InUse);
  EXPECT_EQ(detachOutcome(LIBUSB_ERROR_ACCESS).error, DWORD(ERROR_ACCESS_DENIED));
  EXPECT_EQ(detachOutcome(LIBUSB_ERROR_NO_DEVICE).error, DWORD(ERROR_DEVICE_NOT_CONNECTED));
  EXPECT_FALSE(detachOutcome(LIBUSB_ERROR_BUSY).detached);
}

}  // namespace
