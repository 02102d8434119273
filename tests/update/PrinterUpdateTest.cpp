// Updates of plotters on the USB printing class: RAW print jobs to the plotter's queue, after
// the download state switch that its firmware version asks for, followed until they have left
// the queue, on simulated time.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "os/sim/FaultInjector.h"
#include "plotter/PrintJobs.h"
#include "plotter/QueryFrontEnd.h"
#include "prompt/Progress.h"
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

// The first four characters of the version text choose the way: up to "1.12" (as strncmp
// compares them), and "????", the plotter is switched to its download state first and polled
// until it answers; any other version goes with the announcement and 2 s.
TEST_F(PrinterUpdate, VersionsUpToOneTwelveAndUnknownOnesGoThroughTheDownloadState) {
  struct Case {
    const char* version;
    unsigned pollsUnanswered;
    os::sim::Tick took;
  };
  const Case cases[] = {{"????", 2, 6000}, {"1.12", 0, 4000},        {"0.99 A4", 1, 5000},
                        {"1.1", 0, 4000},  {"1.13aKR A4", 0, 2000}, {"data not availible", 0, 2000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    machine.faults().clear();
    for (unsigned poll = 1; poll <= c.pollsUnanswered; ++poll) {
      machine.faults()
          .on(os::sim::Call::DeviceIoControl)
          .code(usb::IOCTL_USBPRINT_GET_LPT_STATUS)
          .nth(1 + poll);
    }
    plotter_->clearPrinterLog();
    EXPECT_EQ(updateFrom(c.version), c.took);
    const std::string before = c.took == 2000 ? "lpt," : "lpt,write:\\x1b.DL,lpt,";
    EXPECT_EQ(plotter_->printerLog().summary().rfind(before + "job:4,job:", 0), 0u)
        << plotter_->printerLog().summary();
    EXPECT_EQ(plotter_->lastUpdateOutcome(), "accepted PALL 2.20 A4");
    plotter_->powerOn();
  }
}

// Runs its action when the update stream is about to be sent, as another program could meddle
// with the stream file just then.
class WhenSending : public prompt::Progress {
 public:
  explicit WhenSending(std::function<void()> action)
      : action_(std::move(action)), previous_(prompt::installProgress(this)) {}
  ~WhenSending() override { prompt::installProgress(previous_); }
  WhenSending(const WhenSending&) = delete;
  WhenSending& operator=(const WhenSending&) = delete;
  void step(prompt::Step step, int, int) override {
    if (step == prompt::Step::Sending) action_();
  }

 private:
  std::function<void()> action_;
  prompt::Progress* previous_;
};

// Every way the send can fail shows the send error and ends with its result, and the stream
// file is gone: the plotter not online, the download state command not taken, the announcement
// refused on either way, and each failure of the stream's jobs.
TEST_F(PrinterUpdate, EveryFailedSendShowsTheSendErrorAndRemovesTheStreamFile) {
  using os::sim::Call;
  plotter::ensureTempName();
  const std::filesystem::path stream = plotter::tempName();
  auto fail = [this](Call call, unsigned nth = 1) {
    return [this, call, nth] { machine.faults().on(call).nth(nth); };
  };
  auto replaceStream = [&stream](bool withDirectory) {
    return [&stream, withDirectory] {
      std::filesystem::remove(stream);
      if (withDirectory) std::filesystem::create_directory(stream);
    };
  };
  struct Case {
    const char* what;
    const char* version;
    std::function<void()> fault;
    bool whenSending;  // the fault comes just before the stream is sent
    int result;
    size_t jobs;  // the jobs the spooler took
  };
  const Case cases[] = {
      {"offline", "1.14", fail(Call::DeviceIoControl), false, -4, 0},
      {"no download state", "1.11", fail(Call::WriteFile), false, -4, 0},
      {"announcement refused", "1.14", fail(Call::OpenPrinter), false, -4, 0},
      {"announcement refused after the switch", "1.11", fail(Call::StartDocPrinter), false, -4,
       0},
      // The queue is opened for the announcement, then to follow it, then for the stream.
      {"stream job refused", "1.14", fail(Call::OpenPrinter, 3), false, plotter::kPrintJobFailed,
       1},
      {"stream file gone", "1.14", replaceStream(false), true, plotter::kPrintFileOpen, 1},
#ifndef _WIN32  // a directory opens for reading on POSIX only, and reading it fails
      {"stream file unreadable", "1.14", replaceStream(true), true, plotter::kPrintFileRead, 1},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    machine.faults().clear();
    prompter = {};
    const size_t jobsBefore = machine.printJobs().size();
    if (!c.whenSending) c.fault();
    WhenSending meddling(c.whenSending ? c.fault : [] {});
    updateFrom(c.version, c.result);
    EXPECT_EQ(prompter.texts(),
              std::vector<std::string>{"Error sending update to plotter. Connection OK?"});
    EXPECT_EQ(machine.printJobs().size() - jobsBefore, c.jobs);
    EXPECT_TRUE(plotter_->updates().empty());
  }
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

// The longest an update waits for a plotter that stops taking data once told to switch: each
// of the eight polls' port-status requests pends until its 1000 ms wait ends it.
TEST_F(PrinterUpdate, PlotterTakingNoDataAfterTheSwitchFailsAfterEightBoundedPolls) {
  machine.faults()
      .on(os::sim::Call::DeviceIoControl)
      .code(usb::IOCTL_USBPRINT_GET_LPT_STATUS)
      .fromNth(2)
      .neverComplete();
  EXPECT_EQ(updateFrom("????", -4), 4000 + 8 * (1000 + 1000));
  EXPECT_EQ(prompter.texts(),
            std::vector<std::string>{"Error sending update to plotter. Connection OK?"});
  EXPECT_TRUE(machine.printJobs().empty());
}

TEST_F(PrinterUpdate, YesToTheQuestionSendsTheUpdate) {
  prompter.willAnswer(true);
  EXPECT_EQ(update(firmwareFile(0x4D12), 3, 1, "2.01"), 0);
  EXPECT_EQ(prompter.calls().size(), 1u);
  EXPECT_EQ(machine.printJobs().size(), 2u);
}

}  // namespace
}  // namespace velkor::test
