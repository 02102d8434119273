// Updates of plotters on the USB printing class: RAW print jobs to the plotter's queue, after
// the download state switch that its firmware version asks for, followed until they have left
// the queue, on simulated time.
#include <gtest/gtest.h>

#include "os/sim/FaultInjector.h"
#include "plotter/PrintJobs.h"
#include "plotter/QueryFrontEnd.h"
#include "tests/update/UpdateTest.h"
#include "usb/UsbPrintClass.h"

namespace velkor::test {
namespace {

constexpr const char* kQueue = "Linnea 30 (USB)";
constexpr const char* kSendFailed = "Error sending update to plotter. Connection OK?";
constexpr const char* kQueues = R"(REGEDIT4

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Print\Printers\Linnea 30 (USB)]
"Port"="USB001"
)";

class PrinterUpdate : public UpdateTest {
 protected:
  void SetUp() override {
    UpdateTest::SetUp();
    machine.setDevicesAlwaysPend(false);  // times what the system waits, to the millisecond
    ASSERT_TRUE(machine.loadRegistry(kQueues));
    plotter_ = &plugInPrinter(kLinnea30Row);
    plotter_->servePort("USB001");
    discovery::setRecordText(discovery::plotterList().records[addPrinterRecord(kLinnea30Row)].name,
                             kQueue);
  }

  // Updates from the version shown to firmware of the plotter's own identity, so that nothing
  // is asked; the simulated time it took.
  os::sim::Tick updateFrom(const std::string& version, int expected = 0) {
    const std::string file = firmwareFile(0x4C11);
    const os::sim::Tick start = machine.now();
    EXPECT_EQ(update(file, 3, 1, version), expected);
    EXPECT_FALSE(tempFileExists());
    return machine.now() - start;
  }

  // Two jobs on the plotter's queue named with the temporary name, ESC ".DL" and the stream,
  // after what the plotter saw before them; and the plotter took the stream.
  void expectAnnouncedStream(const std::string& before) {
    const std::vector<os::sim::PrintJob>& jobs = machine.printJobs();
    ASSERT_EQ(jobs.size(), 2u);
    for (const os::sim::PrintJob& job : jobs) {
      EXPECT_EQ(job.queue, kQueue);
      EXPECT_EQ(job.document, plotter::tempName());
    }
    EXPECT_EQ(plotter_->printerLog().summary(),
              before + "job:4,job:" + std::to_string(jobs[1].size) + ",vanished");
    EXPECT_EQ(plotter_->lastUpdateOutcome(), "accepted PALL 2.20 A4");
    EXPECT_TRUE(prompter.calls().empty());
    plotter_->powerOn();
    char reply[64] = "";
    plotter::queryPlotter("6", reply, sizeof reply);
    EXPECT_STREQ(reply, "2.20 A4\r");
  }

  sim::VirtualPlotter* plotter_ = nullptr;
};

TEST_F(PrinterUpdate, NewerFirmwareIsAnnouncedAndGivenTwoSecondsBeforeTheStream) {
  EXPECT_EQ(updateFrom("1.14aKR A4"), 2000);
  expectAnnouncedStream("lpt,");
}

TEST_F(PrinterUpdate, OlderFirmwareIsSwitchedToItsDownloadStateFirstInEitherEdition) {
  discovery::setEdition(discovery::Edition::UpdateOnly);  // "Query Online" has another code
  EXPECT_EQ(updateFrom("1.11aKR A4"), 4000);
  expectAnnouncedStream("lpt,write:\\x1b.DL,lpt,");
}

TEST_F(PrinterUpdate, PlotterStayingOfflineThroughEightPollsGetsNothingPrinted) {
  // Online when first asked, never again once told to switch.
  os::sim::FaultRule& offline = machine.faults()
                                    .on(os::sim::Call::DeviceIoControl)
                                    .code(usb::IOCTL_USBPRINT_GET_LPT_STATUS)
                                    .fromNth(2);
  EXPECT_EQ(updateFrom("????", -4), 4000 + 8 * 1000);
  EXPECT_EQ(offline.hits(), 8u);
  EXPECT_EQ(prompter.texts(), std::vector<std::string>{kSendFailed});
  EXPECT_TRUE(machine.printJobs().empty());
}

// The announcement reaches the plotter before the 2 s are counted, and the update is sent once
// the stream has left the queue too.
TEST_F(PrinterUpdate, AQueueThatTakesItsTimeIsWaitedForBeforeThePauseAndAfterTheStream) {
  machine.configureQueue(kQueue, {os::sim::QueueState::Ready, 3000});
  EXPECT_EQ(updateFrom("1.14aKR A4"), 3000 + 2000 + 3000);
  expectAnnouncedStream("lpt,");
  const std::vector<os::sim::PrintJob>& jobs = machine.printJobs();
  ASSERT_TRUE(jobs[0].printed && jobs[1].printed);
  EXPECT_EQ(jobs[1].ended - *jobs[0].printed, 2000u);
}

// Whatever holds a job in the queue fails the update with the send error and, on a second line,
// the queue and what the spooler says; nothing is sent after a held announcement.
TEST_F(PrinterUpdate, AQueueThatHoldsTheJobsFailsTheUpdateAndSaysWhy) {
  using os::sim::QueueState;
  struct Case {
    os::sim::QueueSettings queue;
    const char* said;
    os::sim::Tick waited;
  };
  const Case cases[] = {
      {{QueueState::Paused, 0}, "the queue is paused", 0},
      {{QueueState::Offline, 0}, "the printer is offline", 0},
      {{QueueState::Error, 0}, "the printer reports an error", 0},
      {{QueueState::Ready, 70000}, "a print job is still waiting after 60 s", 60000},
  };
  size_t jobs = 0;
  for (const Case& c : cases) {
    machine.configureQueue(kQueue, c.queue);
    prompter = RecordingPrompter();
    EXPECT_EQ(updateFrom("1.14aKR A4", -4), c.waited) << c.said;
    EXPECT_EQ(prompter.texts(),
              std::vector<std::string>{std::string(kSendFailed) +
                                       "\nPrint queue \"Linnea 30 (USB)\": " + c.said});
    ASSERT_TRUE(findings.spooler);
    EXPECT_EQ(findings.spooler->queue, kQueue);
    EXPECT_EQ(machine.printJobs().size(), ++jobs) << "the announcement only";
  }
  EXPECT_EQ(plotter_->printerLog().summary(), "lpt,lpt,lpt,lpt");

  // Held after the announcement: the stream's jobs fail the update, as printFileJobs.
  machine.configureQueue(kQueue, {});
  machine.schedule(1000, [this] { machine.configureQueue(kQueue, {QueueState::Paused, 0}); });
  prompter = RecordingPrompter();
  EXPECT_EQ(updateFrom("1.14aKR A4", plotter::kPrintJobFailed), 2000);
  EXPECT_EQ(findings.spooler->state, plotter::SpoolerState::Paused);
  EXPECT_EQ(plotter_->printerLog().summary(), "lpt,lpt,lpt,lpt,lpt,job:4");
}

TEST_F(PrinterUpdate, YesToTheQuestionSendsTheUpdate) {
  prompter.willAnswer(true);
  EXPECT_EQ(update(firmwareFile(0x4D12), 3, 1, "2.01"), 0);
  EXPECT_EQ(prompter.calls().size(), 1u);
  EXPECT_EQ(machine.printJobs().size(), 2u);
}

}  // namespace
}  // namespace velkor::test
