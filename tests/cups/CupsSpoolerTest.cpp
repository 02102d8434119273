// The Linux machine's spooler calls against a private CUPS scheduler whose raw queues hand
// their jobs to the test.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "os/linux/CupsQueues.h"
#include "os/linux/CupsSpooler.h"
#include "os/sim/LastError.h"
#include "tests/support/PrivateCups.h"

namespace os::linux_platform {
namespace {

using velkor::test::PrivateCups;
using velkor::test::ReceivedJob;

class CupsSpoolerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    cups_ = PrivateCups::start("private-cups", VELKOR_CUPS_BACKEND, &why_).release();
    if (!cups_) return;
    cups_->watchJobs([](const ReceivedJob& job) { received_.push_back(job); });
    if (!cups_->addRawQueue("Plotter") || !cups_->addRawQueue("Absent", false)) {
      why_ = "lpadmin cannot add raw queues";
    }
  }
  static void TearDownTestSuite() {
    delete cups_;
    cups_ = nullptr;
  }
  void SetUp() override {
    if (!cups_ || !why_.empty()) GTEST_SKIP() << "skipped: " << why_;
  }
  void TearDown() override { EXPECT_EQ(spooler_.openPrinterCount(), 0u); }

  // A document sent the way printRawJob sends it; its job id (0 if a call failed).
  DWORD send(HANDLE printer, const char* title, const std::string& bytes) {
    DOC_INFO_1A doc{const_cast<char*>(title), nullptr, const_cast<char*>("RAW")};
    const DWORD job = spooler_.startDoc(printer, 1, reinterpret_cast<LPBYTE>(&doc));
    DWORD written = 0;
    const bool ok = job && spooler_.startPage(printer) &&
                    spooler_.write(printer, const_cast<char*>(bytes.data()),
                                   static_cast<DWORD>(bytes.size()), &written) &&
                    spooler_.endPage(printer) && spooler_.endDoc(printer);
    return ok && written == bytes.size() ? job : 0;
  }
  HANDLE open(const char* queue) {
    HANDLE printer = nullptr;
    EXPECT_TRUE(spooler_.openPrinter(const_cast<char*>(queue), &printer));
    return printer;
  }
  // The job's status, or none once the spooler no longer lists it.
  std::optional<DWORD> jobStatus(HANDLE printer, DWORD id) {
    std::vector<BYTE> buffer(1024);
    DWORD needed = 0;
    if (spooler_.getJob(printer, id, 1, buffer.data(), 1024, &needed)) {
      return reinterpret_cast<JOB_INFO_1A*>(buffer.data())->Status;
    }
    EXPECT_EQ(os::sim::threadLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    return std::nullopt;
  }
  DWORD printerStatus(HANDLE printer) {
    DWORD needed = 0;
    EXPECT_FALSE(spooler_.getPrinter(printer, 2, nullptr, 0, &needed));
    EXPECT_EQ(os::sim::threadLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    std::vector<BYTE> buffer(needed);
    EXPECT_TRUE(spooler_.getPrinter(printer, 2, buffer.data(), needed, &needed));
    const auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
    EXPECT_STREQ(info->pPortName, "velkor-plotter");
    return info->Status;
  }
  // The queue's state and reasons as CUPS gives them, for a failure's message.
  static std::string described(const char* name) {
    UniqueHttp http = connectToCups(CupsServer::fromEnvironment());
    CupsQueue queue;
    if (!http || findCupsQueue(http.get(), name, &queue) != QueueLookup::Found) return "?";
    std::string text = "state " + std::to_string(queue.state) + " \"" + queue.message + "\"";
    for (const std::string& reason : queue.reasons) text += " " + reason;
    return text;
  }
  // Asks until pred holds, for up to ten seconds.
  template <typename Pred>
  bool eventually(Pred pred) {
    for (int i = 0; i < 500; ++i) {
      if (pred()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  static inline PrivateCups* cups_ = nullptr;
  static inline std::string why_;
  static inline std::vector<ReceivedJob> received_;
  os::sim::HandleTable handles_;
  CupsSpooler spooler_{handles_, CupsServer::fromEnvironment(), [](const CupsQueue& queue) {
                         return queue.deviceUri.substr(0, queue.deviceUri.find(':'));
                       }};
};

TEST_F(CupsSpoolerTest, AJobReachesThePlotterUnchangedAndLeavesTheQueue) {
  HANDLE printer = open("Plotter");
  const std::string bytes("IN;\0\xff\x1b.K;PU0,0;\r\n", 17);
  DOC_INFO_1A doc{const_cast<char*>("drawing.plt"), nullptr, const_cast<char*>("RAW")};
  const DWORD job = spooler_.startDoc(printer, 1, reinterpret_cast<LPBYTE>(&doc));
  ASSERT_NE(job, 0u);
  EXPECT_EQ(jobStatus(printer, job), static_cast<DWORD>(JOB_STATUS_SPOOLING));
  EXPECT_FALSE(spooler_.endPage(printer));
  EXPECT_EQ(os::sim::threadLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_STATE));
  DWORD written = 0;
  ASSERT_TRUE(spooler_.startPage(printer));
  ASSERT_TRUE(spooler_.write(printer, const_cast<char*>(bytes.data()), 17, &written));
  ASSERT_TRUE(spooler_.endPage(printer) && spooler_.endDoc(printer));
  EXPECT_EQ(written, 17u);
  EXPECT_TRUE(eventually([&] { return !jobStatus(printer, job); }));
  ASSERT_TRUE(cups_->waitForJobs(received_.size() >= 1 ? received_.size() : 1, 10000));
  EXPECT_EQ(received_.back().title, "drawing.plt");
  EXPECT_EQ(received_.back().bytes, bytes);
  EXPECT_EQ(printerStatus(printer), 0u);
  EXPECT_FALSE(spooler_.endDoc(printer));
  EXPECT_EQ(os::sim::threadLastError(), static_cast<DWORD>(ERROR_SPL_NO_STARTDOC));
  EXPECT_TRUE(spooler_.close(printer));
  EXPECT_FALSE(spooler_.close(printer));
}

TEST_F(CupsSpoolerTest, ABigPlotArrivesWholeFromManyWrites) {
  std::string bytes(5 * 1024 * 1024 / 2, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 7919) >> 3);
  HANDLE printer = open("Plotter");
  DOC_INFO_1A doc{const_cast<char*>("big.plt"), nullptr, const_cast<char*>("RAW")};
  const size_t before = received_.size();
  ASSERT_NE(spooler_.startDoc(printer, 1, reinterpret_cast<LPBYTE>(&doc)), 0u);
  ASSERT_TRUE(spooler_.startPage(printer));
  for (size_t at = 0; at < bytes.size(); at += 1024 * 1024) {
    const auto chunk = static_cast<DWORD>(std::min<size_t>(1024 * 1024, bytes.size() - at));
    DWORD written = 0;
    ASSERT_TRUE(spooler_.write(printer, bytes.data() + at, chunk, &written));
    EXPECT_EQ(written, chunk);
  }
  ASSERT_TRUE(spooler_.endPage(printer) && spooler_.endDoc(printer));
  ASSERT_TRUE(cups_->waitForJobs(before + 1, 20000));
  EXPECT_EQ(received_.back().title, "big.plt");
  EXPECT_TRUE(received_.back().bytes == bytes);
  EXPECT_TRUE(spooler_.close(printer));
}

TEST_F(CupsSpoolerTest, APausedQueueHoldsItsJobs) {
  HANDLE printer = open("Plotter");
  ASSERT_TRUE(cups_->runTool("cupsdisable", {"Plotter"}));
  const size_t before = received_.size();
  const DWORD job = send(printer, "held", "PU;");
  ASSERT_NE(job, 0u);
  EXPECT_EQ(printerStatus(printer), static_cast<DWORD>(PRINTER_STATUS_PAUSED))
      << described("Plotter");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(jobStatus(printer, job).has_value());
  ASSERT_TRUE(cups_->runTool("cupsenable", {"Plotter"}));
  EXPECT_TRUE(eventually([&] { return !jobStatus(printer, job); }));
  EXPECT_TRUE(cups_->waitForJobs(before + 1, 10000));
  EXPECT_TRUE(spooler_.close(printer));
}

TEST_F(CupsSpoolerTest, AQueueWhosePlotterIsAbsentStopsInError) {
  HANDLE printer = open("Absent");
  const DWORD job = send(printer, "lost", "PU;");
  ASSERT_NE(job, 0u);
  EXPECT_TRUE(eventually([&] { return printerStatus(printer) == PRINTER_STATUS_ERROR; }))
      << described("Absent");
  EXPECT_TRUE(jobStatus(printer, job).has_value());
  EXPECT_TRUE(spooler_.close(printer));
}

TEST_F(CupsSpoolerTest, UnknownQueuesAndAStoppedSchedulerAreTold) {
  HANDLE printer = nullptr;
  EXPECT_FALSE(spooler_.openPrinter(const_cast<char*>("Nowhere"), &printer));
  EXPECT_EQ(os::sim::threadLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));

  auto queues = listCupsQueues(CupsServer::fromEnvironment());
  ASSERT_TRUE(queues);
  EXPECT_EQ(queues->size(), 2u);
  ASSERT_TRUE(cups_->stopScheduler());
  EXPECT_FALSE(listCupsQueues(CupsServer::fromEnvironment()));
  EXPECT_FALSE(spooler_.openPrinter(const_cast<char*>("Plotter"), &printer));
  EXPECT_EQ(os::sim::threadLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  ASSERT_TRUE(cups_->startScheduler());
  queues = listCupsQueues(CupsServer::fromEnvironment());
  ASSERT_TRUE(queues);
  EXPECT_EQ(queues->size(), 2u);
}

}  // namespace
}  // namespace os::linux_platform
