// The Linux platform on the default world's plotters served through umockdev to the real libusb:
// the machine lists them at the paths the simulated machine gives them, and the core's calls
// (CreateFileA, DeviceIoControl, WriteFile and ReadFile overlapped) reach them as USB transfers.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "os/Calls.h"
#include "os/Handles.h"
#include "os/linux/LinuxMachine.h"
#include "sim/VirtualPlotter.h"
#include "tests/support/UmockdevTest.h"
#include "usb/UsbDriver.h"
#include "usb/UsbIdentifiers.h"
#include "usb/UsbPrintClass.h"

namespace velkor::test {
namespace {

constexpr size_t kDriverPlotters = 3;
constexpr size_t kClassic = 3;
constexpr size_t kPSeries = 4;
constexpr DWORD kWaitMs = 5000;

class LinuxPlatformTest : public UmockdevTest {
 protected:
  void SetUp() override {
    UmockdevTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    std::string error;
    machine_ = os::linux_platform::LinuxMachine::open(&error);
    ASSERT_TRUE(machine_) << error;
    platform_ = std::make_unique<os::ScopedPlatform>(*machine_);
  }
  void TearDown() override {
    platform_.reset();
    machine_.reset();  // every transfer ended and the devices closed before the testbed goes
    UmockdevTest::TearDown();
  }

  // The interface paths of a class, as the core lists them.
  std::vector<std::string> listed(const GUID& guid) {
    std::vector<std::string> paths;
    HDEVINFO list = os::SetupDiGetClassDevsA(&guid, nullptr, nullptr,
                                             DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    for (DWORD i = 0; os::SetupDiEnumDeviceInterfaces(list, nullptr, &guid, i, &data); ++i) {
      char buffer[512];
      auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(buffer);
      detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
      if (os::SetupDiGetDeviceInterfaceDetailA(list, &data, detail, sizeof buffer, nullptr,
                                               nullptr)) {
        paths.push_back(detail->DevicePath);
      }
    }
    os::SetupDiDestroyDeviceInfoList(list);
    return paths;
  }

  HANDLE openPath(const std::string& path) {
    return os::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
  }

  // One overlapped request waited for: its error and byte count.
  std::pair<DWORD, DWORD> awaited(HANDLE file, BOOL issued, OVERLAPPED& overlapped) {
    if (!issued && os::GetLastError() != ERROR_IO_PENDING) return {os::GetLastError(), 0};
    EXPECT_EQ(os::WaitForSingleObject(overlapped.hEvent, kWaitMs), WAIT_OBJECT_0);
    DWORD count = 0;
    if (!os::GetOverlappedResult(file, &overlapped, &count, FALSE)) return {os::GetLastError(), 0};
    return {ERROR_SUCCESS, count};
  }

  std::unique_ptr<os::linux_platform::LinuxMachine> machine_;
  std::unique_ptr<os::ScopedPlatform> platform_;
};

TEST_F(LinuxPlatformTest, ThePlottersAreListedAtThePathsOfTheSimulatedMachine) {
  std::vector<std::string> driver = listed(usb::GUID_DEVINTERFACE_UDRV);
  std::vector<std::string> printers = listed(usb::GUID_DEVINTERFACE_USBPRINT);
  ASSERT_EQ(driver.size(), kDriverPlotters);
  ASSERT_EQ(printers.size(), 2u);
  for (size_t i = 0; i < kDriverPlotters; ++i) EXPECT_EQ(driver[i], plotter(i).devicePath());
  EXPECT_EQ(printers[0], plotter(kClassic).devicePath());
  EXPECT_EQ(printers[1], plotter(kPSeries).devicePath());
  const auto& ports = machine_->printerPorts();
  ASSERT_EQ(ports.size(), 2u);
  EXPECT_EQ(ports[1].port, "USB002");
  EXPECT_EQ(ports[1].serial, plotter(kPSeries).identity.instanceSerial);
  EXPECT_NE(ports[1].deviceId.find("SN:52300918;"), std::string::npos) << ports[1].deviceId;
  EXPECT_EQ(machine_->devicesNotOpenable(), 0);
}

TEST_F(LinuxPlatformTest, TheDriverDescriptorRequestIsAnsweredByTheDevice) {
  os::UniqueHandle device(openPath(plotter(0).devicePath()));
  ASSERT_NE(device.get(), INVALID_HANDLE_VALUE) << os::GetLastError();
  os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  OVERLAPPED overlapped{};
  overlapped.hEvent = event.get();
  usb::UdrvDescriptorRequest request{usb::USB_DEVICE_DESCRIPTOR_TYPE, {0, 0, 0, 0}};
  usb::UsbDeviceDescriptor descriptor{};
  BOOL issued = os::DeviceIoControl(device.get(), usb::IOCTL_UDRV_GET_DESCRIPTOR, &request,
                                    sizeof request, &descriptor, sizeof descriptor, nullptr,
                                    &overlapped);
  auto [error, count] = awaited(device.get(), issued, overlapped);
  EXPECT_EQ(error, DWORD(ERROR_SUCCESS));
  EXPECT_EQ(count, sizeof descriptor);
  EXPECT_EQ(descriptor.idVendor, plotter(0).identity.vendorId);
  EXPECT_EQ(descriptor.idProduct, plotter(0).identity.productId);
}

TEST_F(LinuxPlatformTest, AVendorCommandAndAnEscapeQueryReachThePrinterPlotters) {
  os::UniqueHandle pSeries(openPath(plotter(kPSeries).devicePath()));
  ASSERT_NE(pSeries.get(), INVALID_HANDLE_VALUE) << os::GetLastError();
  os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  OVERLAPPED overlapped{};
  overlapped.hEvent = event.get();
  BYTE command[3] = {'6', 0, 0};
  char reply[512] = {};
  BOOL issued = os::DeviceIoControl(pSeries.get(), usb::IOCTL_USBPRINT_VENDOR_GET_COMMAND,
                                    command, sizeof command, reply, sizeof reply, nullptr,
                                    &overlapped);
  auto [error, count] = awaited(pSeries.get(), issued, overlapped);
  EXPECT_EQ(error, DWORD(ERROR_SUCCESS));
  EXPECT_EQ(std::string(reply, count), "2.10 A3");

  const std::string classic = plotter(kClassic).devicePath();
  os::UniqueHandle out(openPath(classic + "\\PIPE02"));
  os::UniqueHandle in(openPath(classic + "\\PIPE129"));
  ASSERT_NE(in.get(), INVALID_HANDLE_VALUE) << os::GetLastError();
  const char query[] = {0x1B, '.', '6'};
  os::ResetEvent(event.get());
  issued = os::WriteFile(out.get(), query, sizeof query, nullptr, &overlapped);
  EXPECT_EQ(awaited(out.get(), issued, overlapped), std::make_pair(DWORD(ERROR_SUCCESS), DWORD(3)));
  BYTE header[64] = {};
  os::ResetEvent(event.get());
  issued = os::ReadFile(in.get(), header, sizeof header, nullptr, &overlapped);
  EXPECT_EQ(awaited(in.get(), issued, overlapped), std::make_pair(DWORD(ERROR_SUCCESS), DWORD(4)));
  EXPECT_EQ(header[0], 7);
  os::ResetEvent(event.get());
  issued = os::ReadFile(in.get(), reply, sizeof reply, nullptr, &overlapped);
  std::tie(error, count) = awaited(in.get(), issued, overlapped);
  EXPECT_EQ(std::string(reply, count), "1.08 A4");
}

TEST_F(LinuxPlatformTest, AReadNoReplyEndsIsCancelledByCancelIo) {
  const std::string classic = plotter(kClassic).devicePath();
  os::UniqueHandle in(openPath(classic + "\\PIPE129"));
  ASSERT_NE(in.get(), INVALID_HANDLE_VALUE) << os::GetLastError();
  os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  OVERLAPPED overlapped{};
  overlapped.hEvent = event.get();
  BYTE buffer[64];
  ASSERT_FALSE(os::ReadFile(in.get(), buffer, sizeof buffer, nullptr, &overlapped));
  ASSERT_EQ(os::GetLastError(), DWORD(ERROR_IO_PENDING));
  EXPECT_EQ(os::WaitForSingleObject(event.get(), 50), WAIT_TIMEOUT);
  EXPECT_TRUE(os::CancelIo(in.get()));
  DWORD count = 0;
  EXPECT_FALSE(os::GetOverlappedResult(in.get(), &overlapped, &count, TRUE));
  EXPECT_EQ(os::GetLastError(), DWORD(ERROR_OPERATION_ABORTED));
}

// Handles closed under a pending read leave the transfer the last hold on the device: it is
// closed once libusb's event handling has returned (closing it inside a callback would wait for
// ever on a lock libusb holds there), and the device opens again.
TEST_F(LinuxPlatformTest, TheDeviceOpensAgainAfterItsHandlesClosedUnderAPendingRead) {
  const std::string path = plotter(0).devicePath();
  for (int round = 0; round < 5; ++round) {
    HANDLE device = openPath(path);
    HANDLE status = openPath(path + "\\131");
    ASSERT_NE(status, INVALID_HANDLE_VALUE) << os::GetLastError();
    os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    BYTE buffer[2];
    ASSERT_FALSE(os::ReadFile(status, buffer, sizeof buffer, nullptr, &overlapped));
    ASSERT_EQ(os::GetLastError(), DWORD(ERROR_IO_PENDING));
    EXPECT_TRUE(os::CloseHandle(status));
    EXPECT_TRUE(os::CloseHandle(device));
  }
  os::UniqueHandle device(openPath(path));
  EXPECT_NE(device.get(), INVALID_HANDLE_VALUE) << os::GetLastError();
}

TEST_F(LinuxPlatformTest, UsblpIsAskedOffThePrinterInterfaceWhileAHandleIsOpen) {
  bed_.bindUsblp(plotter(kClassic), UsblpHold::Releases);
  {
    os::UniqueHandle device(openPath(plotter(kClassic).devicePath()));
    ASSERT_NE(device.get(), INVALID_HANDLE_VALUE) << os::GetLastError();
    EXPECT_FALSE(bed_.usblpBound(plotter(kClassic)));
  }
  EXPECT_TRUE(bed_.usblpBound(plotter(kClassic)));  // the print queue can print again

  bed_.bindUsblp(plotter(kPSeries), UsblpHold::Refuses);
  HANDLE refused = openPath(plotter(kPSeries).devicePath());
  EXPECT_EQ(refused, INVALID_HANDLE_VALUE);
  EXPECT_EQ(os::GetLastError(), DWORD(ERROR_BUSY));
}

}  // namespace
}  // namespace velkor::test
