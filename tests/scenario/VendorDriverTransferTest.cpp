// Files, queries and commands sent to a virtual plotter through the plotter link, from the
// link down through the USB library to the simulated driver, on simulated time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "channel/CommandTransfer.h"
#include "channel/FileTransfer.h"
#include "channel/QueryTransfer.h"
#include "plotter/PlotterLink.h"
#include "tests/support/ScratchFile.h"
#include "tests/support/VendorDriverTest.h"

namespace velkor::test {
namespace {

using namespace channel;
using plotter::linkChannel;

constexpr const char* kSentFile =
    "take,take,request:05,status,release,take,request:02,status,"
    "data:131072,data:131072,data:37856,release,release";

class LinkTransfer : public VendorDriverTest {
 protected:
  void SetUp() override {
    VendorDriverTest::SetUp();
    plotter_ = &plugIn();
  }
  void TearDown() override {
    plotter::closePlotterLink();
    VendorDriverTest::TearDown();
  }
  // Opens the link and forgets what the driver saw while it did.
  TransferChannel* openLink() {
    EXPECT_EQ(plotter::openPlotterLink(), 0);
    plotter_->clearDriverLog();
    return linkChannel();
  }
  std::vector<std::vector<BYTE>> requests() const { return requestRecords(*plotter_); }

  sim::VirtualPlotter* plotter_ = nullptr;
};

TEST_F(LinkTransfer, FileGoesOutInChunksAfterTheAnnouncementUnderNestedLocks) {
  ScratchFile file(300000);
  plotter_->keepReceivedBytes(true);
  ASSERT_TRUE(sendFileTransfer(openLink(), file.path(), false));
  EXPECT_EQ(plotter_->driverLog(), kSentFile);
  ASSERT_EQ(requests().size(), 2u);
  EXPECT_EQ(requests()[0], (std::vector<BYTE>{0x05, 0x00, 0x00, 0x02, 0x00}));
  const std::vector<BYTE> fileRequest = {0x02, 0xE0, 0x93, 0x04, 0x00, 11,  'd', 'r', 'a',
                                         'w',  'i',  'n',  'g',  '.',  'p', 'l', 't'};
  EXPECT_EQ(requests()[1], fileRequest);
  ASSERT_EQ(plotter_->jobs().files().size(), 1u);
  const sim::ReceivedFile& received = plotter_->jobs().files()[0];
  EXPECT_EQ(received.chunks, (std::vector<DWORD>{131072, 131072, 37856}));
  EXPECT_EQ(received.bytes, scratchBytes(sim::kKeptPlotBytes)) << "the start of the plot";
  EXPECT_EQ(received.checksum, scratchChecksum(300000));
  EXPECT_EQ(plotter_->lockDepth(), 0);
}

TEST_F(LinkTransfer, LinkStaysOpenAcrossTransfers) {
  ScratchFile file(300000);
  TransferChannel* channel = openLink();
  ASSERT_TRUE(sendFileTransfer(channel, file.path(), false));
  ASSERT_TRUE(sendFileTransfer(linkChannel(), file.path(), false));
  EXPECT_EQ(linkChannel(), channel);
  EXPECT_EQ(plotter_->jobs().files().size(), 2u);
}

TEST_F(LinkTransfer, FirmwareFlagChangesOnlyTheFirstByteOfTheFileRequest) {
  ScratchFile file(1000, "update.tmp");
  ASSERT_TRUE(sendFileTransfer(openLink(), file.path(), false));
  std::vector<std::vector<BYTE>> plot = requests();
  plotter_->clearDriverLog();
  sendFileTransfer(linkChannel(), file.path(), true);  // the plotter checks it as an update
  std::vector<std::vector<BYTE>> update = requests();
  ASSERT_EQ(update.size(), 2u);
  EXPECT_EQ(update[0], plot[0]);
  EXPECT_EQ(update[1][0], 0x08);
  update[1][0] = 0x02;
  EXPECT_EQ(update[1], plot[1]);
}

TEST_F(LinkTransfer, EmptyFileSendsARequestOfSizeZeroAndNoData) {
  ScratchFile file(0);
  ASSERT_TRUE(sendFileTransfer(openLink(), file.path(), false));
  EXPECT_EQ(plotter_->driverLog(),
            "take,take,request:05,status,release,take,request:02,status,release,release");
  EXPECT_EQ(requests()[1][1] | requests()[1][2] | requests()[1][3] | requests()[1][4], 0);
}

TEST_F(LinkTransfer, NonzeroStatusWordFailsTheJobBeforeItsData) {
  ScratchFile file(300000);
  plotter_->misbehaviour.statusWord = 0x0012;
  plotter_->misbehaviour.statusWordFor = 0x02;
  EXPECT_FALSE(sendFileTransfer(openLink(), file.path(), false));
  EXPECT_EQ(transferChannelError(linkChannel()), 0xEF000012u);
  EXPECT_EQ(plotter_->driverLog(),
            "take,take,request:05,status,release,take,request:02,status:0012,release,release");
}

TEST_F(LinkTransfer, FailedAnnouncementKeepsTheFileJobFromRunning) {
  ScratchFile file(300000);
  plotter_->misbehaviour.statusWord = 0x0012;
  EXPECT_FALSE(sendFileTransfer(openLink(), file.path(), false));
  EXPECT_EQ(transferChannelError(linkChannel()), 0xEF000012u);
  EXPECT_EQ(plotter_->driverLog(), "take,take,request:05,status:0012,release,release");
}

TEST_F(LinkTransfer, TimedOutRequestIsResentOnceAfterAReset) {
  machine.setDevicesAlwaysPend(false);  // times what the system waits, to the millisecond
  ScratchFile file(300000);
  TransferChannel* channel = openLink();
  plotter_->misbehaviour.controlTimeouts = 1;
  os::sim::Tick start = machine.now();
  ASSERT_TRUE(sendFileTransfer(channel, file.path(), false));
  EXPECT_EQ(plotter_->driverLog(),
            "take,take,timeout:05,reset,request:05,status,release,take,request:02,status,"
            "data:131072,data:131072,data:37856,release,release");
  EXPECT_EQ(machine.now() - start, plotter_->misbehaviour.timeoutDelay);
}

TEST_F(LinkTransfer, SecondTimeOutFailsTheJob) {
  machine.setDevicesAlwaysPend(false);  // times what the system waits, to the millisecond
  ScratchFile file(300000);
  TransferChannel* channel = openLink();
  plotter_->misbehaviour.controlTimeouts = -1;
  os::sim::Tick start = machine.now();
  EXPECT_FALSE(sendFileTransfer(channel, file.path(), false));
  EXPECT_EQ(transferChannelError(channel), USBERR_TIMEOUT);
  EXPECT_EQ(plotter_->driverLog(), "take,take,timeout:05,reset,timeout:05,release,release");
  EXPECT_EQ(machine.now() - start, 2 * plotter_->misbehaviour.timeoutDelay);
}

TEST_F(LinkTransfer, PlotterVanishingMidFileFailsItAndTheLinkUntilReopened) {
  ScratchFile file(300000);
  plotter_->misbehaviour.vanishAtChunk = 1;
  EXPECT_FALSE(sendFileTransfer(openLink(), file.path(), false));
  EXPECT_NE(transferChannelError(linkChannel()), 0u);
  EXPECT_EQ(plotter_->jobs().files().at(0).received, 131072u);
  char buffer[kMaxReplyLength] = "x";
  QueryReply reply{5, buffer};
  EXPECT_FALSE(queryTransfer(linkChannel(), "6", &reply));
  EXPECT_EQ(reply.replyLength, 0u);
  plotter::closePlotterLink();
  EXPECT_EQ(plotter::openPlotterLink(), plotter::kLinkFailed);
}

// Replies of 0 and 300 bytes are read; a reply said to be 301 bytes long fails the query and
// leaves an empty string.
TEST_F(LinkTransfer, RepliesUpTo300BytesAreRead) {
  TransferChannel* channel = openLink();
  char buffer[kMaxReplyLength];
  for (size_t length : {size_t{0}, size_t{300}, size_t{301}}) {
    SCOPED_TRACE(length);
    plotter_->state.replies["R"] = std::string(length, 'T');
    std::fill(std::begin(buffer), std::end(buffer), 'z');
    QueryReply reply{77, buffer};
    bool answered = queryTransfer(channel, "R", &reply);
    EXPECT_EQ(answered, length <= 300);
    EXPECT_EQ(reply.replyLength, answered ? length : 0);
    const std::string received = answered ? std::string(buffer, reply.replyLength) : "";
    EXPECT_EQ(received, answered ? std::string(length, 'T') : "");
    EXPECT_EQ(buffer[0], answered && length > 0 ? 'T' : length == 0 ? 'z' : '\0');
  }
  EXPECT_EQ(plotter_->jobs().queries(), (std::vector<std::string>{"R", "R", "R"}));
}

TEST_F(LinkTransfer, CommandHasNoDataPhase) {
  ASSERT_TRUE(commandTransfer(openLink(), " "));
  EXPECT_EQ(plotter_->driverLog(), "take,request:06,status,release");
  EXPECT_EQ(plotter_->jobs().commands(), (std::vector<std::string>{" "}));
}

}  // namespace
}  // namespace velkor::test
