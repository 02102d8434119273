// Updates of plotters on the USB printing class: RAW print jobs to the plotter's queue, after
// the download state switch that its firmware version asks for, on simulated time.
#include <gtest/gtest.h>

#include "os/sim/FaultInjector.h"
#include "plotter/QueryFrontEnd.h"
#include "tests/update/UpdateTest.h"
#include "usb/UsbPrintClass.h"

namespace velkor::test {
namespace {

constexpr const char* kQueue = "Linnea 30 (USB)";
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
  EXPECT_EQ(prompter.texts(),
            std::vector<std::string>{"Error sending update to plotter. Connection OK?"});
  EXPECT_TRUE(machine.printJobs().empty());
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
