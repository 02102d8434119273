// velkorctl with no world, on the real Linux machine: the default world's plotters served to
// libusb through umockdev, and its printer plotters behind the raw queues of a private CUPS
// scheduler whose backend hands each job to the plotter of the queue's serial. Every command
// leaves the process with the descriptors it started with, the failed ones too: a plotter pulled
// out mid-update, usblp holding a printer plotter, a queue whose plotter is not there.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "sim/DriverLog.h"
#include "sim/PrintClassFace.h"
#include "sim/VirtualPlotter.h"
#include "tests/cli/RunVelkorctl.h"
#include "tests/linuxscenario/OpenDescriptors.h"
#include "tests/support/PrivateCups.h"
#include "tests/support/UmockdevTest.h"

namespace velkor::test {
namespace {

constexpr size_t kClassic = 3;
constexpr size_t kPSeries = 4;

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A list with the first driver plotter and both printer plotters in it.
void expectBothConnectionsListed(const Outcome& list) {
  EXPECT_EQ(list.exit, 0) << list.err;
  EXPECT_TRUE(has(list.out, "0   ZK200 A4")) << list.out;
  EXPECT_TRUE(has(list.out, "port USB001      serial 41207735")) << list.out;
  EXPECT_TRUE(has(list.out, "port USB002")) << list.out;
}

class VelkorctlOnRealLinuxTest : public UmockdevTest {
 protected:
  void SetUp() override {
    UmockdevTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    unsetenv("VELKOR_WORLD");
    std::string why;
    cups_ = PrivateCups::start(dir_ / "cups", VELKOR_CUPS_BACKEND, &why);
    if (!cups_) GTEST_SKIP() << "skipped: " << why;
    ASSERT_TRUE(cups_->addUsbQueue("Velkor_Classic", "usb://Velkor/Classic?serial=41207735",
                                   "41207735"));
    ASSERT_TRUE(cups_->addUsbQueue("Velkor_P-Series", "usb://Velkor/P-Series%203?serial=52300918",
                                   "52300918"));
    cups_->watchJobs([this](const ReceivedJob& job) { deliver(job); });
  }
  void TearDown() override {
    cups_.reset();
    UmockdevTest::TearDown();
  }

  // A job the backend received goes to the printer plotter of the queue's serial.
  void deliver(const ReceivedJob& job) {
    auto hold = bed_.hold();
    for (const auto& served : world_->plotters()) {
      if (job.queue != "usb-" + served->state.serialNumber || !served->printFace()) continue;
      served->printFace()->printJob(
          job.title, {reinterpret_cast<const BYTE*>(job.bytes.data()), job.bytes.size()});
    }
  }

  // velkorctl run as a technician runs it, with the descriptors it leaves open counted.
  Outcome run(std::vector<std::string> args) {
    const size_t before = openDescriptors();
    Outcome outcome = velkorctl(args);
    EXPECT_LE(openDescriptorsSettling(before), before) << "descriptors left open by velkorctl " << args[0];
    return outcome;
  }

  std::string firmware(uint16_t code, const std::string& text) {
    const std::string path = firmwareFile(dir_, code, text);
    EXPECT_FALSE(path.empty());
    return path;
  }

  TempDirectory dir_;
  std::unique_ptr<PrivateCups> cups_;
};

TEST_F(VelkorctlOnRealLinuxTest, ListAndInfoFindThePlottersOnBothConnections) {
  const Outcome list = run({"list"});
  expectBothConnectionsListed(list);
  EXPECT_TRUE(has(list.out, "2   ZK2BS update mode")) << list.out;
  const Outcome driver = run({"info", "--plotter", "1"});
  EXPECT_EQ(driver.exit, 0) << driver.out << driver.err;
  EXPECT_TRUE(has(driver.out, "2.01 A3")) << driver.out;
  const Outcome printer = run({"info", "--plotter", std::to_string(kClassic)});
  EXPECT_EQ(printer.exit, 0) << printer.out << printer.err;
  EXPECT_TRUE(has(printer.out, "1.08 A4")) << printer.out;
}

TEST_F(VelkorctlOnRealLinuxTest, ASerialNumberIsWrittenAndReadBack) {
  const Outcome serial = run({"serial", "419999990", "--plotter", std::to_string(kPSeries)});
  EXPECT_EQ(serial.exit, 0) << serial.out << serial.err;
  auto hold = bed_.hold();
  EXPECT_EQ(plotter(kPSeries).state.serialNumber, "419999990");
}

TEST_F(VelkorctlOnRealLinuxTest, UpdatesOnTheDriverAndThroughAPrintQueueComeBackVerified) {
  const Outcome driver = run({"update", firmware(0x4C04, "2.02 A4"), "--plotter", "2",
                              "--verify", "--json"});
  EXPECT_EQ(driver.exit, 0) << driver.out << driver.err;
  EXPECT_TRUE(has(driver.out, "\"after\":\"2.02 A4\"")) << driver.out;
  // Classic and an image of its type by another maker: asked, and answered yes.
  const Outcome printer = run({"update", firmware(0x4C01, "1.20 A4"), "--plotter",
                               std::to_string(kClassic), "--yes", "--verify", "--json"});
  EXPECT_EQ(printer.exit, 0) << printer.out << printer.err;
  EXPECT_TRUE(has(printer.out, "\"after\":\"1.20 A4\"")) << printer.out;
}

TEST_F(VelkorctlOnRealLinuxTest, PlotsReachThePlottersAndAbortStopsThem) {
  const std::string plt = dir_ / "part.plt";
  std::ofstream(plt) << "IN;SP1;PU0,0;PD1000,1000;PU;";
  for (const size_t index : {size_t{0}, kClassic}) {
    const Outcome plot = run({"plot", plt, "--plotter", std::to_string(index), "--json"});
    EXPECT_EQ(plot.exit, 0) << plot.out << plot.err;
    EXPECT_TRUE(has(plot.out, "\"result\":0,\"sent\":true}")) << plot.out;
    {
      auto hold = bed_.hold();
      EXPECT_FALSE(plotter(index).plots().empty()) << "plotter " << index << " got no plot";
    }
    const Outcome abort = run({"abort", "--plotter", std::to_string(index)});
    EXPECT_EQ(abort.exit, 0) << abort.out << abort.err;
    EXPECT_TRUE(has(abort.out, "aborted             yes")) << abort.out;
  }
}

TEST_F(VelkorctlOnRealLinuxTest, PlotterUnpluggedDuringAnUpdateIsAFailedSend) {
  constexpr size_t kUpdating = 2;
  {
    auto hold = bed_.hold();
    plotter(kUpdating).misbehaviour.chunkDelay = 100;  // slow enough to pull it mid-send
  }
  const std::string image = firmware(0x4C04, "2.02 A4");
  Outcome update;
  std::thread technician(
      [&] { update = run({"update", image, "--plotter", std::to_string(kUpdating), "--verify"}); });
  bool arriving = false;
  // Discovery and the update's questions come first; a loaded machine takes its time over them.
  for (int look = 0; look < 3000 && !arriving; ++look) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    auto hold = bed_.hold();
    const auto& events = plotter(kUpdating).driverEvents();
    arriving = std::any_of(events.begin(), events.end(), [](const sim::DriverEvent& event) {
      return event.kind == sim::DriverEvent::Kind::DataWritten;
    });
  }
  EXPECT_TRUE(arriving) << "the update's data never reached the plotter";
  bed_.unplug(plotter(kUpdating));
  technician.join();
  EXPECT_NE(update.exit, 0) << update.out << update.err;
  EXPECT_TRUE(has(update.out, "Error sending update to plotter")) << update.out << update.err;
  EXPECT_TRUE(has(update.err, "Firmware update failed")) << update.err;
  EXPECT_FALSE(has(update.out, "2.02 A4")) << update.out;
  auto hold = bed_.hold();
  EXPECT_TRUE(plotter(kUpdating).updates().empty()) << plotter(kUpdating).lastUpdateOutcome();
}

TEST_F(VelkorctlOnRealLinuxTest, APrinterPlotterIsQueriedPastUsblpThatLetsGo) {
  bed_.bindUsblp(plotter(kClassic), UsblpHold::Releases);
  const Outcome info = run({"info", "--plotter", std::to_string(kClassic)});
  EXPECT_EQ(info.exit, 0) << info.out << info.err;
  EXPECT_TRUE(has(info.out, "1.08 A4")) << info.out;
  EXPECT_TRUE(bed_.usblpBound(plotter(kClassic))) << "usblp was left unbound";
}

TEST_F(VelkorctlOnRealLinuxTest, APrinterPlotterUsblpWillNotLetGoIsNamedAndNotReached) {
  bed_.bindUsblp(plotter(kClassic), UsblpHold::Refuses);
  const Outcome list = run({"list"});
  EXPECT_EQ(list.exit, 0) << list.err;
  EXPECT_FALSE(has(list.out, "41207735")) << list.out;
  EXPECT_TRUE(has(list.out, "queue Velkor_Classic: its plotter did not answer")) << list.out;
  EXPECT_TRUE(has(list.out, "3   Velkor_P-Series")) << list.out;
  // The index it had is the next plotter's now; past the list is a failure that says so.
  const Outcome info = run({"info", "--plotter", std::to_string(kPSeries)});
  EXPECT_NE(info.exit, 0) << info.out;
  EXPECT_TRUE(has(info.err, "no plotter 4: 4 listed")) << info.err;
  EXPECT_TRUE(bed_.usblpBound(plotter(kClassic)));
  auto hold = bed_.hold();
  EXPECT_TRUE(plotter(kClassic).printerLog().summary().empty())
      << plotter(kClassic).printerLog().summary();
}

TEST_F(VelkorctlOnRealLinuxTest, AQueueWhosePlotterIsAbsentListsNoPlotter) {
  ASSERT_TRUE(cups_->addUsbQueue("Velkor_Gone", "usb://Velkor/Classic?serial=49999999",
                                 "49999999"));
  const Outcome list = run({"list"});
  expectBothConnectionsListed(list);
  EXPECT_FALSE(has(list.out, "Velkor_Gone")) << list.out;
  EXPECT_FALSE(has(list.out, "49999999")) << list.out;
  const Outcome printer = run({"info", "--plotter", std::to_string(kClassic)});
  EXPECT_EQ(printer.exit, 0) << printer.out << printer.err;
  EXPECT_TRUE(has(printer.out, "41207735")) << printer.out;
}

TEST_F(VelkorctlOnRealLinuxTest, AStoppedSchedulerIsNoPrintService) {
  ASSERT_TRUE(cups_->stopScheduler());
  const Outcome list = run({"list"});
  EXPECT_EQ(list.exit, 0) << list.err;
  EXPECT_TRUE(has(list.out, "0   ZK200 A4")) << list.out;
  EXPECT_TRUE(has(list.out, "no print service")) << list.out;
  EXPECT_FALSE(has(list.out, "USB001")) << list.out;
}

}  // namespace
}  // namespace velkor::test
