// Files of more than one window: the bulk OUT chunks are those of a file mapped whole, the bytes
// arrive right, one view at a time is mapped, and a view that cannot be mapped ends the transfer
// with its reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "channel/ChannelFixture.h"
#include "channel/FileTransfer.h"
#include "channel/FileWindow.h"
#include "os/sim/FaultInjector.h"
#include "prompt/Progress.h"
#include "sim/Plots.h"
#include "tests/support/ScratchFile.h"
#include "tests/support/SparsePlotFile.h"

namespace velkor::test {
namespace {

using namespace channel;
using os::sim::Call;

constexpr DWORD kMiB = DWORD{1} << 20;
// Two whole windows and a part of a third, ending in an odd byte.
constexpr DWORD kFileSize = 9 * kMiB + 12345;

// The chunks a file of size bytes goes out in: size / chunk full ones and the remainder.
std::vector<DWORD> chunksOf(DWORD size, DWORD chunk) {
  std::vector<DWORD> chunks(size / chunk, chunk);
  if (size % chunk != 0) chunks.push_back(size % chunk);
  return chunks;
}

// A transfer progress listener that notes how many views are mapped at each report.
class ViewsAtEachReport : public prompt::Progress {
 public:
  explicit ViewsAtEachReport(const os::sim::SimMachine& machine)
      : machine_(machine), previous_(prompt::installProgress(this)) {}
  ~ViewsAtEachReport() override { prompt::installProgress(previous_); }
  ViewsAtEachReport(const ViewsAtEachReport&) = delete;
  ViewsAtEachReport& operator=(const ViewsAtEachReport&) = delete;

  void advance(uint64_t sent, uint64_t total) override {
    reports.push_back(sent);
    EXPECT_EQ(total, kFileSize);
    mostViews = std::max(mostViews, machine_.mappedViewCount());
  }
  std::vector<uint64_t> reports;
  size_t mostViews = 0;

 private:
  const os::sim::SimMachine& machine_;
  prompt::Progress* previous_;
};

class FileWindowTest : public JobTest {
 protected:
  // How often MapViewOfFile was called since counting began.
  size_t viewsMapped() {
    const std::vector<os::sim::CheckedCall>& calls = machine.faults().counted();
    return std::count_if(calls.begin(), calls.end(), [](const os::sim::CheckedCall& call) {
      return call.call == Call::MapViewOfFile;
    });
  }
  const sim::ReceivedFile& received() const { return plotter_->jobs().files().at(0); }
};

TEST_F(FileWindowTest, AFileOfSeveralWindowsGoesOutInTheChunksOfOneMapping) {
  ScratchFile file(kFileSize);
  ViewsAtEachReport views(machine);
  machine.faults().startCounting();
  ASSERT_TRUE(sendFileTransfer(channel, file.path(), false));
  EXPECT_EQ(received().chunks, chunksOf(kFileSize, 131072));
  EXPECT_TRUE(received().complete());
  EXPECT_EQ(received().checksum, scratchChecksum(kFileSize));
  EXPECT_EQ(viewsMapped(), 3u) << "a window of 4 MiB at a time";
  EXPECT_EQ(views.mostViews, 1u);
  ASSERT_EQ(views.reports.size(), received().chunks.size() + 1);
  EXPECT_EQ(views.reports.front(), 0u);
  EXPECT_EQ(views.reports[32], 4u * kMiB);
  EXPECT_EQ(views.reports.back(), kFileSize);
  EXPECT_EQ(machine.mappedViewCount(), 0u) << "the last view goes with the job";
}

// A window begins at the aligned offset at or below the chunk that needs it and is as long as
// that chunk needs, so that no chunk is split or sent from two views.
TEST_F(FileWindowTest, ChunksAcrossAWindowsEndOrLargerThanOneStillGoOutWhole) {
  ScratchFile file(kFileSize);
  plotter_->keepReceivedBytes(true);
  const std::vector<uint8_t> bytes = scratchBytes(kFileSize);
  for (DWORD chunk : {DWORD{100000}, 5 * kMiB, kFileSize + 1}) {
    SCOPED_TRACE(chunk);
    ASSERT_TRUE(setTransferChunkSize(channel, chunk));
    ASSERT_TRUE(sendFileTransfer(channel, file.path(), false));
    const sim::ReceivedFile& sent = plotter_->jobs().files().back();
    EXPECT_EQ(sent.chunks, chunksOf(kFileSize, chunk));
    EXPECT_EQ(sent.checksum, scratchChecksum(kFileSize));
    ASSERT_EQ(sent.bytes.size(), sim::kKeptPlotBytes);
    EXPECT_TRUE(std::equal(sent.bytes.begin(), sent.bytes.end(), bytes.begin()));
  }
}

TEST_F(FileWindowTest, AViewThatCannotBeMappedMidwayFailsTheTransferWithItsReason) {
  ScratchFile file(kFileSize);
  machine.faults().on(Call::MapViewOfFile).nth(2).fail(ERROR_NOT_ENOUGH_MEMORY);
  const size_t handles = machine.openHandleCount();
  EXPECT_FALSE(sendFileTransfer(channel, file.path(), false));
  EXPECT_EQ(transferChannelError(channel), DWORD(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_EQ(received().chunks, chunksOf(kTransferWindow, 131072)) << "the first window's";
  const std::string log = plotter_->driverLog();
  EXPECT_TRUE(log.ends_with(",data:131072,release,release")) << log;
  EXPECT_EQ(plotter_->lockDepth(), 0);
  EXPECT_EQ(machine.openHandleCount(), handles);
  EXPECT_EQ(machine.mappedViewCount(), 0u);
}

TEST_F(FileWindowTest, AFileWhoseFirstViewCannotBeMappedFailsBeforeAnythingIsSent) {
  ScratchFile file(kFileSize);
  machine.faults().on(Call::MapViewOfFile).fail(ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_FALSE(sendFileTransfer(channel, file.path(), false));
  EXPECT_EQ(transferChannelError(channel), DWORD(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_EQ(plotter_->driverLog(), "");
}

// The size field holds 32 bits: a larger file would go out cut short.
TEST_F(FileWindowTest, AFileBeyondWhatTheRequestCanSayIsRefusedBeforeAnythingIsSent) {
  const SparsePlotFile file(uint64_t{1} << 32);
  ASSERT_TRUE(file.made());
  EXPECT_FALSE(sendFileTransfer(channel, file.path(), false));
  EXPECT_EQ(transferChannelError(channel), DWORD(ERROR_FILE_TOO_LARGE));
  EXPECT_EQ(plotter_->driverLog(), "");
}

}  // namespace
}  // namespace velkor::test
