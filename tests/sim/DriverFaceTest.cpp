// The driver face's answers for a device that is not a plain link plotter: other identifiers,
// an interface before the plotter interface, and requests the driver would refuse.
#include <vector>

#include "tests/usb/UsbLibraryTest.h"

namespace velkor::test {
namespace {

class DriverFaceTest : public UsbLibraryTest {
 protected:
  void SetUp() override {
    UsbLibraryTest::SetUp();
    plotter.identity.vendorId = 0x1234;
    plotter.identity.productId = 0x5678;
    plotter.identity.interfaces.insert(
        plotter.identity.interfaces.begin(),
        sim::InterfaceSetup{8, 0xFF, 2, {{0x84, 2, 64, 0}, {0x05, 2, 64, 0}}});
  }
};

TEST_F(DriverFaceTest, DescribesEveryInterfaceOfItsConfiguration) {
  USB_DEVICE_HANDLE device = openPlotter();
  usb::UsbDeviceDescriptor descriptor{};
  EXPECT_EQ(USBGetDeviceDesc(device, &descriptor, nullptr), 0u);
  EXPECT_EQ(WORD(descriptor.idVendor), 0x1234);
  EXPECT_EQ(plotter.devicePath().substr(0, 26), "\\\\?\\usb#vid_1234&pid_5678#");
  BYTE config[128];
  DWORD length = sizeof config;
  EXPECT_EQ(USBGetConfigDesc(device, 0, config, &length, nullptr), 0u);
  EXPECT_EQ(length, 9u + (9u + 2u * 7u) + (9u + 3u * 7u));
  EXPECT_EQ(config[4], 2);
  usb::UsbInterfaceDescriptor first{};
  EXPECT_EQ(USBGetInterfaceDesc(device, 0, 0, 0, &first, nullptr), 0u);
  EXPECT_EQ(first.bInterfaceClass, 8);
  EXPECT_EQ(first.bInterfaceProtocol, 2);
  usb::UsbEndpointDescriptor endpoint{};
  EXPECT_EQ(USBGetEndpointDesc(device, 0, 1, 0, 1, &endpoint, nullptr), 0u);
  EXPECT_EQ(endpoint.bEndpointAddress, 0x02);
  EXPECT_NE(USBGetEndpointDesc(device, 0, 1, 0, 3, &endpoint, nullptr), 0u);
  EXPECT_NE(USBGetInterfaceDesc(device, 0, 2, 0, &first, nullptr), 0u);
  USBCloseDevice(&device);
}

TEST_F(DriverFaceTest, RefusesWhatTheDriverWouldRefuse) {
  USB_DEVICE_HANDLE device = openPlotter();
  USB_PIPE_HANDLE pipe = openPipe(device, 0x84);
  DWORD token = 0x1234;
  EXPECT_NE(USBIoCtrl(device, usb::IOCTL_UDRV_ATTACH_PIPE, &token, sizeof token, nullptr, 0,
                      nullptr, nullptr),
            0u);
  EXPECT_EQ(
      USBIoCtrl(pipe, usb::IOCTL_UDRV_GET_CONFIGURATION, nullptr, 0, &token, 1, nullptr, nullptr),
      DWORD(ERROR_INVALID_FUNCTION));
  EXPECT_NE(USBLockDevice(device, usb::UDRV_LOCK_RELEASE), 0u);  // not held
  EXPECT_EQ(USBLockDevice(device, usb::UDRV_LOCK_TAKE), 0u);
  EXPECT_EQ(USBLockDevice(device, usb::UDRV_LOCK_CHANNEL_CLOSED), 0u);
  EXPECT_EQ(plotter.lockDepth(), 0);
  const usb::UdrvControlRecord other{2, 0, 0, 0};
  BYTE data[2] = {0x05, 0};
  EXPECT_NE(USBClassOrVendorRequest(device, &other, data, 2, nullptr), 0u);
  EXPECT_EQ(plotter.driverLog(), "release,take,lock:4");
  EXPECT_EQ(plotter.protocolFaults(), std::vector<std::string>{"closed-while-held"})
      << "a channel closed with a take unreleased is let go, but not silently";
  USBCloseDevice(&device);
}

// The protocol's requests and transfers belong to the lock holder; outside the lock each one
// is a fault of the host, as it would race another program on a real driver.
TEST_F(DriverFaceTest, ProtocolTrafficOutsideTheDeviceLockIsAFault) {
  USB_DEVICE_HANDLE device = openPlotter();
  const usb::UdrvControlRecord job{1, 1, 0, 0};
  BYTE chunkSize[5] = {0x05, 0x00, 0x10, 0x00, 0x00};
  EXPECT_EQ(USBClassOrVendorRequest(device, &job, chunkSize, 5, nullptr), 0u);
  EXPECT_EQ(plotter.protocolFaults(), std::vector<std::string>{"outside-lock"});
  plotter.clearProtocolFaults();
  EXPECT_EQ(USBLockDevice(device, usb::UDRV_LOCK_TAKE), 0u);
  EXPECT_EQ(USBLockDevice(device, usb::UDRV_LOCK_TAKE), 0u);  // the lock nests
  EXPECT_EQ(USBClassOrVendorRequest(device, &job, chunkSize, 5, nullptr), 0u);
  EXPECT_EQ(USBLockDevice(device, usb::UDRV_LOCK_RELEASE), 0u);
  EXPECT_EQ(USBLockDevice(device, usb::UDRV_LOCK_RELEASE), 0u);
  EXPECT_EQ(USBLockDevice(device, usb::UDRV_LOCK_CHANNEL_CLOSED), 0u);
  EXPECT_TRUE(plotter.protocolFaults().empty());
  USBCloseDevice(&device);
}

}  // namespace
}  // namespace velkor::test
