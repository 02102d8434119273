// A plot file through the print-queue route: printFileJobs to a queue on USB001 with a virtual
// printing-class plotter behind it, on a simulated machine. Prints the throughput of a 64 MiB
// file, and how far the process's peak memory grows while a 16 MiB and a 256 MiB file go out:
// the route reads one 1 MiB chunk at a time, so the growth should stay near 1 MiB whatever the
// size, unless something downstream keeps the jobs' bytes.
//
//   build/linux/bench/bench_plot_file
//
// The throughput shows as the counter MB (megabytes, 10^6 bytes, per second).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "discovery/ModelTable.h"
#include "os/Platform.h"
#include "plotter/PrintJobs.h"
#include "sim/World.h"
#include "tests/support/ProcessStatus.h"
#include "tests/support/ScratchFile.h"

namespace {

using velkor::test::processStatusKiB;

constexpr size_t kMiB = size_t{1} << 20;
constexpr size_t kThroughputSize = 64 * kMiB;
constexpr const char* kQueue = "Plotter A";

// A world of one printing-class plotter of the first model row behind the queue on USB001.
std::unique_ptr<sim::World> queueWorld() {
  std::string text = std::string("[plotter P1]\nconnection = printer\nmodel = ") +
                     discovery::modelTable()[0].hardwareId +
                     "\ninstance = VK0000001\n[queue Plotter A]\nplotter = P1\nport = USB001\n";
  std::string error;
  std::unique_ptr<sim::World> world = sim::World::fromText(text, "bench.world", &error);
  if (!world) std::fprintf(stderr, "world: %s\n", error.c_str());
  return world;
}

// A plot file written a mebibyte at a time, so that making it does not raise the peak itself.
class PlotFile {
 public:
  explicit PlotFile(size_t size) {
    std::ofstream out(file_.path(), std::ios::binary);
    const std::vector<uint8_t> block = velkor::test::scratchBytes(kMiB);
    for (size_t left = size; left > 0; left -= std::min(left, kMiB)) {
      out.write(reinterpret_cast<const char*>(block.data()),
                static_cast<std::streamsize>(std::min(left, kMiB)));
    }
  }
  const char* path() const { return path_.c_str(); }

 private:
  velkor::test::TempFile file_{".plt"};
  std::string path_ = file_.string();
};

// One run of printFileJobs on a fresh world; false if it did not succeed.
bool printThroughQueue(const PlotFile& file) {
  std::unique_ptr<sim::World> world = queueWorld();
  if (!world) return false;
  os::ScopedPlatform use(world->machine());
  return plotter::printFileJobs(file.path(), kQueue).result == 0;
}

void printFile(benchmark::State& state) {
  const PlotFile file(kThroughputSize);
  for (auto _ : state) {
    if (!printThroughQueue(file)) {
      state.SkipWithError("printFileJobs failed");
      break;
    }
  }
  state.counters["MB"] = benchmark::Counter(
      static_cast<double>(state.iterations() * kThroughputSize) / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(printFile)->Unit(benchmark::kMillisecond)->Iterations(3);

// Sets the peak back to what is resident now; false where the kernel does not offer it.
bool resetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

struct PeakGrowth {
  size_t size;
  long growthKiB;  // -1: not measured
  bool ok;
};

// How far the peak rises above what was resident before the file went out.
PeakGrowth measurePeakGrowth(size_t size) {
  const PlotFile file(size);
  const bool reset = resetPeak();
  const long before = reset ? processStatusKiB("VmRSS") : processStatusKiB("VmHWM");
  const bool ok = printThroughQueue(file);
  const long after = processStatusKiB("VmHWM");
  return {size, before < 0 || after < 0 ? -1 : after - before, ok};
}

}  // namespace

int main(int argc, char** argv) {
  // Memory first, before the benchmark's own runs can raise the peak; a small run before it
  // takes the one-time costs (the allocator's first arenas, the first world).
  measurePeakGrowth(kMiB);
  const PeakGrowth small = measurePeakGrowth(16 * kMiB);
  const PeakGrowth large = measurePeakGrowth(256 * kMiB);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  for (const PeakGrowth& run : {small, large}) {
    std::printf("peak memory growth, %3zu MiB file: %8.1f MiB%s\n", run.size / kMiB,
                static_cast<double>(run.growthKiB) / 1024.0,
                run.ok ? "" : " (printFileJobs failed)");
  }
  const bool bounded = large.growthKiB >= 0 && large.growthKiB < 8 * 1024;
  std::printf("memory %s\n", bounded ? "bounded (under 8 MiB for 256 MiB)"
                                     : "NOT bounded: something keeps the jobs' bytes");
  return 0;
}
