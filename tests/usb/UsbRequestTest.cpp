// Requests on a device: their records as the driver receives them, and the arguments that never
// reach it.
#include <cstring>
#include <vector>

#include "tests/usb/UsbLibraryTest.h"

namespace velkor::test {
namespace {

using usb::UdrvConfigurationRecord;
using usb::UdrvInterfaceEntry;

UdrvConfigurationRecord asRecord(const std::vector<BYTE>& bytes) {
  UdrvConfigurationRecord record{};
  EXPECT_EQ(bytes.size(), sizeof record);
  std::memcpy(&record, bytes.data(), std::min(bytes.size(), sizeof record));
  return record;
}

TEST_F(UsbLibraryTest, ContradictingArgumentsNeverReachTheDriver) {
  USB_DEVICE_HANDLE device = openPlotter();
  plotter.clearDriverLog();
  usb::UdrvControlRecord control{1, 1, 0, 0};
  BYTE data[4] = {};
  UdrvInterfaceEntry entries[128] = {};
  EXPECT_EQ(USBClassOrVendorRequest(device, &control, data, 0, nullptr), USBERR_INVALID_PARAMETER);
  EXPECT_EQ(USBClassOrVendorRequest(device, &control, nullptr, 4, nullptr),
            USBERR_INVALID_PARAMETER);
  EXPECT_EQ(USBClassOrVendorRequest(device, nullptr, data, 4, nullptr), USBERR_INVALID_PARAMETER);
  EXPECT_EQ(USBSetConfiguration(device, 0, 0, entries, nullptr), USBERR_INVALID_PARAMETER);
  EXPECT_EQ(USBSetConfiguration(device, 0, 1, nullptr, nullptr), USBERR_INVALID_PARAMETER);
  EXPECT_EQ(USBSetConfiguration(device, 0, 128, entries, nullptr), USBERR_INVALID_PARAMETER);
  EXPECT_EQ(USBGetConfiguration(device, nullptr, nullptr), USBERR_INVALID_PARAMETER);
  EXPECT_EQ(USBGetInterface(device, 0, nullptr, nullptr), USBERR_INVALID_PARAMETER);
  EXPECT_EQ(USBSetInterface(device, nullptr, nullptr), USBERR_INVALID_PARAMETER);
  EXPECT_EQ(USBGetStatus(device, 0, nullptr, nullptr), USBERR_INVALID_PARAMETER);
  EXPECT_EQ(USBGetConfigDesc(device, 0, data, nullptr, nullptr), USBERR_INVALID_PARAMETER);
  EXPECT_EQ(USBGetDeviceDesc(device, nullptr, nullptr), USBERR_INVALID_PARAMETER);
  EXPECT_EQ(USBLockDevice(nullptr, usb::UDRV_LOCK_TAKE), USBERR_INVALID_PARAMETER);
  EXPECT_TRUE(plotter.driverEvents().empty());
  USBCloseDevice(&device);
}

TEST_F(UsbLibraryTest, SetConfigurationSendsTheWholeRecord) {
  USB_DEVICE_HANDLE device = openPlotter();
  UdrvInterfaceEntry entries[127];
  for (BYTE i = 0; i < 127; ++i) entries[i] = {i, 0, 0x00100000u + i};
  EXPECT_EQ(USBSetConfiguration(device, 0, 127, entries, nullptr), 0u);
  EXPECT_EQ(USBSetConfiguration(device, 0, 0xFFFFFFFF, nullptr, nullptr), 0u);
  auto sent = setupRequests(usb::IOCTL_UDRV_SET_CONFIGURATION);
  ASSERT_EQ(sent.size(), 2u);
  UdrvConfigurationRecord full = asRecord(sent[0]);
  EXPECT_EQ(DWORD(full.entryCount), 127u);
  EXPECT_EQ(full.entries[126].interfaceNumber, 126);
  EXPECT_EQ(DWORD(full.entries[126].parameter), 0x00100000u + 126);
  // Count -1 goes as it is, with no entries.
  UdrvConfigurationRecord none = asRecord(sent[1]);
  EXPECT_EQ(WORD(none.configurationIndex), 0);
  EXPECT_EQ(DWORD(none.entryCount), 0xFFFFFFFFu);
  const std::vector<BYTE> zeros(sizeof none.entries, 0);
  EXPECT_EQ(std::memcmp(none.entries, zeros.data(), zeros.size()), 0);
  USBCloseDevice(&device);
}

TEST_F(UsbLibraryTest, SetInterfaceToTheSettingInForceSendsNothing) {
  USB_DEVICE_HANDLE device = openPlotter();
  UdrvInterfaceEntry current{0, 0, 0};
  EXPECT_EQ(USBSetInterface(device, &current, nullptr), 0u);
  EXPECT_EQ(setupRequests(usb::IOCTL_UDRV_GET_INTERFACE).size(), 1u);
  EXPECT_TRUE(setupRequests(usb::IOCTL_UDRV_SET_INTERFACE).empty());
  // The plotter has no alternate setting 1: the request goes out and fails.
  UdrvInterfaceEntry other{0, 1, 0};
  EXPECT_EQ(USBSetInterface(device, &other, nullptr), DWORD(ERROR_INVALID_PARAMETER));
  auto sent = setupRequests(usb::IOCTL_UDRV_SET_INTERFACE);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], (std::vector<BYTE>{0, 1, 0, 0, 0, 0}));
  // A failed read of the setting is what the call returns.
  UdrvInterfaceEntry missing{5, 0, 0};
  EXPECT_EQ(USBSetInterface(device, &missing, nullptr), DWORD(ERROR_INVALID_PARAMETER));
  USBCloseDevice(&device);
}

TEST_F(UsbLibraryTest, OutValuesAreWrittenOnSuccessOnly) {
  plotter.identity.configured = false;
  USB_DEVICE_HANDLE device = openPlotter();
  BYTE configuration = 0xAA;
  EXPECT_EQ(USBGetConfiguration(device, &configuration, nullptr), 0u);
  EXPECT_EQ(configuration, 0);
  BYTE alternate = 0xAA;
  EXPECT_NE(USBGetInterface(device, 0, &alternate, nullptr), 0u);  // unconfigured
  EXPECT_EQ(alternate, 0xAA);
  WORD status = 0xAAAA;
  EXPECT_EQ(USBGetStatus(device, 0, &status, nullptr), 0u);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(USBSetFeature(device, 0, 1, nullptr), 0u);
  EXPECT_EQ(USBClearFeature(device, 0, 1, nullptr), 0u);
  auto features = setupRequests(usb::IOCTL_UDRV_FEATURE);
  ASSERT_EQ(features.size(), 2u);
  EXPECT_EQ(features[0], (std::vector<BYTE>{0, 0, 1, 0}));
  EXPECT_EQ(features[1], (std::vector<BYTE>{0, 0, 1, 1}));
  USBCloseDevice(&device);
}

TEST_F(UsbLibraryTest, DescriptorRequestsGiveTheStandardLayouts) {
  USB_DEVICE_HANDLE device = openPlotter();
  BYTE config[64] = {};
  DWORD length = 9;
  EXPECT_EQ(USBGetConfigDesc(device, 0, config, &length, nullptr), 0u);
  EXPECT_EQ(length, 9u);
  EXPECT_EQ(config[4], 1);  // one interface
  length = sizeof config;
  EXPECT_EQ(USBGetConfigDesc(device, 0, config, &length, nullptr), 0u);
  EXPECT_EQ(length, 9u + 9u + 3u * 7u);
  usb::UsbInterfaceDescriptor interface{};
  EXPECT_EQ(USBGetInterfaceDesc(device, 0, 0, 0, &interface, nullptr), 0u);
  EXPECT_EQ(interface.bInterfaceClass, 7);
  EXPECT_EQ(interface.bInterfaceSubClass, 0xFF);
  EXPECT_EQ(interface.bNumEndpoints, 3);
  usb::UsbEndpointDescriptor endpoint{};
  EXPECT_EQ(USBGetEndpointDesc(device, 0, 0, 0, 2, &endpoint, nullptr), 0u);
  EXPECT_EQ(endpoint.bEndpointAddress, 0x83);
  EXPECT_EQ(endpoint.bmAttributes, 3);
  BYTE text[64] = {};
  length = sizeof text;
  EXPECT_EQ(USBGetStringDesc(device, 3, 0x0409, text, &length, nullptr), 0u);
  EXPECT_EQ(length, 2u + 2u * plotter.identity.instanceSerial.size());
  EXPECT_EQ(text[2], 'V');
  // A failed request still reports its byte count.
  length = sizeof text;
  EXPECT_NE(USBGetStringDesc(device, 9, 0x0409, text, &length, nullptr), 0u);
  EXPECT_EQ(length, 0u);
  USBCloseDevice(&device);
}

TEST_F(UsbLibraryTest, TheDeviceLockNests) {
  USB_DEVICE_HANDLE device = openPlotter();
  EXPECT_EQ(USBLockDevice(device, usb::UDRV_LOCK_TAKE), 0u);
  EXPECT_EQ(USBLockDevice(device, usb::UDRV_LOCK_TAKE), 0u);
  EXPECT_EQ(plotter.lockDepth(), 2);
  EXPECT_EQ(USBLockDevice(device, usb::UDRV_LOCK_RELEASE), 0u);
  EXPECT_EQ(USBLockDevice(device, usb::UDRV_LOCK_RELEASE), 0u);
  EXPECT_EQ(plotter.lockDepth(), 0);
  EXPECT_EQ(USBResetDevice(device, nullptr), 0u);
  EXPECT_EQ(USBCyclePort(device, nullptr), 0u);
  EXPECT_EQ(plotter.driverLog(), "take,take,release,release,reset,cycle");
  USBCloseDevice(&device);
}

TEST_F(UsbLibraryTest, AControlRequestThatTimesOutFailsWithTheDriversStatus) {
  USB_DEVICE_HANDLE device = openPlotter();
  plotter.misbehaviour.controlTimeouts = 1;
  usb::UdrvControlRecord control{1, 1, 0, 0};
  BYTE request[5] = {0x05, 0x00, 0x00, 0x02, 0x00};
  const os::sim::Tick start = machine.now();
  EXPECT_EQ(USBClassOrVendorRequest(device, &control, request, 5, nullptr), USBERR_TIMEOUT);
  EXPECT_EQ(machine.now() - start, plotter.misbehaviour.timeoutDelay);
  EXPECT_EQ(USBClassOrVendorRequest(device, &control, request, 5, nullptr), 0u);
  EXPECT_EQ(plotter.driverLog(), "timeout:05,request:05");
  EXPECT_EQ(plotter.jobs().announcedChunkSize(), 0x20000u);
  USBCloseDevice(&device);
}

}  // namespace
}  // namespace velkor::test
