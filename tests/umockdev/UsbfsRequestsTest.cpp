// usbfs requests that libusb does not make on its own, made on the device node as a program
// without libusb would, and a plotter that comes back on the bus.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <libusb.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include "sim/VirtualPlotter.h"
#include "tests/support/UmockdevTest.h"

namespace velkor::test {
namespace {

class Node {
 public:
  explicit Node(const std::string& path) : fd_(::open(path.c_str(), O_RDWR)) {}
  ~Node() {
    if (fd_ >= 0) ::close(fd_);
  }
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

using UsbfsRequests = UmockdevTest;

TEST_F(UsbfsRequests, ASynchronousControlTransferAnswersWithItsDataStage) {
  Node node(bed_.deviceNode(plotter(0)));
  ASSERT_GE(node.fd(), 0);
  unsigned char descriptor[18] = {};
  usbdevfs_ctrltransfer request{0x80, 6, 0x0100, 0, sizeof descriptor, 1000, descriptor};
  ASSERT_EQ(ioctl(node.fd(), USBDEVFS_CONTROL, &request), int(sizeof descriptor));
  EXPECT_EQ(descriptor[1], 1);  // a device descriptor
  EXPECT_EQ(descriptor[8] | descriptor[9] << 8, plotter(0).identity.vendorId);

  usbdevfs_ctrltransfer stalled{0x80, 6, 0x0700, 0, 0, 1000, nullptr};  // no such descriptor
  EXPECT_EQ(ioctl(node.fd(), USBDEVFS_CONTROL, &stalled), -1);
  EXPECT_EQ(errno, EPIPE);
}

TEST_F(UsbfsRequests, AControlTransferTheDeviceNeverAnswersTimesOut) {
  {
    auto hold = bed_.hold();
    plotter(0).misbehaviour.silent = true;
  }
  Node node(bed_.deviceNode(plotter(0)));
  ASSERT_GE(node.fd(), 0);
  unsigned char query[] = {0x03, 1, '5'};
  usbdevfs_ctrltransfer request{0x40, 1, 0, 0, sizeof query, 200, query};
  EXPECT_EQ(ioctl(node.fd(), USBDEVFS_CONTROL, &request), -1);
  EXPECT_EQ(errno, ETIMEDOUT);
  auto hold = bed_.hold();
  EXPECT_EQ(plotter(0).driverLog(), "timeout:03");
}

TEST_F(UsbfsRequests, APlotterPoweredOnAgainArrivesWithANewAddress) {
  const std::string before = bed_.deviceNode(plotter(2));
  bed_.unplug(plotter(2));
  EXPECT_EQ(bed_.deviceNode(plotter(2)), "");
  {
    auto hold = bed_.hold();
    plotter(2).powerOn();
  }
  std::string after;
  for (int tries = 0; tries < 100 && after.empty(); ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    after = bed_.deviceNode(plotter(2));
  }
  EXPECT_EQ(before, "/dev/bus/usb/001/004");
  EXPECT_EQ(after, "/dev/bus/usb/001/007");
  Handle handle = open(plotter(2));
  ASSERT_TRUE(handle);
  EXPECT_EQ(libusb_claim_interface(handle.get(), 0), 0);
}

}  // namespace
}  // namespace velkor::test
