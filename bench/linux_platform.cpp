// What the Linux platform adds per byte: the same sends to the same virtual plotters on the
// simulated machine and on the Linux machine, whose plotters are USB devices served to libusb
// through umockdev and whose print queues are those of a private CUPS scheduler (its backend's
// jobs handed to the plotter of the queue's serial).
//
//   LD_PRELOAD=libumockdev-preload.so.0 build/linux/bench/bench_linux_platform
//
// Started without the preload, the program runs itself again with it; where umockdev still
// cannot serve plotters it prints "skipped: ..." and ends with 0 (and so when no CUPS scheduler
// can be started, for the print-queue figures alone).
//
// Each figure is the median of five sends to the same plotter, checked as taken by it (an update
// accepted, a plot counted whole), and brought back as it was when an update shut it off. An
// update counts from the moment its bytes start to go out (after the conversion, and after the
// pause the Linux machine waits in real time behind the announcing job) until the send completes;
// through a print queue, until the plotter has the last job's bytes. The plotter's restart after
// an update is never waited for. A plot counts as the whole plotFile call.
//
// What the Linux machine adds here includes umockdev's and the testbed's share: the process is
// mostly idle, and a bulk write of the plot (128 KiB) mostly waits for libusb's next reap, which
// the testbed holds up to 20 ms when nothing has ended yet (tests/support/UsbfsNode.cpp). The
// figures bound the platform's own cost from above; they are not those of a real bus.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "discovery/DiscoverPlotters.h"
#include "discovery/PlotterRecord.h"
#include "firmware/SendFirmwareUpdate.h"
#include "os/Platform.h"
#include "os/linux/LinuxMachine.h"
#include "plotter/PlotFile.h"
#include "plotter/PlotterLink.h"
#include "plotter/TempName.h"
#include "prompt/Progress.h"
#include "sim/PrintClassFace.h"
#include "sim/VirtualPlotter.h"
#include "sim/World.h"
#include "tests/cli/RunVelkorctl.h"
#include "tests/support/PrivateCups.h"
#include "bench/UpdateImage.h"
#include "tests/support/SampleFirmware.h"
#include "tests/support/SparsePlotFile.h"
#include "tests/support/UmockdevTestbed.h"
#include "usb/UsbApi.h"

namespace {

using Clock = std::chrono::steady_clock;
using velkor::test::TempFile;

constexpr int kRuns = 5;
constexpr uint64_t kMiB = uint64_t{1} << 20;
constexpr uint64_t kPlotBytes = 64 * kMiB;
constexpr const char kPreload[] = "libumockdev-preload.so.0";
constexpr auto kLandingLimit = std::chrono::seconds(20);

// A vendor-driver plotter in update mode (U) whose boot program makes it a device of type 4, one
// in normal operation for the plots (D), and a printing-class plotter of model code 0x0003 (P).
// Identical plotters on the vendor driver would be listed once, so each run sends to the same
// plotter again, brought back as it was after an update had shut it off.
constexpr const char kPlotters[] =
    "[plotter U]\nconnection = driver\nupdate-mode = yes\nboot-type = ZK2BS\nboot = 2.11\n"
    "power-on-after = 100\n"
    "[plotter D]\nconnection = driver\n"
    "[plotter P]\nconnection = printer\nmodel = VelkorP-Series_3398a\nfirmware = 2.10 A3\n"
    "serial = 52300918\npower-on-after = 100\n";
constexpr const char kQueue[] = "[queue Q]\nplotter = P\nport = USB001\n";

std::string plotterWorld(bool withQueue) {
  return std::string(kPlotters) + (withQueue ? kQueue : "");
}

std::unique_ptr<sim::World> makeWorld(bool withQueue) {
  std::string error;
  std::unique_ptr<sim::World> world =
      sim::World::fromText(plotterWorld(withQueue), "bench.world", &error);
  if (!world) std::fprintf(stderr, "world: %s\n", error.c_str());
  return world;
}

// A 2 MiB image the plotter takes without a question: of its own identity code.
class ReportErrors : public prompt::Prompter {
 public:
  void showError(std::string_view text) override {
    std::fprintf(stderr, "error: %.*s\n", int(text.size()), text.data());
  }
  bool askYesNo(std::string_view text) override {
    std::fprintf(stderr, "unexpected question, answered No: %.*s\n", int(text.size()),
                 text.data());
    return false;
  }
  void showInformation(std::string_view) override {}
};

// When the first byte of a send starts to go out, while it is installed.
class SendStart : public prompt::Progress {
 public:
  SendStart() : previous_(prompt::installProgress(this)) {}
  ~SendStart() override { prompt::installProgress(previous_); }
  SendStart(const SendStart&) = delete;
  SendStart& operator=(const SendStart&) = delete;

  void step(prompt::Step step, int, int) override {
    if (step == prompt::Step::Sending && !at_) at_ = Clock::now();
  }
  std::optional<Clock::time_point> at() const { return at_; }

 private:
  prompt::Progress* previous_;
  std::optional<Clock::time_point> at_;
};

// The machine the sends go to, with the world whose plotters take them.
class Bench {
 public:
  virtual ~Bench() = default;
  virtual sim::World& world() = 0;
  // Holds the plotters still while they are read or changed.
  virtual std::unique_lock<std::recursive_mutex> hold() { return {}; }
  // Waits for a plotter an update shut off to be back; false if it does not come.
  virtual bool backOn(sim::VirtualPlotter& plotter) = 0;
  // When the plotter had all of an update whose send ended at sent.
  virtual Clock::time_point landed(Clock::time_point sent) { return sent; }
};

// The update the plotter took last, once it has checked one; empty if it never did.
std::string updateOutcome(Bench& bench, const sim::VirtualPlotter& plotter) {
  for (auto until = Clock::now() + kLandingLimit; Clock::now() < until;) {
    {
      auto hold = bench.hold();
      if (!plotter.lastUpdateOutcome().empty()) return plotter.lastUpdateOutcome();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return {};
}

class SimBench : public Bench {
 public:
  explicit SimBench(std::unique_ptr<sim::World> world)
      : world_(std::move(world)), use_(world_->machine()) {
    usb::initUsbLibrary();
  }
  sim::World& world() override { return *world_; }
  bool backOn(sim::VirtualPlotter& plotter) override {
    plotter.powerOn();
    return true;
  }

 private:
  std::unique_ptr<sim::World> world_;
  os::ScopedPlatform use_;
};

// When the watcher last handed a job's bytes to a plotter.
class Deliveries {
 public:
  void note() {
    std::lock_guard<std::mutex> lock(mutex_);
    last_ = Clock::now();
  }
  Clock::time_point last() {
    std::lock_guard<std::mutex> lock(mutex_);
    return last_;
  }

 private:
  std::mutex mutex_;
  Clock::time_point last_;
};

// The world served through umockdev, its printers behind queues of a private scheduler, and the
// Linux machine made on them. The world outlives the testbed; the machine ends every transfer
// and closes its devices before the testbed goes.
class LinuxBench : public Bench {
 public:
  // Null with *why when the testbed cannot serve or the machine cannot be made; cupsWhy says
  // why the print queues are missing, when they are.
  static std::unique_ptr<LinuxBench> open(std::string* why, std::string* cupsWhy) {
    std::unique_ptr<LinuxBench> bench(new LinuxBench(makeWorld(false)));
    if (!bench->world_ || !bench->bed_.available()) {
      *why = bench->world_ ? bench->bed_.skipReason() : "the world was not made";
      return nullptr;
    }
    bench->bed_.serve(*bench->world_);
    if (!bench->startQueues(cupsWhy)) bench->cups_.reset();
    bench->machine_ = os::linux_platform::LinuxMachine::open(why);
    if (!bench->machine_) return nullptr;
    bench->use_ = std::make_unique<os::ScopedPlatform>(*bench->machine_);
    usb::initUsbLibrary();
    return bench;
  }
  ~LinuxBench() override {
    use_.reset();
    machine_.reset();
    cups_.reset();
  }

  sim::World& world() override { return *world_; }
  bool hasQueues() const { return cups_ != nullptr; }

  std::unique_lock<std::recursive_mutex> hold() override { return bed_.hold(); }
  bool backOn(sim::VirtualPlotter& plotter) override {
    for (auto until = Clock::now() + kLandingLimit; Clock::now() < until;) {
      if (!bed_.deviceNode(plotter).empty()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }
  Clock::time_point landed(Clock::time_point sent) override {
    return std::max(sent, deliveries_.last());
  }

 private:
  explicit LinuxBench(std::unique_ptr<sim::World> world) : world_(std::move(world)) {}

  bool startQueues(std::string* why) {
    cups_ = velkor::test::PrivateCups::start(folder_ / "cups", VELKOR_CUPS_BACKEND, why);
    if (!cups_) return false;
    const std::string serial = world_->plotter("P")->state.serialNumber;
    if (!cups_->addUsbQueue("Q", "usb://Velkor/P-Series%203?serial=" + serial, serial)) {
      *why = "the print queue was not added";
      return false;
    }
    cups_->watchJobs([this](const velkor::test::ReceivedJob& job) { deliver(job); });
    return true;
  }

  // A job the backend received goes to the printer plotter of the queue's serial.
  void deliver(const velkor::test::ReceivedJob& job) {
    auto hold = bed_.hold();
    for (const auto& served : world_->plotters()) {
      if (job.queue != "usb-" + served->state.serialNumber || !served->printFace()) continue;
      served->printFace()->printJob(
          job.title, {reinterpret_cast<const BYTE*>(job.bytes.data()), job.bytes.size()});
      deliveries_.note();
    }
  }

  std::unique_ptr<sim::World> world_;
  velkor::test::UmockdevTestbed bed_;
  velkor::test::TempDirectory folder_;  // the scheduler's
  std::unique_ptr<velkor::test::PrivateCups> cups_;
  Deliveries deliveries_;
  std::unique_ptr<os::linux_platform::LinuxMachine> machine_;
  std::unique_ptr<os::ScopedPlatform> use_;
};

// Discovers the plotters and selects this one, and on the vendor driver its device for the
// link, as picking it in the list does: there by its device path, on the printing class by the
// serial number it reports.
bool discoverAndSelect(const sim::VirtualPlotter& plotter) {
  discovery::discoverPlotters();
  discovery::PlotterList& list = discovery::plotterList();
  for (int16_t row = 0; row < list.count; ++row) {
    const discovery::PlotterRecord& record = list.records[row];
    const bool driver = record.connection == discovery::kConnectionDriver;
    if (driver ? discovery::recordText(record.devicePath) == plotter.devicePath()
               : discovery::recordText(record.serial) == plotter.state.serialNumber) {
      list.selected = row;
      if (driver) plotter::selectLinkPlace(record.linkPlace);
      return true;
    }
  }
  std::fprintf(stderr, "plotter %s not discovered\n", plotter.state.serialNumber.c_str());
  return false;
}

// One send to a plotter already selected: how long it took, none if it failed.
using Send = std::function<std::optional<Clock::duration>(Bench&, sim::VirtualPlotter&)>;

std::optional<Clock::duration> sendUpdate(Bench& bench, sim::VirtualPlotter& plotter,
                                          const TempFile& image, int connection) {
  const bool driver = connection == discovery::kConnectionDriver;
  const firmware::UpdateTarget target{driver ? "" : "2.10 A3", driver ? 2 : 3, "P"};
  char log[1024] = {};
  ReportErrors prompter;
  SendStart start;
  const int result = firmware::sendFirmwareUpdate(image.string().c_str(), log, sizeof log,
                                                  connection, target, prompter);
  const Clock::time_point sent = Clock::now();
  if (result != 0 || !start.at()) return std::nullopt;
  const std::string outcome = updateOutcome(bench, plotter);
  if (outcome.rfind("accepted", 0) != 0) {
    std::fprintf(stderr, "the plotter did not take the update: %s\n", outcome.c_str());
    return std::nullopt;
  }
  return bench.landed(sent) - *start.at();
}

// The plot, timed, and then checked: the plotter counted every byte of it, each in its place.
std::optional<Clock::duration> sendPlot(Bench& bench, const velkor::test::SparsePlotFile& file,
                                        sim::VirtualPlotter& plotter) {
  const Clock::time_point start = Clock::now();
  if (plotter::plotFile(file.path()).result != 0) return std::nullopt;
  const Clock::duration took = Clock::now() - start;
  auto hold = bench.hold();
  const std::vector<sim::PlotRecord>& plots = plotter.plots();
  if (plots.empty() || plots.back().bytes != file.size() ||
      plots.back().checksum != file.checksum()) {
    std::fprintf(stderr, "the plotter did not get the whole plot\n");
    return std::nullopt;
  }
  return took;
}

// The plotter as it was before an update shut it off: on the bus, and in update mode if it was.
// Every run leaves its plotter so, for a discovery that misses a plotter on its way back gives
// the link places to other devices than those that hold them once it is back.
bool bringBack(Bench& bench, sim::VirtualPlotter& plotter, bool updateMode) {
  if (!bench.backOn(plotter)) return false;
  auto hold = bench.hold();
  plotter.state.updateMode = updateMode;
  return true;
}

// The median seconds of kRuns sends to the plotter labelled label; none if any failed.
std::optional<double> medianSeconds(Bench& bench, const std::string& label, const Send& send) {
  sim::VirtualPlotter* plotter = bench.world().plotter(label);
  bool updateMode = false;
  if (plotter) {
    auto hold = bench.hold();
    updateMode = plotter->state.updateMode;
  }
  std::vector<double> seconds;
  for (int run = 0; plotter && run < kRuns; ++run) {
    plotter::ensureTempName();
    const std::optional<Clock::duration> took =
        discoverAndSelect(*plotter) ? send(bench, *plotter) : std::nullopt;
    plotter::closePlotterLink();  // it holds a device of this world
    if (!took || !bringBack(bench, *plotter, updateMode)) return std::nullopt;
    seconds.push_back(std::chrono::duration<double>(*took).count());
  }
  if (seconds.empty()) return std::nullopt;
  std::sort(seconds.begin(), seconds.end());
  return seconds[seconds.size() / 2];
}

struct Case {
  const char* title;
  std::string label;
  uint64_t bytes;
  Send send;
  bool throughQueue;
};

struct Figure {
  std::optional<double> onLinux;
  std::optional<double> simulated;
};

void printSide(const char* side, uint64_t bytes, std::optional<double> seconds) {
  if (!seconds) {
    std::printf("  %-22s failed or not run\n", side);
    return;
  }
  std::printf("  %-22s %10.2f ms total %10.1f MiB/s %8.3f ns/byte\n", side, *seconds * 1e3,
              double(bytes) / double(kMiB) / *seconds, *seconds * 1e9 / double(bytes));
}

void printFigure(const Case& c, const Figure& figure) {
  std::printf("%s (%.1f MiB)\n", c.title, double(c.bytes) / double(kMiB));
  printSide(c.throughQueue ? "Linux (CUPS queue)" : "Linux (libusb/umockdev)", c.bytes,
            figure.onLinux);
  printSide("simulated machine", c.bytes, figure.simulated);
  if (figure.onLinux && figure.simulated) {
    const double added = *figure.onLinux - *figure.simulated;
    std::printf("  %-22s %+10.2f ms total %28s %+8.3f ns/byte\n", "added by the platform",
                added * 1e3, "", added * 1e9 / double(c.bytes));
  }
}

// Runs itself again under umockdev's preload when it is not there; returns when it is, or when
// running again failed (the testbed then says why it cannot serve).
void underPreload(char** argv) {
  const char* preload = std::getenv("LD_PRELOAD");
  if (preload && std::strstr(preload, "libumockdev-preload")) return;
  const std::string value = preload && *preload ? std::string(preload) + ":" + kPreload : kPreload;
  setenv("LD_PRELOAD", value.c_str(), 1);
  execv("/proc/self/exe", argv);
  std::fprintf(stderr, "running again under %s failed: %s\n", kPreload, std::strerror(errno));
}

std::vector<Case> cases(const TempFile& driverImage, const TempFile& printerImage,
                        const velkor::test::SparsePlotFile& plot) {
  namespace d = discovery;
  return {
      {"update, vendor driver in update mode", "U",
       std::filesystem::file_size(driverImage.path()),
       [&](Bench& b, sim::VirtualPlotter& p) {
         return sendUpdate(b, p, driverImage, d::kConnectionDriver);
       },
       false},
      {"plot file, vendor driver", "D", plot.size(),
       [&](Bench& b, sim::VirtualPlotter& p) { return sendPlot(b, plot, p); }, false},
      {"update, printing class through a print queue", "P",
       std::filesystem::file_size(printerImage.path()),
       [&](Bench& b, sim::VirtualPlotter& p) {
         return sendUpdate(b, p, printerImage, d::kConnectionPrinter);
       },
       true},
  };
}

}  // namespace

int main(int, char** argv) {
  underPreload(argv);
  const std::unique_ptr<TempFile> driverImage = velkor::bench::updateImage(0x0004);
  const std::unique_ptr<TempFile> printerImage = velkor::bench::updateImage(0x0003);
  const velkor::test::SparsePlotFile plot(kPlotBytes);
  if (!driverImage || !printerImage || !plot.made()) {
    std::fprintf(stderr, "the firmware images or the plot file could not be written\n");
    return 1;
  }
  const std::vector<Case> all = cases(*driverImage, *printerImage, plot);
  std::vector<Figure> figures(all.size());
  {
    std::unique_ptr<sim::World> world = makeWorld(true);
    if (!world) return 1;
    SimBench simulated(std::move(world));
    for (size_t i = 0; i < all.size(); ++i) {
      figures[i].simulated = medianSeconds(simulated, all[i].label, all[i].send);
    }
  }
  std::string why;
  std::string cupsWhy;
  std::unique_ptr<LinuxBench> real = LinuxBench::open(&why, &cupsWhy);
  if (!real) {
    std::printf("skipped: %s\n", why.c_str());
    return 0;
  }
  if (!real->hasQueues()) std::printf("print queue figures skipped: %s\n", cupsWhy.c_str());
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i].throughQueue && !real->hasQueues()) continue;
    figures[i].onLinux = medianSeconds(*real, all[i].label, all[i].send);
  }
  real.reset();
  std::printf("median of %d sends each\n", kRuns);
  for (size_t i = 0; i < all.size(); ++i) printFigure(all[i], figures[i]);
  return 0;
}
