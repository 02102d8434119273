// What the Linux platform makes of the plotters it finds on the USB: which face an interface is,
// the device interface paths (the same as the simulated machine gives its virtual plotters, so the
// core finds real and virtual plotters alike), the list's order and the printer ports' records.
#include <gtest/gtest.h>

#include "os/linux/UsbDeviceList.h"
#include "os/linux/UsbDeviceNames.h"
#include "sim/VirtualPlotter.h"
#include "usb/UsbIdentifiers.h"

namespace {

using os::linux_platform::DeviceFace;
using os::linux_platform::PresentInterface;
using os::linux_platform::UsbLocation;

TEST(LinuxDeviceNamesTest, InterfacePathsAreTheOnesVirtualPlottersHave) {
  sim::PlotterIdentity driver;
  driver.vendorId = usb::kVendorId;
  driver.productId = 0x4C04;
  driver.instanceSerial = "ZK4A0012";
  sim::PlotterIdentity printer = driver;
  printer.connection = sim::Connection::Printer;
  EXPECT_EQ(os::linux_platform::devicePathFor(DeviceFace::Driver, usb::kVendorId, 0x4C04,
                                              "ZK4A0012"),
            sim::VirtualPlotter(driver).devicePath());
  EXPECT_EQ(os::linux_platform::devicePathFor(DeviceFace::Printer, usb::kVendorId, 0x4C04,
                                              "ZK4A0012"),
            sim::VirtualPlotter(printer).devicePath());
  EXPECT_EQ(os::linux_platform::devicePathFor(DeviceFace::Printer, usb::kVendorId, 0x4C04,
                                              "ZK4A0012"),
            "\\\\?\\usb#vid_2e7a&pid_4c04#zk4a0012#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}");
  EXPECT_EQ(os::linux_platform::instanceIdFor(usb::kVendorId, 0x4C04, "ZK4A0012"),
            "USB\\VID_2E7A&PID_4C04\\ZK4A0012");
}

TEST(LinuxDeviceNamesTest, OnlyThePlottersInterfacesAreTaken) {
  using os::linux_platform::faceOf;
  const uint16_t vendor = usb::kVendorId;
  EXPECT_EQ(faceOf(vendor, 0x4C04, 0xFF, 0x00), DeviceFace::Driver);
  EXPECT_EQ(faceOf(vendor, 0x4C04, 7, 0xFF), DeviceFace::Driver);  // as the plotters report it
  EXPECT_EQ(faceOf(vendor, 0x4C04, 7, 1), DeviceFace::Printer);
  EXPECT_EQ(faceOf(usb::kLegacyVendorId, usb::kLegacyProductId, 0xFF, 0), DeviceFace::Driver);
  // The legacy pair never had a printer port, and another product of its vendor is not ours.
  EXPECT_EQ(faceOf(usb::kLegacyVendorId, usb::kLegacyProductId, 7, 1), std::nullopt);
  EXPECT_EQ(faceOf(usb::kLegacyVendorId, 0x0204, 0xFF, 0), std::nullopt);
  EXPECT_EQ(faceOf(0x1234, 0x4C04, 7, 1), std::nullopt);
  EXPECT_EQ(faceOf(vendor, 0x4C04, 3, 0), std::nullopt);  // a HID interface beside them
}

PresentInterface at(uint8_t bus, std::vector<uint8_t> ports, uint8_t interfaceNumber,
                    DeviceFace face = DeviceFace::Printer, std::string serial = "S") {
  PresentInterface entry;
  entry.face = face;
  entry.location = UsbLocation{bus, std::move(ports)};
  entry.interfaceNumber = interfaceNumber;
  entry.vendorId = usb::kVendorId;
  entry.productId = 0x4C01;
  entry.serial = serial;
  entry.instanceSerial = serial.empty() ? locationText(entry.location) : serial;
  entry.path = devicePathFor(face, entry.vendorId, entry.productId, entry.instanceSerial);
  return entry;
}

TEST(LinuxDeviceListTest, TheListIsInBusThenPortPathOrder) {
  std::vector<PresentInterface> list = {at(10, {1}, 0), at(2, {1, 10}, 0), at(2, {1, 2}, 1),
                                        at(2, {1, 2}, 0), at(2, {1}, 0), at(1, {4}, 0)};
  os::linux_platform::sortByLocation(list);
  std::vector<std::string> order;
  for (const PresentInterface& entry : list) {
    order.push_back(locationText(entry.location) + "/" + std::to_string(entry.interfaceNumber));
  }
  EXPECT_EQ(order, (std::vector<std::string>{"1-4/0", "2-1/0", "2-1.2/0", "2-1.2/1", "2-1.10/0",
                                             "10-1/0"}));
}

TEST(LinuxDeviceListTest, PrinterPortsAreNumberedInListOrderAmongPrinterInterfacesOnly) {
  std::vector<PresentInterface> list = {at(1, {1}, 0, DeviceFace::Printer, "A1"),
                                        at(1, {2}, 0, DeviceFace::Driver, "D1"),
                                        at(1, {3}, 0, DeviceFace::Printer, "")};
  list[0].deviceId = "MFG:Velkor;MDL:ZK400;";
  auto ports = os::linux_platform::printerPortsOf(list);
  ASSERT_EQ(ports.size(), 2u);
  EXPECT_EQ(ports[0].port, "USB001");
  EXPECT_EQ(ports[0].interfacePath, list[0].path);
  EXPECT_EQ(ports[0].serial, "A1");
  EXPECT_EQ(ports[0].deviceId, "MFG:Velkor;MDL:ZK400;");
  EXPECT_EQ(ports[0].instance, "USB\\VID_2E7A&PID_4C01\\A1");
  EXPECT_EQ(ports[1].port, "USB002");
  // A device without a serial is known by where it sits.
  EXPECT_EQ(ports[1].serial, "");
  EXPECT_EQ(ports[1].instance, "USB\\VID_2E7A&PID_4C01\\1-3");
  EXPECT_EQ(os::linux_platform::printerPortName(99), "USB100");
}

TEST(LinuxDeviceListTest, TheDeviceIdIsTakenByItsLengthPrefix) {
  using os::linux_platform::deviceIdFromReply;
  const unsigned char reply[] = {0x00, 0x08, 'M', 'D', 'L', ':', 'Z', ';', 'x', 'x'};
  EXPECT_EQ(deviceIdFromReply(reply), "MDL:Z;");
  // A length longer than what came is cut to it; one that cannot be is no ID.
  const unsigned char longer[] = {0x01, 0x00, 'M', 'D', 'L'};
  EXPECT_EQ(deviceIdFromReply(longer), "MDL");
  const unsigned char broken[] = {0x00, 0x01, 'M'};
  EXPECT_EQ(deviceIdFromReply(broken), "");
  EXPECT_EQ(deviceIdFromReply(std::span<const unsigned char>(reply, 1)), "");
}

}  // namespace
