// Transfers that wait on the plotter, through the real libusb: an interrupt read until a status
// word comes, a bulk read cut short by the plotter leaving the bus, and libusb's event loop
// resting while they wait.
#include <gtest/gtest.h>
#include <libusb.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <vector>

#include "sim/VirtualPlotter.h"
#include "tests/support/UmockdevTest.h"

namespace velkor::test {
namespace {

using std::chrono::milliseconds;

// One asynchronous transfer and whether it has ended.
class AsyncRead {
 public:
  AsyncRead(libusb_device_handle* handle, unsigned char endpoint, bool interrupt)
      : transfer_(libusb_alloc_transfer(0)), buffer_(64) {
    if (interrupt) {
      libusb_fill_interrupt_transfer(transfer_, handle, endpoint, buffer_.data(),
                                     int(buffer_.size()), &AsyncRead::done, this, 0);
    } else {
      libusb_fill_bulk_transfer(transfer_, handle, endpoint, buffer_.data(), int(buffer_.size()),
                                &AsyncRead::done, this, 0);
    }
  }
  ~AsyncRead() {
    if (submitted_ && !ended_) {
      libusb_cancel_transfer(transfer_);
      while (!ended_) libusb_handle_events_completed(nullptr, &ended_);
    }
    libusb_free_transfer(transfer_);
  }
  int submit() {
    int status = libusb_submit_transfer(transfer_);
    submitted_ = status == 0;
    return status;
  }
  // Handles libusb's events for up to the given time, or until the transfer has ended.
  bool endsWithin(libusb_context* context, milliseconds limit) {
    auto until = std::chrono::steady_clock::now() + limit;
    while (!ended_ && std::chrono::steady_clock::now() < until) {
      timeval tick{0, 20000};
      libusb_handle_events_timeout_completed(context, &tick, &ended_);
    }
    return ended_ != 0;
  }
  libusb_transfer* transfer() const { return transfer_; }
  const std::vector<unsigned char>& buffer() const { return buffer_; }

 private:
  static void LIBUSB_CALL done(libusb_transfer* transfer) {
    static_cast<AsyncRead*>(transfer->user_data)->ended_ = 1;
  }
  libusb_transfer* transfer_;
  std::vector<unsigned char> buffer_;
  bool submitted_ = false;
  int ended_ = 0;
};

double processCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

using LibusbPendingTransfers = UmockdevTest;

TEST_F(LibusbPendingTransfers, AnInterruptReadWaitsForTheStatusWordOfTheNextRequest) {
  Handle handle = claimed(plotter(0));
  ASSERT_TRUE(handle);
  AsyncRead status(handle.get(), 0x83, true);
  ASSERT_EQ(status.submit(), 0);
  EXPECT_FALSE(status.endsWithin(context_, milliseconds(200)));

  unsigned char chunkSize[5] = {0x05, 0x00, 0x00, 0x01, 0x00};  // 64 KiB chunks
  ASSERT_EQ(libusb_control_transfer(handle.get(), 0x40, 1, 0, 0, chunkSize, 5, 2000), 5);
  ASSERT_TRUE(status.endsWithin(context_, milliseconds(2000)));
  EXPECT_EQ(status.transfer()->status, LIBUSB_TRANSFER_COMPLETED);
  EXPECT_EQ(status.transfer()->actual_length, 2);

  auto hold = bed_.hold();
  EXPECT_EQ(plotter(0).driverLog(), "take,request:05,status");
  EXPECT_EQ(plotter(0).jobs().announcedChunkSize(), 0x10000u);
}

TEST_F(LibusbPendingTransfers, ABulkReadEndsWithNoDeviceWhenThePlotterLeavesTheBus) {
  Handle handle = claimed(plotter(1));
  ASSERT_TRUE(handle);
  AsyncRead reply(handle.get(), 0x81, false);
  ASSERT_EQ(reply.submit(), 0);
  EXPECT_FALSE(reply.endsWithin(context_, milliseconds(100)));

  bed_.unplug(plotter(1));
  ASSERT_TRUE(reply.endsWithin(context_, milliseconds(2000)));
  EXPECT_EQ(reply.transfer()->status, LIBUSB_TRANSFER_NO_DEVICE);
  unsigned char word[2];
  int got = 0;
  EXPECT_EQ(libusb_interrupt_transfer(handle.get(), 0x83, word, 2, &got, 500),
            LIBUSB_ERROR_NO_DEVICE);
  EXPECT_EQ(bed_.deviceNode(plotter(1)), "");

  // The hotplug thread takes the device off libusb's list once it has seen it go.
  ssize_t count = 0;
  for (int tries = 0; tries < 50; ++tries) {
    libusb_device** list = nullptr;
    count = libusb_get_device_list(context_, &list);
    libusb_free_device_list(list, 1);
    if (count == ssize_t(world_->plotters().size()) - 1) break;
    timeval tick{0, 20000};
    libusb_handle_events_timeout(context_, &tick);
  }
  EXPECT_EQ(count, ssize_t(world_->plotters().size()) - 1);
  auto hold = bed_.hold();
  EXPECT_EQ(plotter(1).driverLog(), "take,vanished");
}

// Under umockdev the file libusb polls is always ready, so its event loop asks for finished
// URBs again and again; the testbed holds such a question until one has ended or a moment has
// passed, so that a program waiting on a transfer does not spin.
TEST_F(LibusbPendingTransfers, LibusbRestsWhileATransferWaits) {
  Handle handle = claimed(plotter(0));
  ASSERT_TRUE(handle);
  AsyncRead reply(handle.get(), 0x81, false);
  ASSERT_EQ(reply.submit(), 0);
  const double before = processCpuSeconds();
  EXPECT_FALSE(reply.endsWithin(context_, milliseconds(1000)));
  EXPECT_LT(processCpuSeconds() - before, 0.15);
}

}  // namespace
}  // namespace velkor::test
