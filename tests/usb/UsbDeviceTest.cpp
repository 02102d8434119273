// Device lists, devices and pipes: opening, closing and what is left behind.
#include <cstring>

#include "os/Calls.h"
#include "os/sim/DeviceNamespace.h"
#include "tests/usb/UsbLibraryTest.h"
#include "usb/UsbDevice.h"
#include "usb/UsbLibrary.h"
#include "usb/UsbPipe.h"

namespace velkor::test {
namespace {

using usb::UsbDeviceDescriptor;

TEST_F(UsbLibraryTest, OpensThePlotterAndReadsItsDeviceDescriptor) {
  USB_DEVICE_HANDLE device = openPlotter();
  ASSERT_NE(device, nullptr);
  UsbDeviceDescriptor descriptor{};
  EXPECT_EQ(USBGetDeviceDesc(device, &descriptor, nullptr), 0u);
  EXPECT_EQ(WORD(descriptor.idVendor), usb::kLegacyVendorId);
  EXPECT_EQ(WORD(descriptor.idProduct), usb::kLegacyProductId);
  EXPECT_STREQ(device->devicePath(), plotter.devicePath().c_str());
  EXPECT_EQ(USBCloseDevice(&device), 0u);
  EXPECT_EQ(device, nullptr);
}

TEST_F(UsbLibraryTest, AnIndexPastTheEndIsNoMoreDevicesAndLeavesTheHandleNull) {
  plotter.plugIn(machine);
  HDEVINFO list = USBGetDeviceList();
  ASSERT_NE(list, nullptr);
  auto* device = reinterpret_cast<USB_DEVICE_HANDLE>(0x1234);
  EXPECT_EQ(USBOpenDevice(list, 1, &device), USBERR_NO_MORE_DEVICES);
  EXPECT_EQ(device, nullptr);
  USBReleaseDeviceList(list);
}

TEST_F(UsbLibraryTest, AnUnpluggedPlotterLeavesTheList) {
  plotter.plugIn(machine);
  plotter.unplug();
  HDEVINFO list = USBGetDeviceList();
  USB_DEVICE_HANDLE device = nullptr;
  EXPECT_EQ(USBOpenDevice(list, 0, &device), USBERR_NO_MORE_DEVICES);
  USBReleaseDeviceList(list);
  USBReleaseDeviceList(nullptr);  // what a failed USBGetDeviceList gives
  USBReleaseDeviceList(INVALID_HANDLE_VALUE);
}

TEST_F(UsbLibraryTest, ClosingADeviceClosesAllItsPipes) {
  USB_DEVICE_HANDLE device = openPlotter();
  const size_t deviceOnly = machine.openHandleCount();
  openPipe(device, 0x81);
  openPipe(device, 0x02);
  openPipe(device, 0x83);
  EXPECT_EQ(device->pipes.count, 3u);
  EXPECT_GT(machine.openHandleCount(), deviceOnly);
  EXPECT_EQ(USBCloseDevice(&device), 0u);
  EXPECT_EQ(device, nullptr);
}

// A pipe whose record fails the handle check, so that USBClosePipe refuses it, still goes
// with its device.
TEST_F(UsbLibraryTest, ClosingADeviceFreesAPipeThatUSBClosePipeRefuses) {
  USB_DEVICE_HANDLE device = openPlotter();
  const size_t deviceOnly = machine.openHandleCount();
  USB_PIPE_HANDLE refused = openPipe(device, 0x81);
  openPipe(device, 0x02);
  refused->kind = usb::kAnyKind;
  ASSERT_EQ(USBClosePipe(&refused), USBERR_INVALID_PARAMETER);
  EXPECT_GT(machine.openHandleCount(), deviceOnly);
  EXPECT_EQ(USBCloseDevice(&device), 0u);
  EXPECT_EQ(device, nullptr);
  EXPECT_EQ(usb::libraryState().openDevices.count, 0u);
}

TEST_F(UsbLibraryTest, APipeIsAttachedToItsDeviceAndCarriesItsEndpointDescriptor) {
  USB_DEVICE_HANDLE device = openPlotter();
  USB_PIPE_HANDLE pipe = openPipe(device, 0x181);  // only the low 8 bits count
  ASSERT_NE(pipe, nullptr);
  EXPECT_EQ(setupRequests(usb::IOCTL_UDRV_ATTACH_PIPE).size(), 1u);
  usb::UsbEndpointDescriptor descriptor{};
  EXPECT_EQ(USBPipeGetDescriptor(pipe, &descriptor), 0u);
  EXPECT_EQ(descriptor.bEndpointAddress, 0x81);
  EXPECT_EQ(descriptor.bmAttributes, 2);
  EXPECT_EQ(WORD(descriptor.wMaxPacketSize), 512);
  EXPECT_EQ(USBClosePipe(&pipe), 0u);
  EXPECT_EQ(pipe, nullptr);
  EXPECT_EQ(device->pipes.count, 0u);
  USBCloseDevice(&device);
}

TEST_F(UsbLibraryTest, APipeOfAnUnconfiguredDeviceIsRefusedUntilItIsConfigured) {
  plotter.identity.configured = false;
  USB_DEVICE_HANDLE device = openPlotter();
  USB_PIPE_HANDLE pipe = reinterpret_cast<USB_PIPE_HANDLE>(0x1234);
  EXPECT_EQ(USBOpenPipe(device, 0x81, &pipe), USBERR_NOT_CONFIGURED);
  EXPECT_EQ(pipe, nullptr);
  usb::UdrvInterfaceEntry entry{0, 0, 0x00100000};
  EXPECT_EQ(USBSetConfiguration(device, 0, 1, &entry, nullptr), 0u);
  EXPECT_EQ(USBOpenPipe(device, 0x81, &pipe), 0u);
  USBCloseDevice(&device);
}

// A pipe the device does not know could not be closed with it, so it is not handed out.
TEST_F(UsbLibraryTest, APipeWhoseAttachingFailsIsNotHandedOut) {
  USB_DEVICE_HANDLE device = openPlotter();
  const size_t deviceOnly = machine.openHandleCount();
  plotter.misbehaviour.attachError = 0xE0100500;
  USB_PIPE_HANDLE pipe = nullptr;
  EXPECT_EQ(USBOpenPipe(device, 0x02, &pipe), 0xE0100500u);
  EXPECT_EQ(pipe, nullptr);
  EXPECT_EQ(device->pipes.count, 0u);
  EXPECT_EQ(machine.openHandleCount(), deviceOnly);
  USBCloseDevice(&device);
}

TEST_F(UsbLibraryTest, APipeWithNoEndpointFailsAsTheSystemSays) {
  USB_DEVICE_HANDLE device = openPlotter();
  USB_PIPE_HANDLE pipe = nullptr;
  EXPECT_EQ(USBOpenPipe(device, 0x84, &pipe), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(pipe, nullptr);
  USBCloseDevice(&device);
}

TEST_F(UsbLibraryTest, HandlesOfTheWrongKindAreRefused) {
  USB_DEVICE_HANDLE device = openPlotter();
  USB_PIPE_HANDLE pipe = openPipe(device, 0x81);
  auto* pipeAsDevice = reinterpret_cast<USB_DEVICE_HANDLE>(pipe);
  auto* deviceAsPipe = reinterpret_cast<USB_PIPE_HANDLE>(device);
  USB_PIPE_HANDLE other = nullptr;
  EXPECT_EQ(USBCloseDevice(&pipeAsDevice), USBERR_INVALID_PARAMETER);
  EXPECT_EQ(USBOpenPipe(pipeAsDevice, 0x02, &other), USBERR_INVALID_PARAMETER);
  EXPECT_EQ(USBClosePipe(&deviceAsPipe), USBERR_INVALID_PARAMETER);
  DWORD length = 4;
  BYTE buffer[4];
  EXPECT_EQ(USBReadPipe(deviceAsPipe, buffer, &length, nullptr), USBERR_INVALID_PARAMETER);
  EXPECT_EQ(USBCloseDevice(nullptr), USBERR_INVALID_PARAMETER);
  USB_DEVICE_HANDLE none = nullptr;
  EXPECT_EQ(USBCloseDevice(&none), USBERR_INVALID_PARAMETER);
  EXPECT_EQ(USBIoCtrl(nullptr, usb::IOCTL_UDRV_RESET_DEVICE, nullptr, 0, nullptr, 0, nullptr,
                      nullptr),
            USBERR_INVALID_PARAMETER);
  EXPECT_EQ(USBOpenDevice(nullptr, 0, nullptr), USBERR_INVALID_PARAMETER);
  // Both records start with their common head, which the kind check relies on.
  EXPECT_EQ(static_cast<void*>(static_cast<usb::UsbHandle*>(device)), static_cast<void*>(device));
  EXPECT_EQ(static_cast<void*>(static_cast<usb::UsbHandle*>(pipe)), static_cast<void*>(pipe));
  USBCloseDevice(&device);
}

TEST_F(UsbLibraryTest, EachOpenDeviceJoinsTheLibrarysListAsItsNewest) {
  sim::VirtualPlotter second({usb::kLegacyVendorId, usb::kLegacyProductId, "VK0000002"});
  plotter.plugIn(machine);
  second.plugIn(machine);
  HDEVINFO list = USBGetDeviceList();
  USB_DEVICE_HANDLE first = nullptr;
  USB_DEVICE_HANDLE next = nullptr;
  ASSERT_EQ(USBOpenDevice(list, 0, &first), 0u);
  ASSERT_EQ(USBOpenDevice(list, 1, &next), 0u);
  USBReleaseDeviceList(list);  // the devices stay open without it
  const usb::UsbHandleList& open = usb::libraryState().openDevices;
  EXPECT_EQ(open.count, 2u);
  EXPECT_EQ(open.oldest, first);
  EXPECT_EQ(open.newest, next);
  EXPECT_STREQ(next->devicePath(), second.devicePath().c_str());
  USB_PIPE_HANDLE pipe = openPipe(next, 0x02);
  EXPECT_EQ(USBWritePipe(pipe, "x", 1, nullptr), 0u);
  EXPECT_EQ(second.driverLog(), "data:1");
  EXPECT_EQ(plotter.driverLog(), "");
  USBCloseDevice(&first);
  USBCloseDevice(&next);
}

// A program may set the library up again while a device is still open.
TEST_F(UsbLibraryTest, SettingTheLibraryUpAgainKeepsOpenDevicesListed) {
  const usb::UsbHandleList& open = usb::libraryState().openDevices;
  USB_DEVICE_HANDLE device = openPlotter();
  usb::initUsbLibrary();
  EXPECT_EQ(open.count, 1u);
  EXPECT_EQ(open.oldest, device);
  EXPECT_EQ(USBCloseDevice(&device), 0u);
  EXPECT_EQ(open.count, 0u);
  EXPECT_EQ(open.oldest, nullptr);
  EXPECT_EQ(open.newest, nullptr);
  device = openPlotter();
  EXPECT_EQ(open.newest, device);
  EXPECT_EQ(USBCloseDevice(&device), 0u);
  EXPECT_EQ(open.count, 0u);
}

TEST_F(UsbLibraryTest, AWindowIsToldOfTheDriversDevicesComingAndGoing) {
  EXPECT_EQ(USBRegisterDevNotify(nullptr), nullptr);
  auto* window = reinterpret_cast<HWND>(0x4711);
  HDEVNOTIFY notification = USBRegisterDevNotify(window);
  ASSERT_NE(notification, nullptr);
  auto registered = machine.deviceNotifications();
  ASSERT_EQ(registered.size(), 1u);
  EXPECT_EQ(registered[0].recipient, window);
  EXPECT_TRUE(os::sim::sameGuid(registered[0].classGuid, usb::GUID_DEVINTERFACE_UDRV));
  EXPECT_EQ(registered[0].flags, DWORD(DEVICE_NOTIFY_WINDOW_HANDLE));
  USBUnregisterDevNotify(notification);
  USBUnregisterDevNotify(nullptr);
  EXPECT_TRUE(machine.deviceNotifications().empty());
}

}  // namespace
}  // namespace velkor::test
