// Transfer jobs at their edges: what is refused before anything is sent, the records the
// plotter receives, and the channel's job list.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "channel/ChannelFixture.h"
#include "channel/CommandTransfer.h"
#include "channel/FileTransfer.h"
#include "channel/QueryTransfer.h"
#include "channel/TransferJob.h"
#include "tests/support/ScratchFile.h"

namespace velkor::test {
namespace {

using namespace channel;

TEST_F(JobTest, QueryWithoutTextFailsWithoutTouchingTheCallersRecord) {
  char buffer[kMaxReplyLength] = "untouched";
  QueryReply reply{9, buffer};
  for (const char* text : {"", static_cast<const char*>(nullptr)}) {
    EXPECT_FALSE(queryTransfer(channel, text, &reply));
    EXPECT_EQ(transferChannelError(channel), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  EXPECT_EQ(reply.replyLength, 9u);
  EXPECT_STREQ(buffer, "untouched");
  EXPECT_EQ(plotter_->driverLog(), "");
}

// A length byte says at most 255: longer texts are refused whole, never cut.
TEST_F(JobTest, TextsOfUpTo255BytesAreSentAndLongerOnesRefused) {
  const std::string longest(255, 'C');
  EXPECT_TRUE(commandTransfer(channel, longest.c_str()));
  EXPECT_EQ(plotter_->jobs().commands().back(), longest);
  plotter_->clearDriverLog();
  const std::string tooLong(256, 'C');
  EXPECT_FALSE(commandTransfer(channel, tooLong.c_str()));
  EXPECT_EQ(transferChannelError(channel), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  char buffer[kMaxReplyLength] = "untouched";
  QueryReply reply{0, buffer};
  EXPECT_FALSE(queryTransfer(channel, tooLong.c_str(), &reply));
  EXPECT_STREQ(buffer, "untouched");
  EXPECT_EQ(plotter_->driverLog(), "");
}

TEST_F(JobTest, FileNamesOfUpTo255BytesAreSentAndLongerOnesRefused) {
  const std::string longest = std::string(251, 'n') + ".plt";
  ScratchFile file(10, longest);
  ASSERT_TRUE(sendFileTransfer(channel, file.path(), false));
  EXPECT_EQ(plotter_->jobs().files().at(0).name, longest);
  plotter_->clearDriverLog();
  const std::string tooLong = file.directory() + "/" + std::string(252, 'n') + ".plt";
  EXPECT_FALSE(sendFileTransfer(channel, tooLong.c_str(), false));
  EXPECT_EQ(transferChannelError(channel), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
  EXPECT_EQ(plotter_->driverLog(), "");
}

TEST_F(JobTest, PathWithoutAFileNameFailsBeforeAnythingIsSent) {
  ScratchFile file(10);
  for (const std::string& path : {file.directory() + "/", file.directory() + "\\", std::string()}) {
    EXPECT_FALSE(sendFileTransfer(channel, path.c_str(), false));
    EXPECT_EQ(transferChannelError(channel), static_cast<DWORD>(ERROR_INVALID_NAME));
  }
  EXPECT_FALSE(sendFileTransfer(channel, (file.directory() + "/missing.plt").c_str(), false));
  EXPECT_EQ(transferChannelError(channel), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(plotter_->driverLog(), "");
}

TEST_F(JobTest, FileNameIsTheLastComponentOfThePath) {
  EXPECT_EQ(transferFileName("C:\\jobs\\plate 7.plt"), "plate 7.plt");
  EXPECT_EQ(transferFileName("/tmp/a.b/c"), "c");
  EXPECT_EQ(transferFileName("C:plot.plt"), "plot.plt");
  EXPECT_EQ(transferFileName("C:\\jobs\\.plt"), "");
}

TEST_F(JobTest, ChunkSizeIsAnnouncedAndUsed) {
  ScratchFile file(300000);
  ASSERT_TRUE(setTransferChunkSize(channel, 100000));
  ASSERT_TRUE(sendFileTransfer(channel, file.path(), false));
  EXPECT_EQ(requestRecords(*plotter_).at(0), (std::vector<BYTE>{0x05, 0xA0, 0x86, 0x01, 0x00}));
  EXPECT_EQ(plotter_->jobs().files().at(0).chunks, (std::vector<DWORD>{100000, 100000, 100000}));
}

// A reply said to be longer than 300 bytes, or longer than what then arrives, fails with a
// reason, and leaves no bytes of an earlier reply in the caller's buffer.
TEST_F(JobTest, AnnouncedLengthsAtAndBeyondTheLimitsAreRefusedAndReadNoFurther) {
  plotter_->misbehaviour.announcedReplyLength = 0;
  char empty[kMaxReplyLength] = "";
  QueryReply nothing{13, empty};
  EXPECT_TRUE(queryTransfer(channel, "5", &nothing)) << "an empty reply is a reply";
  EXPECT_EQ(nothing.replyLength, 0u);
  for (DWORD announced : {1u, 236u, 237u, 299u, 300u, 301u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    SCOPED_TRACE(announced);
    plotter_->clearDriverLog();
    plotter_->misbehaviour.announcedReplyLength = announced;
    char buffer[kMaxReplyLength] = "earlier reply";
    QueryReply reply{13, buffer};
    EXPECT_FALSE(queryTransfer(channel, "5", &reply)) << "the true reply is 6 bytes";
    EXPECT_EQ(reply.replyLength, 0u);
    EXPECT_EQ(buffer[0], '\0');
    const std::string log = plotter_->driverLog();
    EXPECT_EQ(log.rfind("take,request:03,status,reply:4,", 0), 0u) << log;
    EXPECT_EQ(log.substr(log.size() - 8), ",release") << log;
  }
}

TEST_F(JobTest, RepliesThatCannotBeRightFailWithAReason) {
  for (DWORD announced : {DWORD{10}, DWORD{301}}) {
    SCOPED_TRACE(announced);
    plotter_->clearDriverLog();
    plotter_->misbehaviour.announcedReplyLength = announced;
    char buffer[kMaxReplyLength] = "earlier reply";
    QueryReply reply{13, buffer};
    EXPECT_FALSE(queryTransfer(channel, "5", &reply));  // the true reply is 6 bytes
    EXPECT_EQ(transferChannelError(channel), static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_EQ(reply.replyLength, 0u);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(plotter_->driverLog(), announced == 10
                                         ? "take,request:03,status,reply:4,reply:6,release"
                                         : "take,request:03,status,reply:4,release");
  }
}

// A plotter that never sends the reply it owes: the read gives up, and the job ends.
TEST_F(JobTest, AReplyThatNeverComesFailsWithATimeOutAndReleasesTheLock) {
  plotter_->misbehaviour.replyTransfers.emplace();
  const size_t handles = machine.openHandleCount();
  char buffer[kMaxReplyLength] = "earlier reply";
  QueryReply reply{13, buffer};
  EXPECT_FALSE(queryTransfer(channel, "5", &reply));
  EXPECT_EQ(transferChannelError(channel), DWORD(USBERR_TIMEOUT));
  EXPECT_EQ(reply.replyLength, 0u);
  EXPECT_EQ(plotter_->driverLog(), "take,request:03,status,release");
  EXPECT_EQ(machine.openHandleCount(), handles);
}

// A plotter that stops taking data in the middle of a file: the chunk gives up, nothing more is
// written, and the lock is released.
TEST_F(JobTest, AChunkThePlotterNeverTakesFailsWithATimeOutAndReleasesTheLock) {
  ScratchFile file(300000);
  machine.faults().on(os::sim::Call::WriteFile).nth(2).neverComplete();
  const size_t handles = machine.openHandleCount();
  EXPECT_FALSE(sendFileTransfer(channel, file.path(), false));
  EXPECT_EQ(transferChannelError(channel), DWORD(USBERR_TIMEOUT));
  EXPECT_EQ(plotter_->driverLog(),
            "take,take,request:05,status,release,take,request:02,status,data:131072,release,"
            "release");
  EXPECT_EQ(machine.openHandleCount(), handles);
}

TEST_F(JobTest, EveryNonzeroStatusWordEndsTheJobBeforeItsDataWithThatWord) {
  char buffer[kMaxReplyLength];
  int wrong = 0;
  for (DWORD word = 0; word <= 0xFFFF; ++word) {
    plotter_->clearDriverLog();
    plotter_->misbehaviour.statusWord = static_cast<WORD>(word);
    QueryReply reply{13, buffer};
    const bool answered = queryTransfer(channel, "5", &reply);
    char status[32];
    std::snprintf(status, sizeof status, "status:%04X", static_cast<unsigned>(word));
    const bool right =
        word == 0
            ? answered && plotter_->driverLog() == "take,request:03,status,reply:4,reply:6,release"
            : !answered && transferChannelError(channel) == 0xEF000000u + word &&
                  plotter_->driverLog() == "take,request:03," + std::string(status) + ",release";
    if (!right && ++wrong <= 3) {
      ADD_FAILURE() << "status word " << word << ": " << plotter_->driverLog() << ", error "
                    << transferChannelError(channel);
    }
  }
  EXPECT_EQ(wrong, 0) << "of 65536 status words";
}

TEST_F(JobTest, OperationsOnSomethingThatIsNoChannelDoNothing) {
  char buffer[kMaxReplyLength];
  QueryReply reply{0, buffer};
  EXPECT_EQ(createTransferJob(nullptr, kQueryJob), nullptr);
  EXPECT_FALSE(sendFileTransfer(nullptr, "a.plt", false));
  EXPECT_FALSE(queryTransfer(nullptr, "5", &reply));
  EXPECT_FALSE(commandTransfer(nullptr, " "));
  EXPECT_FALSE(announceChunkSize(nullptr, 4096));
  EXPECT_FALSE(runTransferJob(nullptr));
  EXPECT_EQ(createTransferJob(channel, 9), nullptr);
}

TEST_F(JobTest, JobsLeaveTheListInAnyOrder) {
  TransferJob* first = createTransferJob(channel, kCommandJob);
  TransferJob* second = createTransferJob(channel, kQueryJob);
  TransferJob* third = createTransferJob(channel, kFileJob);
  EXPECT_EQ(channel->jobCount, 3u);
  EXPECT_EQ(channel->newestJob, third);
  EXPECT_EQ(channel->oldestJob, first);
  destroyTransferJob(second);
  EXPECT_EQ(third->older, first);
  EXPECT_EQ(first->newer, third);
  destroyTransferJob(first);
  EXPECT_EQ(channel->oldestJob, third);
  destroyTransferJob(third);
  destroyTransferJob(nullptr);
  EXPECT_EQ(channel->jobCount, 0u);
  EXPECT_EQ(channel->newestJob, nullptr);
  EXPECT_EQ(channel->oldestJob, nullptr);
}

}  // namespace
}  // namespace velkor::test
