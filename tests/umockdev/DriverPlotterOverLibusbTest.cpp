// The default world's plotters through the real libusb, served by umockdev: what a Linux host
// sees of them on the bus, and the driver connection's transfers.
#include <gtest/gtest.h>
#include <libusb.h>

#include <algorithm>
#include <array>
#include <utility>
#include <string>
#include <vector>

#include "sim/VirtualPlotter.h"
#include "tests/support/UmockdevTest.h"

namespace velkor::test {
namespace {

constexpr unsigned kTimeoutMs = 2000;

// A request record of the transfer protocol, sent as the driver's control request (vendor,
// host to device, bRequest 1).
int sendRecord(libusb_device_handle* handle, std::vector<unsigned char> record) {
  return libusb_control_transfer(handle, 0x40, 1, 0, 0, record.data(), uint16_t(record.size()),
                                 kTimeoutMs);
}

std::vector<unsigned char> queryRecord(const std::string& text) {
  std::vector<unsigned char> record{0x03, static_cast<unsigned char>(text.size())};
  record.insert(record.end(), text.begin(), text.end());
  return record;
}

using LibusbListing = UmockdevTest;

// libusb lists the newest device first; bus and address tell the order they arrived in.
TEST_F(LibusbListing, PlotsTheWorldsPlottersOnTheBusInItsOrderWithTheirIdentifiersAndSerials) {
  libusb_device** list = nullptr;
  ssize_t count = libusb_get_device_list(context_, &list);
  ASSERT_EQ(count, ssize_t(world_->plotters().size()));
  std::vector<libusb_device*> devices(list, list + count);
  std::sort(devices.begin(), devices.end(), [](libusb_device* a, libusb_device* b) {
    return std::pair(libusb_get_bus_number(a), libusb_get_device_address(a)) <
           std::pair(libusb_get_bus_number(b), libusb_get_device_address(b));
  });
  for (size_t i = 0; i < devices.size(); ++i) {
    const sim::VirtualPlotter& served = plotter(i);
    libusb_device_descriptor descriptor{};
    ASSERT_EQ(libusb_get_device_descriptor(devices[i], &descriptor), 0);
    EXPECT_EQ(descriptor.idVendor, served.identity.vendorId) << i;
    EXPECT_EQ(descriptor.idProduct, served.identity.productId) << i;
    EXPECT_EQ(libusb_get_bus_number(devices[i]), 1);
    EXPECT_EQ(libusb_get_device_address(devices[i]), i + 2);
    libusb_device_handle* handle = nullptr;
    ASSERT_EQ(libusb_open(devices[i], &handle), 0);
    unsigned char serial[64] = {};
    int length = libusb_get_string_descriptor_ascii(handle, descriptor.iSerialNumber, serial,
                                                    sizeof serial);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(serial), length > 0 ? size_t(length) : 0),
              served.identity.instanceSerial);
    libusb_close(handle);
  }
  libusb_free_device_list(list, 1);
}

TEST_F(LibusbListing, DescribesTheDriverInterfaceAndThePrinterClassInterface) {
  for (size_t index : {size_t(0), size_t(3)}) {
    libusb_device* found = device(plotter(index));
    ASSERT_NE(found, nullptr);
    libusb_config_descriptor* config = nullptr;
    ASSERT_EQ(libusb_get_active_config_descriptor(found, &config), 0);
    ASSERT_EQ(config->bNumInterfaces, 1);
    const libusb_interface_descriptor& setting = config->interface[0].altsetting[0];
    EXPECT_EQ(setting.bInterfaceClass, 7);
    std::vector<uint8_t> addresses;
    for (int e = 0; e < setting.bNumEndpoints; ++e) {
      addresses.push_back(setting.endpoint[e].bEndpointAddress);
    }
    if (index == 0) {
      EXPECT_EQ(setting.bInterfaceSubClass, 0xFF);
      EXPECT_EQ(addresses, (std::vector<uint8_t>{0x81, 0x02, 0x83}));
    } else {
      EXPECT_EQ(setting.bInterfaceSubClass, 1);
      EXPECT_EQ(setting.bInterfaceProtocol, 2);
      EXPECT_EQ(addresses, (std::vector<uint8_t>{0x81, 0x02}));
    }
    libusb_free_config_descriptor(config);
    libusb_unref_device(found);
  }
}

using LibusbDriverTransfers = UmockdevTest;

TEST_F(LibusbDriverTransfers, AQueryTravelsAsControlRequestStatusWordAndReply) {
  Handle handle = claimed(plotter(0));
  ASSERT_TRUE(handle);
  ASSERT_EQ(sendRecord(handle.get(), queryRecord("5")), 3);

  std::array<unsigned char, 8> word{};
  int got = 0;
  ASSERT_EQ(libusb_interrupt_transfer(handle.get(), 0x83, word.data(), int(word.size()), &got,
                                      kTimeoutMs),
            0);
  EXPECT_EQ(got, 2);
  EXPECT_EQ(word[0] | word[1] << 8, 0);

  std::array<unsigned char, 64> reply{};
  ASSERT_EQ(libusb_bulk_transfer(handle.get(), 0x81, reply.data(), int(reply.size()), &got,
                                 kTimeoutMs),
            0);
  ASSERT_EQ(got, 4);
  EXPECT_EQ(reply[0], 5u);  // the length of "ZK400"
  ASSERT_EQ(libusb_bulk_transfer(handle.get(), 0x81, reply.data(), int(reply.size()), &got,
                                 kTimeoutMs),
            0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(reply.data()), size_t(got)), "ZK400");
  ASSERT_EQ(libusb_release_interface(handle.get(), 0), 0);

  auto hold = bed_.hold();
  EXPECT_EQ(plotter(0).driverLog(), "take,request:03,status,reply:4,reply:5,release");
  EXPECT_TRUE(plotter(0).protocolFaults().empty());
}

TEST_F(LibusbDriverTransfers, A16MiBPlotFileIsOneBulkTransfer) {
  constexpr uint32_t kSize = 16u << 20;
  Handle handle = claimed(plotter(1));
  ASSERT_TRUE(handle);
  std::vector<unsigned char> record{0x02, BYTE(kSize), BYTE(kSize >> 8), BYTE(kSize >> 16),
                                    BYTE(kSize >> 24), 4, 'p', 'l', 'o', 't'};
  ASSERT_EQ(sendRecord(handle.get(), record), int(record.size()));
  std::vector<unsigned char> data(kSize, 0x5A);
  int sent = 0;
  ASSERT_EQ(libusb_bulk_transfer(handle.get(), 0x02, data.data(), int(kSize), &sent, 20000), 0);
  EXPECT_EQ(sent, int(kSize));

  auto hold = bed_.hold();
  ASSERT_EQ(plotter(1).jobs().files().size(), 1u);
  const sim::ReceivedFile& file = plotter(1).jobs().files()[0];
  EXPECT_TRUE(file.complete());
  EXPECT_EQ(file.chunks, (std::vector<DWORD>{kSize}));
}

// What USB has and the driver does as I/O control codes: a halt cleared resets the pipe, a
// port reset resets the device, unconfiguring and configuring set the configuration.
TEST_F(LibusbDriverTransfers, HaltsResetsAndConfigurationReachTheDriversCodes) {
  Handle handle = claimed(plotter(0));
  ASSERT_TRUE(handle);
  EXPECT_EQ(libusb_clear_halt(handle.get(), 0x81), 0);
  EXPECT_EQ(libusb_reset_device(handle.get()), 0);
  ASSERT_EQ(libusb_release_interface(handle.get(), 0), 0);
  EXPECT_EQ(libusb_set_configuration(handle.get(), 0), 0);
  int configuration = -1;
  EXPECT_EQ(libusb_control_transfer(handle.get(), 0x80, 8, 0, 0,
                                    reinterpret_cast<unsigned char*>(&configuration), 1,
                                    kTimeoutMs),
            1);
  EXPECT_EQ(configuration & 0xFF, 0);
  EXPECT_EQ(libusb_set_configuration(handle.get(), 1), 0);
  EXPECT_EQ(libusb_set_configuration(handle.get(), 2), LIBUSB_ERROR_NOT_FOUND);

  auto hold = bed_.hold();
  // libusb lets go of its claims for the reset and claims again after it
  EXPECT_EQ(plotter(0).driverLog(), "take,reset-pipe,release,reset,take,release");
}

TEST_F(LibusbDriverTransfers, ARequestOutsideTheControlRecordsTableStalls) {
  Handle handle = open(plotter(0));
  ASSERT_TRUE(handle);
  unsigned char data[4] = {};
  EXPECT_EQ(libusb_control_transfer(handle.get(), 0x42, 1, 0, 0, data, 0, kTimeoutMs),
            LIBUSB_ERROR_PIPE);  // vendor, to an endpoint: no kind of the driver's record
  EXPECT_EQ(libusb_control_transfer(handle.get(), 0x21, 0, 0, 0, data, 0, kTimeoutMs),
            LIBUSB_ERROR_PIPE);  // a class request: the driver interface has none
}

}  // namespace
}  // namespace velkor::test
