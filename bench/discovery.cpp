// A whole discovery on a world of 50 plotters (10 on the vendor driver, 40 behind print queues)
// and on one of 5 (1 and 4): real time per discovery, how it grows with the plotters, and the
// simulated time, against the waits the protocol prescribes for plotters that answer at once
// (10 ms for each round of draining an escape-table plotter that has nothing queued; nothing
// else waits).
//
//   build/linux/bench/bench_discovery
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "discovery/DiscoverPlotters.h"
#include "discovery/ModelTable.h"
#include "os/sim/SimMachine.h"
#include "sim/World.h"

namespace {

// Driver plotters that identification lists as different entries (size class, kind, brand).
constexpr const char* kDriverFirmware[] = {
    "1.14aKR A4", "1.14 A4",   "1.14 A3",   "1.14 ZMC600",    "1.14pA4",
    "1.14pA3",    "1.14 qdA3", "1.14 qdA4", "1.14 vykZMC600", "1.14 qdZMC600"};

std::string worldText(int driverPlotters, int printerPlotters) {
  std::string text;
  for (int i = 0; i < driverPlotters; ++i) {
    text += "[plotter D" + std::to_string(i) +
            "]\nconnection = driver\nfirmware = " + kDriverFirmware[i % 10] +
            "\ntool = " + (i >= 5 ? "G 1" : "P 1") + "\n";
  }
  for (int i = 0; i < printerPlotters; ++i) {
    const discovery::ModelEntry& model = discovery::modelTable()[i % 46];
    text += "[plotter P" + std::to_string(i) +
            "]\nconnection = printer\nmodel = " + model.hardwareId +
            "\nfirmware = 1.14aKR A4\ntool = P 1\nserial = 4012" + std::to_string(1000 + i) +
            "\ninstance = VKP" + std::to_string(1000 + i) + "\n[queue Queue " +
            std::to_string(1000 + i) + "]\nplotter = P" + std::to_string(i) + "\nport = USB" +
            std::to_string(100 + i) + "\n";
  }
  return text;
}

// Escape-table drains are the only waits: count the Dummy Command writes the plotters saw.
uint64_t prescribedWaitMs(sim::World& world) {
  uint64_t drains = 0;
  for (const auto& plotter : world.plotters()) {
    for (const sim::PrinterEvent& event : plotter->printerLog().events()) {
      if (event.kind == sim::PrinterEvent::Kind::PipeWrite && event.bytes == "\x1b.0") ++drains;
    }
  }
  return drains * 10;
}

std::map<std::string, double> simulatedMs;
std::map<std::string, double> prescribedMs;

void discover(benchmark::State& state, const char* name, int driverPlotters, int printerPlotters) {
  std::string error;
  std::unique_ptr<sim::World> world =
      sim::World::fromText(worldText(driverPlotters, printerPlotters), "bench", &error);
  if (!world) {
    state.SkipWithError(error.c_str());
    return;
  }
  os::ScopedPlatform use(world->machine());
  const int expected = driverPlotters + printerPlotters;
  for (auto _ : state) {
    for (const auto& plotter : world->plotters()) plotter->clearPrinterLog();
    const os::sim::Tick start = world->machine().now();
    if (discovery::discoverPlotters() != expected) {
      state.SkipWithError("discovery did not list every plotter");
      break;
    }
    simulatedMs[name] = double(world->machine().now() - start);
    prescribedMs[name] = double(prescribedWaitMs(*world));
  }
  state.counters["plotters"] = expected;
}

void discover50(benchmark::State& state) { discover(state, "discover50", 10, 40); }
void discover5(benchmark::State& state) { discover(state, "discover5", 1, 4); }
BENCHMARK(discover50)->Unit(benchmark::kMicrosecond);
BENCHMARK(discover5)->Unit(benchmark::kMicrosecond);

class TimeReporter : public benchmark::ConsoleReporter {
 public:
  TimeReporter() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) realUs[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> realUs;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  TimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double large = reporter.realUs["discover50"];
  const double small = reporter.realUs["discover5"];
  std::printf(
      "real time per discovery: 50 plotters %.0f us, 5 plotters %.0f us, ratio %.1f "
      "(10 times the plotters)\n",
      large, small, small > 0 ? large / small : 0.0);
  for (const char* name : {"discover50", "discover5"}) {
    std::printf("%s: simulated %.0f ms, prescribed waits %.0f ms\n", name, simulatedMs[name],
                prescribedMs[name]);
  }
  return 0;
}
