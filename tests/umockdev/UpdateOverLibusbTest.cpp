// A firmware update through the real libusb: the plotter takes the stream, leaves the bus as it
// restarts, and arrives again when the world powers it on.
#include <gtest/gtest.h>
#include <libusb.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "sim/VirtualPlotter.h"
#include "tests/sim/SampleUpdateStream.h"
#include "tests/support/UmockdevTest.h"

namespace velkor::test {
namespace {

class LibusbUpdate : public UmockdevTest {
 protected:
  std::unique_ptr<sim::World> makeWorld(std::string* error) override {
    return sim::World::fromText(
        "[plotter Engraver]\nconnection = driver\ntype = ZK400\nfirmware = 1.14aKR A4\n"
        "serial = 40123456\npower-on-after = 300\n",
        "engraver.world", error);
  }

  // The plotter's node once it differs from before, or empty after the limit.
  std::string nodeOtherThan(const std::string& before, std::chrono::milliseconds limit) {
    auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
      std::string node = bed_.deviceNode(plotter(0));
      if (node != before) return node;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return before;
  }
};

TEST_F(LibusbUpdate, ThePlotterLeavesTheBusWithItsNewFirmwareAndComesBack) {
  const std::vector<BYTE> stream = updateStream("PROG 2.01 A3", varied(4096));
  const uint32_t size = uint32_t(stream.size());
  const std::string before = bed_.deviceNode(plotter(0));
  {
    Handle handle = claimed(plotter(0));
    ASSERT_TRUE(handle);
    std::vector<unsigned char> record{0x08,          BYTE(size),       BYTE(size >> 8),
                                      BYTE(size >> 16), BYTE(size >> 24), 6,
                                      'f',           'w',              '.',
                                      'c',           'a',              's'};
    ASSERT_EQ(libusb_control_transfer(handle.get(), 0x40, 1, 0, 0, record.data(),
                                      uint16_t(record.size()), 2000),
              int(record.size()));
    std::vector<unsigned char> bytes(stream.begin(), stream.end());
    int sent = 0;
    ASSERT_EQ(libusb_bulk_transfer(handle.get(), 0x02, bytes.data(), int(size), &sent, 2000), 0);
    EXPECT_EQ(sent, int(size));
    EXPECT_EQ(nodeOtherThan(before, std::chrono::milliseconds(1000)), "");
    unsigned char word[2];
    EXPECT_EQ(libusb_interrupt_transfer(handle.get(), 0x83, word, 2, &sent, 500),
              LIBUSB_ERROR_NO_DEVICE);
    EXPECT_EQ(nodeOtherThan("", std::chrono::milliseconds(2000)), "/dev/bus/usb/001/003");
    // what was opened before it went stays gone
    EXPECT_EQ(libusb_interrupt_transfer(handle.get(), 0x83, word, 2, &sent, 500),
              LIBUSB_ERROR_NO_DEVICE);
  }
  Handle again = claimed(plotter(0));
  ASSERT_TRUE(again);

  auto hold = bed_.hold();
  EXPECT_EQ(plotter(0).lastUpdateOutcome(), "accepted PROG 2.01 A3");
  EXPECT_EQ(plotter(0).state.firmwareText, "2.01 A3");
}

}  // namespace
}  // namespace velkor::test
