// Working out the identity of 2 MiB images whose rules search the whole data: a line told
// apart by texts that are absent, a legacy image (pattern B absent, then the texts), and an
// image of zeros without pattern A, the byte every descriptor pattern begins with.
#include <benchmark/benchmark.h>

#include <vector>

#include "firmware/IdentifyFirmware.h"
#include "tests/support/SampleFirmware.h"

namespace {

using velkor::test::Descriptor;
using velkor::test::SampleFirmware;

constexpr size_t kDataBytes = 0x200000;

std::vector<unsigned char> dataOf(SampleFirmware sample) {
  sample.dataCount = kDataBytes;
  const std::vector<unsigned char> file = buildSampleFirmware(sample);
  return {file.end() - static_cast<std::ptrdiff_t>(kDataBytes), file.end()};
}

void identify(benchmark::State& state, const std::vector<unsigned char>& data, bool markerPassed) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(firmware::identifyFirmware(data.data(), data.size(), markerPassed,
                                                        firmware::IdentityKind::Program, true));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(data.size()));
}

void lineWithoutTexts(benchmark::State& state) {
  SampleFirmware sample;
  sample.descriptor = Descriptor::PatternB;
  sample.productId = 0x4C01;
  static const std::vector<unsigned char> data = dataOf(sample);
  identify(state, data, true);
}

void legacyWithoutTexts(benchmark::State& state) {
  SampleFirmware sample;
  sample.descriptor = Descriptor::Legacy;
  sample.productId = 0x0203;
  static const std::vector<unsigned char> data = dataOf(sample);
  identify(state, data, true);
}

void zerosWithoutPatternA(benchmark::State& state) {
  SampleFirmware sample;
  sample.fill = 0x00;
  sample.marker = 0x10;  // fails the marker test: pattern A decides
  static const std::vector<unsigned char> data = dataOf(sample);
  identify(state, data, false);
}

BENCHMARK(lineWithoutTexts)->Unit(benchmark::kMicrosecond);
BENCHMARK(legacyWithoutTexts)->Unit(benchmark::kMicrosecond);
BENCHMARK(zerosWithoutPatternA)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
