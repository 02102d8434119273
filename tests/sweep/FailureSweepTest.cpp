// Every whole operation run once for each platform call it makes, with that call failing as it
// most likely would (the device gone, access denied, no memory), and once for each call on a
// device with the device unplugged just then: after every run the operation claims no success
// that the plotter did not get whole, and leaves no handle, view, allocation or half-open link
// behind; after an unplug, a refresh lists the other plotters and not the one that went.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/PlotterInfo.h"
#include "app/RefreshPlotterList.h"
#include "app/SendUpdate.h"
#include "discovery/PlotterRecord.h"
#include "os/Platform.h"
#include "os/sim/CaseInsensitive.h"
#include "os/sim/Deadlock.h"
#include "plotter/PlotFile.h"
#include "plotter/PlotterLink.h"
#include "plotter/QueryFrontEnd.h"
#include "plotter/TempName.h"
#include "sim/DefaultWorld.h"
#include "sim/World.h"
#include "tests/support/LikelyFault.h"
#include "tests/support/RecordingPrompter.h"
#include "tests/support/SampleFirmware.h"
#include "usb/UsbDriver.h"
#include "usb/UsbLibrary.h"

namespace velkor::test {
namespace {

using os::sim::Call;
using os::sim::CheckedCall;

// The default world's plotters, by their place in the list.
constexpr int kDriverPlotter = 0;
constexpr int kUpdateModePlotter = 2;
constexpr int kPrinterPlotter = 3;
// Every question is answered Yes, so that the update goes as far as it can.
constexpr int kQuestionsAnswered = 8;
// What the update says when its send failed.
constexpr const char* kSendFailed = "Error sending update to plotter. Connection OK?";
// The plot file: 36 bulk chunks from two windows of the file on the vendor driver, 5 print jobs
// of up to 1 MiB on a queue.
constexpr std::size_t kPlotBytes = 4500 * 1024;

enum class Injection { Failing, Unplugging };

// The fault for the call at the position tried; none where unplugging means nothing (a call
// on no device).
std::optional<os::sim::Fault> faultFor(Injection injection, const CheckedCall& call) {
  using os::sim::Fault;
  if (injection == Injection::Failing) return Fault{Fault::Kind::Fail, likelyError(call)};
  if (!onDevice(call)) return std::nullopt;
  return Fault{Fault::Kind::Vanish, ERROR_DEVICE_NOT_CONNECTED};
}

// What one run of an operation gave.
struct Outcome {
  int result = 0;
  bool claimsSuccess = false;     // result 0, "sent", or a success notice
  bool plotterGotItAll = false;   // what the operation sends arrived whole
  bool sends = false;             // an operation whose success the plotter can confirm
  bool tempFileAsDefined = true;  // the temporary file is kept or gone as the update defines
};

class FailureSweep : public ::testing::Test {
 public:  // the operations' lambdas use it
  struct Operation {
    const char* name;
    int plotter;  // the list line selected before, -1 for none
    std::function<Outcome(FailureSweep&)> run;
    const char* worldText = nullptr;  // the default world unless given
  };

  static void SetUpTestSuite() {
    files_ = std::filesystem::temp_directory_path() / "velkor-sweep";
    std::filesystem::create_directories(files_);
    SampleFirmware driver;
    driver.descriptor = Descriptor::PatternB;
    driver.productId = 0x4c04;
    driver.headerNote = " 2.02 A4";
    ASSERT_TRUE(writeSampleFirmware((files_ / "driver.cas").string(), driver));
    ASSERT_TRUE(writeSampleFirmware((files_ / "printer.cas").string(), classicFirmware()));
    std::ofstream plot(files_ / "drawing.plt", std::ios::binary);
    plot << std::string(kPlotBytes, 'P');
  }
  static void TearDownTestSuite() {
    std::printf(
        "%zu operations: %zu runs with a call failing, %zu with the plotter unplugged, "
        "%zu findings\n",
        totals_.operations, totals_.failed, totals_.unplugged, totals_.findings);
    std::filesystem::remove_all(files_);
  }

  void TearDown() override { endRun(); }

  // A fresh world with the plotter selected as the dialog would, then the handle counts taken.
  void startRun(const Operation& operation) {
    endRun();
    std::string error;
    world_ = sim::World::fromText(
        operation.worldText ? operation.worldText : sim::defaultWorldText(), "sweep.world", &error);
    ASSERT_TRUE(world_) << error;
    platform_.emplace(world_->machine());
    usb::initUsbLibrary();
    discovery::plotterList().selected = -1;
    app::refreshPlotterList();
    if (operation.plotter >= 0) {
      discovery::plotterList().selected = static_cast<int16_t>(operation.plotter);
      app::fillPlotterInfo(operation.plotter);
    }
    prompter_ = RecordingPrompter();
    for (int i = 0; i < kQuestionsAnswered; ++i) prompter_.willAnswer(true);
  }
  void endRun() {
    if (!platform_) return;
    world_->machine().faults().stopCounting();
    plotter::closePlotterLink();
    plotter::removeTempFile();
    plotter::selectLinkPlace(0);
    platform_.reset();
    world_.reset();
  }

  struct Resources {
    std::size_t handles, views, blocks;
    bool operator==(const Resources&) const = default;
  };
  // The plotters that are there, but for the one whose device the path names.
  int presentPlotters(const std::string& unpluggedPath = {}) const {
    int present = 0;
    for (const auto& plotter : world_->plotters()) {
      const bool unplugged =
          !unpluggedPath.empty() &&
          os::sim::containsIgnoringCase(unpluggedPath, plotter->identity.instanceSerial);
      present += plotter->present() && !unplugged ? 1 : 0;
    }
    return present;
  }
  // What a run starts from, with the link closed: the same for every run of an operation, the
  // world being built afresh the same way each time.
  struct Start {
    Resources closed;
    int listed;   // plotters in the list
    int present;  // plotters of the world that are there
  };
  Resources resources() {
    os::sim::SimMachine& machine = world_->machine();
    return {machine.openHandleCount(), machine.mappedViewCount(), machine.localAllocationCount()};
  }

  // What the sweep found wrong in one run, empty when nothing.
  std::vector<std::string> checkRun(const Operation& operation, Injection injection,
                                    unsigned position, const Start& start) {
    std::vector<std::string> findings;
    const auto finding = [&](const std::string& what) {
      const CheckedCall& call = world_->machine().faults().counted().at(position - 1);
      findings.push_back(std::string(operation.name) + ", call " + std::to_string(position) + " (" +
                         os::sim::callName(call.call) + " " + call.path + ") " +
                         (injection == Injection::Failing ? "failing" : "unplugged") + ": " + what);
    };
    Outcome outcome;
    try {
      outcome = operation.run(*this);
    } catch (const os::sim::Deadlock& deadlock) {
      finding(std::string("hangs: ") + deadlock.what());
      return findings;
    }
    world_->machine().faults().stopCounting();
    if (outcome.sends && outcome.claimsSuccess && !outcome.plotterGotItAll) {
      finding("success claimed but the plotter did not get it all (result " +
              std::to_string(outcome.result) + ")");
    }
    const CheckedCall& faulted = world_->machine().faults().counted().at(position - 1);
    for (const auto& plotter : world_->plotters()) {
      for (const std::string& fault : plotter->protocolFaults()) {
        // A release that failed on its way never reached the plotter, which rightly still
        // holds the lock when the channel closes.
        if (fault == "closed-while-held" && faulted.code == usb::IOCTL_UDRV_LOCK) continue;
        finding("the device lock's rules broken: " + fault);
      }
      plotter->clearProtocolFaults();
    }
    if (plotter::linkChannel() != nullptr && plotter::linkDevice() == nullptr) {
      finding("a channel without its device");
    }
    if (!outcome.tempFileAsDefined) {
      finding("the temporary file is not as a failed send leaves it (result " +
              std::to_string(outcome.result) + ")");
    }
    if (outcome.claimsSuccess && *plotter::tempName() != '\0' &&
        std::filesystem::exists(plotter::tempName())) {
      finding("the temporary file is left after success");
    }
    plotter::closePlotterLink();
    if (!(resources() == start.closed)) finding("handles, views or local blocks left behind");
    if (injection == Injection::Unplugging) {
      // Listed are those still there: not the unplugged one, nor a plotter that switched itself
      // off after its update.
      const int expected =
          start.listed -
          (start.present -
           presentPlotters(world_->machine().faults().counted().at(position - 1).path));
      app::refreshPlotterList();
      plotter::closePlotterLink();
      if (discovery::plotterList().count != expected) {
        finding("a refresh lists " + std::to_string(discovery::plotterList().count) +
                " plotters, not " + std::to_string(expected));
      }
    }
    return findings;
  }

  // One run per call of the operation with that call faulted; the positions tried.
  std::size_t sweep(const Operation& operation, Injection injection, const Start& start,
                    const std::vector<CheckedCall>& calls, std::vector<std::string>& findings) {
    std::size_t tried = 0;
    for (unsigned position = 1; position <= calls.size(); ++position) {
      if (!faultFor(injection, calls[position - 1])) continue;
      ++tried;
      startRun(operation);
      world_->machine().faults().startCounting(
          position, [injection](const CheckedCall& call) { return faultFor(injection, call); });
      for (std::string& each : checkRun(operation, injection, position, start)) {
        findings.push_back(each);
      }
    }
    return tried;
  }

  // The operation's calls, then every call failing and every device call unplugging; prints
  // what it did.
  void sweep(const Operation& operation) {
    startRun(operation);
    plotter::closePlotterLink();
    const Start start{resources(), discovery::plotterList().count, presentPlotters()};
    startRun(operation);
    world_->machine().faults().startCounting();
    const Outcome clean = operation.run(*this);
    const std::vector<CheckedCall> calls = world_->machine().faults().counted();
    EXPECT_TRUE(clean.claimsSuccess)
        << operation.name << " fails without a fault: result " << clean.result << ", said "
        << ::testing::PrintToString(prompter_.texts());
    if (clean.sends) {
      EXPECT_TRUE(clean.plotterGotItAll) << operation.name;
    }
    std::vector<std::string> findings;
    const std::size_t failed = sweep(operation, Injection::Failing, start, calls, findings);
    const std::size_t unplugged = sweep(operation, Injection::Unplugging, start, calls, findings);
    std::printf("%-28s %4zu calls: %4zu failed, %4zu unplugged, %zu findings\n", operation.name,
                calls.size(), failed, unplugged, findings.size());
    totals_.operations += 1;
    totals_.failed += failed;
    totals_.unplugged += unplugged;
    totals_.findings += findings.size();
    for (const std::string& each : findings) ADD_FAILURE() << each;
  }

  // An update; a send that fails leaves the temporary file in place on the vendor driver and
  // deletes it on the printing class.
  Outcome update(const char* file, const char* plotterLabel) {
    const app::SendUpdateOutcome sent = app::onSendUpdate((files_ / file).string(), prompter_);
    bool notice = false;
    bool sendFailed = false;
    for (const PromptCall& call : prompter_.calls()) {
      notice |= call.kind == PromptCall::Kind::Information;
      sendFailed |= call.text == kSendFailed;
    }
    const sim::VirtualPlotter& plotter = *world_->plotter(plotterLabel);
    const std::string accepted = plotter.lastUpdateOutcome();
    const bool onDriver = plotter.identity.connection == sim::Connection::Driver;
    const bool tempLeft = std::filesystem::exists(plotter::tempName());
    return {sent.result,
            sent.result == 0 || notice || sent.status.find("sent") != std::string::npos,
            accepted.rfind("accepted", 0) == 0, true, !sendFailed || tempLeft == onDriver};
  }
  Outcome plot(const char* plotterLabel) {
    const int result = plotter::plotFile((files_ / "drawing.plt").string().c_str()).result;
    const auto& plots = world_->plotter(plotterLabel)->plots();
    const bool whole = !plots.empty() && plots.back().bytes == kPlotBytes;
    return {result, result == 0, whole, true};
  }

  static inline std::filesystem::path files_;
  static inline struct { std::size_t operations, failed, unplugged, findings; } totals_{};
  std::unique_ptr<sim::World> world_;
  std::optional<os::ScopedPlatform> platform_;
  RecordingPrompter prompter_;
};

TEST_F(FailureSweep, DiscoveryAndThePlotterFields) {
  sweep({"discovery", -1, [](FailureSweep&) {
           app::refreshPlotterList();
           return Outcome{0, true, true, false};
         }});
  sweep({"fillPlotterInfo driver", kDriverPlotter, [](FailureSweep&) {
           app::fillPlotterInfo(kDriverPlotter);
           return Outcome{0, true, true, false};
         }});
  sweep({"fillPlotterInfo printer", kPrinterPlotter, [](FailureSweep&) {
           app::fillPlotterInfo(kPrinterPlotter);
           return Outcome{0, true, true, false};
         }});
}

TEST_F(FailureSweep, FirmwareUpdatesOnEachConnection) {
  sweep({"update driver", kUpdateModePlotter,
         [](FailureSweep& s) { return s.update("driver.cas", "ZK2BS in update"); }});
  sweep({"update printer (download)", kPrinterPlotter,
         [](FailureSweep& s) { return s.update("printer.cas", "Classic"); }});
  // Above 1.12 the plotter takes the stream after an escape command instead.
  static const std::string newerClassic = [] {
    std::string world = sim::defaultWorldText();
    const std::string old = "firmware = 1.08 A4";
    return world.replace(world.find(old), old.size(), "firmware = 1.14 A4");
  }();
  sweep({"update printer (escape)", kPrinterPlotter,
         [](FailureSweep& s) { return s.update("printer.cas", "Classic"); }, newerClassic.c_str()});
}

TEST_F(FailureSweep, PlotsAbortsAndTheSerialNumber) {
  sweep({"plot driver", kDriverPlotter, [](FailureSweep& s) { return s.plot("ZK200 A4"); }});
  sweep({"plot printer", kPrinterPlotter, [](FailureSweep& s) { return s.plot("Classic"); }});
  sweep({"abort driver", kDriverPlotter, [](FailureSweep&) {
           const int result = plotter::abortPlot();
           return Outcome{result, result == 0, true, false};
         }});
  sweep({"abort printer", kPrinterPlotter, [](FailureSweep&) {
           const int result = plotter::abortPlot();
           return Outcome{result, result == 0, true, false};
         }});
  sweep({"serial number", kPrinterPlotter, [](FailureSweep& s) {
           const int result = plotter::setSerialNumber("VK1234567");
           const bool stored = s.world_->plotter("Classic")->state.serialNumber == "VK1234567";
           return Outcome{result, result == 0, stored, true};
         }});
}

}  // namespace
}  // namespace velkor::test
