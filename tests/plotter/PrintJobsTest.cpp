// Print jobs through the simulated spooler to a printing-class plotter on USB001: how a file
// is cut into jobs, what every failing spooler call gives, and that nothing stays open.
#include <gtest/gtest.h>

#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "os/sim/FaultInjector.h"
#include "plotter/PrintJobs.h"
#include "tests/plotter/PrintQueueTest.h"
#include "tests/plotter/ProgressRecord.h"
#include "tests/support/ScratchFile.h"

namespace {

// While set, the chunk buffer of printFileJobs cannot be had.
bool refuseChunkBuffer = false;

}  // namespace

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  if (refuseChunkBuffer && size == plotter::kPrintJobChunk) return nullptr;
  try {
    return ::operator new[](size);
  } catch (...) {
    return nullptr;
  }
}

namespace velkor::test {
namespace {

using namespace plotter;
using os::sim::Call;

constexpr uint32_t kMiB = kPrintJobChunk;

// The number of file descriptors open in this process; -1 where the host does not tell.
int openDescriptors() {
  std::error_code error;
  std::filesystem::directory_iterator entries("/proc/self/fd", error);
  if (error) return -1;
  return static_cast<int>(std::distance(entries, std::filesystem::directory_iterator()));
}

class PrintJobsTest : public PrintQueueTest {};

TEST_F(PrintJobsTest, FileGoesAsJobsOfOneMebibyteNamedWithItsPath) {
  ScratchFile file(kMiB * 5 / 2);
  ProgressRecord progress;
  EXPECT_EQ(printFileJobs(file.path(), kQueue).result, 0);
  EXPECT_EQ(jobsReceived(), "job:1048576,job:1048576,job:524288");
  const std::string path = file.path();
  EXPECT_EQ(documents(), path + "," + path + "," + path);
  const uint64_t total = kMiB * 5 / 2;
  EXPECT_EQ(progress.steps, (std::vector<ProgressRecord::Step>{
                                {0, total}, {kMiB, total}, {2 * kMiB, total}, {total, total}}));
}

TEST_F(PrintJobsTest, LengthOfWholeChunksEndsWithAnEmptyJob) {
  ScratchFile whole(2 * kMiB);
  EXPECT_EQ(printFileJobs(whole.path(), kQueue).result, 0);
  EXPECT_EQ(jobsReceived(), "job:1048576,job:1048576,job:0");
  printer->clearPrinterLog();
  ScratchFile empty(0, "empty.plt");
  ProgressRecord progress;
  EXPECT_EQ(printFileJobs(empty.path(), kQueue).result, 0);
  EXPECT_EQ(jobsReceived(), "job:0");
  EXPECT_EQ(progress.steps, (std::vector<ProgressRecord::Step>{{0, 0}, {0, 0}}));
}

TEST_F(PrintJobsTest, MissingQueueFailsAfterOpeningTheFileAndClosesIt) {
  ScratchFile file(1000);
  const int descriptors = openDescriptors();
  EXPECT_EQ(printFileJobs(file.path(), "No Such Queue").result, kPrintJobFailed);
  EXPECT_EQ(openDescriptors(), descriptors);
  EXPECT_EQ(printFileJobs(file.path(), nullptr).result, kPrintJobFailed);
  EXPECT_TRUE(machine.printJobs().empty());
}

TEST_F(PrintJobsTest, FileThatCannotBeOpenedOrReadSendsNothing) {
  ScratchFile file(10);
  EXPECT_EQ(printFileJobs((file.directory() + "/missing.plt").c_str(), kQueue).result,
            kPrintFileOpen);
  EXPECT_EQ(printFileJobs(nullptr, kQueue).result, kPrintFileOpen);
#if !defined(_WIN32)
  // A directory opens as a stream here, and its first read fails.
  EXPECT_EQ(printFileJobs(file.directory().c_str(), kQueue).result, kPrintFileRead);
#endif
  refuseChunkBuffer = true;
  EXPECT_EQ(printFileJobs(file.path(), kQueue).result, kPrintNoBuffer);
  refuseChunkBuffer = false;
  EXPECT_TRUE(machine.printJobs().empty());
}

TEST_F(PrintJobsTest, RefusedJobStopsTheFileAfterTheJobsBeforeIt) {
  ScratchFile file(3 * kMiB);
  machine.faults().on(Call::StartDocPrinter).nth(2);
  EXPECT_EQ(printFileJobs(file.path(), kQueue).result, kPrintJobFailed);
  EXPECT_EQ(jobsReceived(), "job:1048576");
}

// Whichever call up to the document's end fails, the job is no success, and what was opened is
// closed.
TEST_F(PrintJobsTest, EverySpoolerCallThatFailsFailsTheJob) {
  char data[] = "\x1b.DL";
  const size_t handles = machine.openHandleCount();
  for (Call call : {Call::OpenPrinter, Call::StartDocPrinter, Call::StartPagePrinter,
                    Call::WritePrinter, Call::EndPagePrinter, Call::EndDocPrinter}) {
    machine.faults().clear();
    machine.faults().on(call).fail(ERROR_GEN_FAILURE);
    EXPECT_FALSE(printRawJob(kQueue, data, 4, "update")) << os::sim::callName(call);
    EXPECT_EQ(machine.openHandleCount(), handles) << os::sim::callName(call);
  }
  machine.faults().clear();
  EXPECT_TRUE(printRawJob(kQueue, data, 4, "update"));
  EXPECT_EQ(machine.printJobs().back().document, "update");
  EXPECT_EQ(machine.printJobs().back().datatype, "RAW");
}

// The ended document is the spooler's whole job: a close that fails after it takes nothing away,
// and the file goes on with its next job rather than stopping as if one had been lost.
TEST_F(PrintJobsTest, ClosePrinterFailingAfterACompleteJobIsNoFailure) {
  char data[] = "\x1b.DL";
  const size_t handles = machine.openHandleCount();
  machine.faults().on(Call::ClosePrinter).fail(ERROR_GEN_FAILURE);
  EXPECT_TRUE(printRawJob(kQueue, data, 4, "update"));
  EXPECT_EQ(jobsReceived(), "job:4");
  EXPECT_EQ(machine.openHandleCount(), handles);
  printer->clearPrinterLog();
  ScratchFile file(kMiB * 3 / 2);
  machine.faults().on(Call::ClosePrinter).fromNth(1).fail(ERROR_GEN_FAILURE);
  EXPECT_EQ(printFileJobs(file.path(), kQueue).result, 0);
  EXPECT_EQ(jobsReceived(), "job:1048576,job:524288");
  EXPECT_EQ(machine.openHandleCount(), handles);
  // A short write still fails the job, close or no close.
  machine.faults().on(Call::WritePrinter).truncate(3);
  EXPECT_FALSE(printRawJob(kQueue, data, 4, "update"));
}

TEST_F(PrintJobsTest, ShortWriteIsNoSuccess) {
  char data[] = "\x1b.DL";
  const size_t handles = machine.openHandleCount();
  machine.faults().on(Call::WritePrinter).truncate(3);
  EXPECT_FALSE(printRawJob(kQueue, data, 4, "update"));
  ScratchFile file(100);
  machine.faults().on(Call::WritePrinter).truncate(99);
  EXPECT_EQ(printFileJobs(file.path(), kQueue).result, kPrintJobFailed);
  EXPECT_EQ(machine.openHandleCount(), handles);
}

}  // namespace
}  // namespace velkor::test
