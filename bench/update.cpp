// A whole firmware update of a 2 MiB image on each connection, against converting the same
// image alone: discovery, the update procedure's checks, the conversion into the temporary
// file and the send (over the transfer channel to a vendor-driver plotter in update mode, as
// print jobs to a printing-class plotter), with the plotter checking and taking the stream.
// The procedure's pauses cost no real time on the simulated machine; what is left is the work.
//
//   build/linux/bench/bench_update
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "discovery/DiscoverPlotters.h"
#include "discovery/PlotterRecord.h"
#include "firmware/ConvertFirmwareFile.h"
#include "firmware/SendFirmwareUpdate.h"
#include "firmware/UniqueFile.h"
#include "os/Platform.h"
#include "plotter/PlotterLink.h"
#include "plotter/TempName.h"
#include "sim/World.h"
#include "bench/UpdateImage.h"
#include "tests/support/SampleFirmware.h"
#include "usb/UsbApi.h"

namespace {

using velkor::test::TempFile;


// A plotter on the vendor driver in update mode whose boot program makes it a device of type 4,
// and a printing-class plotter of model code 0x0003 behind a queue: each gets an image of its
// own type, so that no question is asked.
constexpr const char kDriverWorld[] =
    "[plotter D]\nconnection = driver\nupdate-mode = yes\nboot-type = ZK2BS\nboot = 2.11\n";
constexpr const char kPrinterWorld[] =
    "[plotter P]\nconnection = printer\nmodel = VelkorP-Series_3398a\nfirmware = 2.10 A3\n"
    "[queue Q]\nplotter = P\nport = USB001\n";

class NoQuestions : public prompt::Prompter {
 public:
  void showError(std::string_view text) override {
    std::fprintf(stderr, "%.*s\n", int(text.size()), text.data());
  }
  bool askYesNo(std::string_view) override { return false; }
  void showInformation(std::string_view) override {}
};

int updateOnce(sim::World& world, const TempFile& file, int connection) {
  for (const auto& plotter : world.plotters()) plotter->powerOn();
  if (discovery::discoverPlotters() != 1) return 1;
  discovery::plotterList().selected = 0;
  plotter::ensureTempName();
  const firmware::UpdateTarget target{connection == discovery::kConnectionDriver ? "" : "2.10 A3",
                                      connection == discovery::kConnectionDriver ? 2 : 3, "P"};
  char log[1024] = {};
  NoQuestions prompter;
  return firmware::sendFirmwareUpdate(file.string().c_str(), log, sizeof log, connection, target,
                                      prompter);
}

void update(benchmark::State& state, const char* worldText, uint16_t code, int connection) {
  std::string error;
  std::unique_ptr<sim::World> world = sim::World::fromText(worldText, "bench.world", &error);
  std::unique_ptr<TempFile> file = velkor::bench::updateImage(code);
  if (!world || !file) {
    state.SkipWithError(world ? "cannot write the image" : error.c_str());
    return;
  }
  os::ScopedPlatform use(world->machine());
  static const bool initialised = (usb::initUsbLibrary(), true);  // once, as a program's start
  (void)initialised;
  for (auto _ : state) {
    if (updateOnce(*world, *file, connection) != 0) {
      state.SkipWithError("the update was not sent");
      break;
    }
  }
  plotter::closePlotterLink();  // it holds a device of this world
}

void updateDriver(benchmark::State& state) {
  update(state, kDriverWorld, 0x0004, discovery::kConnectionDriver);
}
void updatePrinter(benchmark::State& state) {
  update(state, kPrinterWorld, 0x0003, discovery::kConnectionPrinter);
}

void convertOnly(benchmark::State& state) {
  std::unique_ptr<TempFile> file = velkor::bench::updateImage(0x0003);
  const TempFile stream(".stream");
  for (auto _ : state) {
    firmware::UniqueFile in = firmware::openFile(file->string().c_str(), "rb");
    firmware::UniqueFile out = firmware::openFile(stream.string().c_str(), "wb");
    char log[1024] = {};
    if (!in || !out || firmware::convertFirmwareFile(in.get(), out.get(), log, sizeof log) < 0) {
      state.SkipWithError("conversion failed");
      break;
    }
  }
}

BENCHMARK(updateDriver)->Unit(benchmark::kMillisecond);
BENCHMARK(updatePrinter)->Unit(benchmark::kMillisecond);
BENCHMARK(convertOnly)->Unit(benchmark::kMillisecond);

class TimeReporter : public benchmark::ConsoleReporter {
 public:
  TimeReporter() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) realMs[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> realMs;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  TimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double convert = reporter.realMs["convertOnly"];
  for (const char* name : {"updateDriver", "updatePrinter"}) {
    const double whole = reporter.realMs[name];
    std::printf("%s: whole update %.2f ms, conversion alone %.2f ms, ratio %.2f\n", name, whole,
                convert, convert > 0 ? whole / convert : 0.0);
  }
  return 0;
}
