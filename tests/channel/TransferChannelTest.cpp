// Opening and closing channels: configuring, choosing the plotter interface, and what a failed
// open leaves behind (nothing).
#include <gtest/gtest.h>

#include "channel/ChannelFixture.h"
#include "channel/ChannelPrimitives.h"
#include "channel/TransferChannel.h"
#include "os/Calls.h"

namespace velkor::test {
namespace {

using namespace channel;

bool sawSetup(const sim::VirtualPlotter& plotter, DWORD code) {
  for (const sim::DriverEvent& event : plotter.driverEvents()) {
    if (event.kind == sim::DriverEvent::Kind::Setup && event.value == code) return true;
  }
  return false;
}

TEST_F(ChannelTest, OpensOnThePlotterInterfaceWithTheDefaultChunk) {
  sim::VirtualPlotter& plotter = plugIn();
  TransferChannel* channel = openChannel();
  ASSERT_TRUE(isTransferChannel(channel));
  EXPECT_EQ(channel->chunkSize, 131072u);
  EXPECT_EQ(endpointOf(channel->pipes.bulkIn), 0x81);
  EXPECT_EQ(endpointOf(channel->pipes.bulkOut), 0x02);
  EXPECT_EQ(endpointOf(channel->pipes.interrupt), 0x83);
  EXPECT_NE(channel->device.get(), nullptr);
  EXPECT_EQ(channel->pipes.device, channel->device.get());
  // A configured device keeps its configuration.
  EXPECT_FALSE(sawSetup(plotter, usb::IOCTL_UDRV_SET_CONFIGURATION));
}

TEST_F(ChannelTest, ConfiguresAnUnconfiguredDeviceWithThePlotterEntry) {
  sim::PlotterIdentity identity;
  identity.configured = false;
  sim::VirtualPlotter& plotter = plugIn(identity);
  ASSERT_TRUE(isTransferChannel(openChannel()));
  const sim::DriverEvent* configure = nullptr;
  for (const sim::DriverEvent& event : plotter.driverEvents()) {
    if (event.value == usb::IOCTL_UDRV_SET_CONFIGURATION) configure = &event;
  }
  ASSERT_NE(configure, nullptr);
  ASSERT_EQ(configure->bytes.size(), 768u);
  // Index 0, one entry {interface 0, setting 0, parameter 0x00100000}.
  const std::vector<BYTE> head(configure->bytes.begin(), configure->bytes.begin() + 12);
  EXPECT_EQ(head, (std::vector<BYTE>{0, 0, 1, 0, 0, 0, 0, 0, 0x00, 0x00, 0x10, 0x00}));
}

TEST_F(ChannelTest, PassesOverPrinterProtocolTwoForTheNextCandidate) {
  plugIn(withInterfaces({threeEndpoints(7, 0xFF, 2, 1), threeEndpoints(8, 0xFF, 0, 4)}));
  TransferChannel* channel = openChannel();
  ASSERT_TRUE(isTransferChannel(channel));
  EXPECT_EQ(endpointOf(channel->pipes.bulkIn), 0x84);
  EXPECT_EQ(endpointOf(channel->pipes.bulkOut), 0x05);
  EXPECT_EQ(endpointOf(channel->pipes.interrupt), 0x86);
}

// Only the first candidate is tried, even when a later interface would do.
TEST_F(ChannelTest, FirstCandidateWithAnotherSubclassFailsTheOpen) {
  plugIn(withInterfaces({threeEndpoints(7, 0x01, 0, 1), threeEndpoints(8, 0xFF, 0, 4)}));
  EXPECT_EQ(openChannel(), nullptr);
}

TEST_F(ChannelTest, FirstCandidateWithTwoBulkInEndpointsFailsTheOpen) {
  sim::InterfaceSetup twoBulkIn = threeEndpoints(7, 0xFF, 0, 1);
  twoBulkIn.endpoints[1].address = 0x82;
  plugIn(withInterfaces({twoBulkIn, threeEndpoints(8, 0xFF, 0, 4)}));
  EXPECT_EQ(openChannel(), nullptr);
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_NOT_FOUND));
}

TEST_F(ChannelTest, NoCandidateFailsTheOpen) {
  plugIn(withInterfaces({threeEndpoints(3, 0, 0, 1)}));
  EXPECT_EQ(openChannel(), nullptr);
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_NOT_FOUND));
}

TEST_F(ChannelTest, CloseTellsTheDriverAndClosesThePipesButNotTheDevice) {
  sim::VirtualPlotter& plotter = plugIn();
  TransferChannel* channel = openChannel();
  ASSERT_TRUE(isTransferChannel(channel));
  plotter.clearDriverLog();
  closeTransferChannel(channel);
  EXPECT_FALSE(isTransferChannel(channel));
  EXPECT_EQ(channel->pipes.bulkIn, nullptr);
  closeTransferChannel(channel);  // a second close does nothing
  EXPECT_EQ(plotter.driverLog(), "lock:4");
  BYTE configuration = 0;
  EXPECT_EQ(USBGetConfiguration(channel->device.get(), &configuration, nullptr), 0u);
}

// The channel is all there is to free: the driver is told, the pipes close, then the device.
TEST_F(ChannelTest, FreeingTheChannelClosesItsPipesThenItsDevice) {
  sim::VirtualPlotter& plotter = plugIn();
  const size_t pluggedIn = machine.openHandleCount();
  ASSERT_TRUE(isTransferChannel(openChannel()));
  EXPECT_GT(machine.openHandleCount(), pluggedIn);
  plotter.clearDriverLog();
  channel_.reset();
  EXPECT_EQ(plotter.driverLog(), "lock:4");
  EXPECT_EQ(machine.openHandleCount(), pluggedIn);
}

TEST_F(ChannelTest, ErrorOfANullPointerOrOfAChannelWithoutOne) {
  EXPECT_EQ(transferChannelError(nullptr), static_cast<DWORD>(-1));
  EXPECT_FALSE(setTransferChunkSize(nullptr, 4096));
  plugIn();
  TransferChannel* channel = openChannel();
  os::SetLastError(1234);
  EXPECT_EQ(transferChannelError(channel), 1234u);
  channel->lastError = 0xEF000012;
  EXPECT_EQ(transferChannelError(channel), 0xEF000012u);
  EXPECT_FALSE(setTransferChunkSize(channel, 0));
  EXPECT_EQ(channel->chunkSize, 131072u);
}

TEST_F(ChannelTest, StreamsGoOutInWholeChunksThenTheRemainder) {
  belowTheProtocol = true;  // the stream alone, without the job that would take the lock
  sim::VirtualPlotter& plotter = plugIn();
  TransferChannel* channel = openChannel();
  const std::vector<BYTE> data(300000, 0x5A);
  plotter.clearDriverLog();
  EXPECT_TRUE(writeChannelStream(channel->pipes, data.data(), 262144, 131072));
  EXPECT_EQ(plotter.driverLog(), "data:131072,data:131072");
  plotter.clearDriverLog();
  EXPECT_TRUE(writeChannelStream(channel->pipes, data.data(), 0, 131072));
  EXPECT_EQ(os::GetLastError(), 0u);
  EXPECT_FALSE(writeChannelStream(channel->pipes, nullptr, 10, 131072));
  EXPECT_FALSE(writeChannelStream(channel->pipes, data.data(), 10, 0));
  EXPECT_EQ(plotter.driverLog(), "");
}

}  // namespace
}  // namespace velkor::test
