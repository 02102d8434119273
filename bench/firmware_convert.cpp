// Converting a 2 MiB "PALL" image into its update stream, against a baseline that only reads
// the same file and sums it as the checksum does (in 64 KiB blocks, and again with the whole
// file in memory, as the parser keeps it). The aim: conversion at no less than half the
// baseline's throughput. The parser reads byte by byte in its algorithm, but not in its I/O;
// what it does beyond the baseline is keeping the 2 MiB, the searches and writing the stream.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "firmware/ConvertFirmwareFile.h"
#include "firmware/TransferLine.h"
#include "firmware/UniqueFile.h"
#include "tests/support/SampleFirmware.h"

namespace {

using velkor::test::TempFile;

constexpr size_t kDataBytes = 0x200000;

const TempFile& image() {
  static const TempFile file;
  static const bool written = [] {
    velkor::test::SampleFirmware sample;
    sample.dataCount = kDataBytes;
    sample.descriptor = velkor::test::Descriptor::PatternB;
    sample.productId = 0x4D12;
    return velkor::test::writeSampleFirmware(file.path(), sample);
  }();
  // Without the image every figure below would be that of reading nothing.
  if (!written) {
    std::fprintf(stderr, "cannot write the sample image %s\n", file.string().c_str());
    std::exit(1);
  }
  return file;
}

int64_t imageBytes() { return static_cast<int64_t>(std::filesystem::file_size(image().path())); }

// The caller owns the output: it is opened once and rewritten in place, so that the figure is
// the parser's and not the file system's cost of truncating a file.
void convert(benchmark::State& state) {
  const TempFile stream(".stream");
  firmware::UniqueFile out = firmware::openFile(stream.string().c_str(), "w+b");
  if (!out) {
    state.SkipWithError("cannot open the stream file");
    return;
  }
  for (auto _ : state) {
    firmware::UniqueFile in = firmware::openFile(image().string().c_str(), "rb");
    std::rewind(out.get());
    char log[1024] = "";
    if (firmware::convertFirmwareFile(in.get(), out.get(), log, sizeof log) < 0) {
      state.SkipWithError(log);
    }
  }
  state.SetBytesProcessed(state.iterations() * imageBytes());
}

void readAndSum(benchmark::State& state) {
  static unsigned char block[65536];
  for (auto _ : state) {
    firmware::UniqueFile in = firmware::openFile(image().string().c_str(), "rb");
    uint32_t sum = 0;
    size_t got;
    // Even-sized blocks keep the pairs aligned, so the block sums add up to the file's.
    while ((got = std::fread(block, 1, sizeof block, in.get())) > 0) {
      sum += firmware::checksumOf(block, got);
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(state.iterations() * imageBytes());
}

// The same, but the whole file is read into memory first, as the parser must keep the image.
void readIntoMemoryAndSum(benchmark::State& state) {
  static std::vector<unsigned char> whole(static_cast<size_t>(imageBytes()));
  for (auto _ : state) {
    firmware::UniqueFile in = firmware::openFile(image().string().c_str(), "rb");
    const size_t got = std::fread(whole.data(), 1, whole.size(), in.get());
    benchmark::DoNotOptimize(firmware::checksumOf(whole.data(), got));
  }
  state.SetBytesProcessed(state.iterations() * imageBytes());
}

// Medians of five repetitions: the machine may be shared.
BENCHMARK(convert)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(readAndSum)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(readIntoMemoryAndSum)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly();

// Keeps each benchmark's throughput for the summary line.
class ThroughputReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      const auto rate = run.counters.find("bytes_per_second");
      if (rate != run.counters.end()) throughput[run.run_name.function_name] = rate->second.value / 1e6;
    }
  }
  std::map<std::string, double> throughput;  // MB/s by benchmark name
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  ThroughputReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const double converted = reporter.throughput["convert"];
  const double baseline = reporter.throughput["readAndSum"];
  if (baseline <= 0) return 0;  // filtered out
  const double inMemory = reporter.throughput["readIntoMemoryAndSum"];
  if (inMemory > 0) {
    std::printf("read whole file into memory+sum: %.0f MB/s, ratio %.2f\n", inMemory, converted / inMemory);
  }
  std::printf("convert: %.0f MB/s, read+sum: %.0f MB/s, ratio %.2f\n", converted, baseline,
              converted / baseline);
  return 0;
}
