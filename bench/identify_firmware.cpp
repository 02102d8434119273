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

// The data is built before the timed loop; the marker test's outcome picks the first rule.
void identify(benchmark::State& state, const SampleFirmware& sample, bool markerPassed) {
  const std::vector<unsigned char> data = dataOf(sample);
  for (auto _ : state) {
    benchmark::DoNotOptimize(firmware::identifyFirmware(data.data(), data.size(), markerPassed,
                                                        firmware::IdentityKind::Program, true));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(data.size()));
}

SampleFirmware withDescriptor(Descriptor descriptor, uint16_t productId) {
  SampleFirmware sample;
  sample.descriptor = descriptor;
  sample.productId = productId;
  return sample;
}

SampleFirmware zeros() {
  SampleFirmware sample;
  sample.fill = 0x00;
  return sample;
}

BENCHMARK_CAPTURE(identify, lineWithoutTexts, withDescriptor(Descriptor::PatternB, 0x4C01), true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(identify, legacyWithoutTexts, withDescriptor(Descriptor::Legacy, 0x0203), true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(identify, zerosWithoutPatternA, zeros(), false)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
