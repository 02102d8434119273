// One sample of every section kind and identity rule, plus the typical invalid files: the
// fuzzer's seeds and a quick way to get a file of each kind.
#include "tests/support/SampleFirmware.h"
#include "usb/UsbIdentifiers.h"

namespace velkor::test {
namespace {

SampleFirmware sample(const char* keyword, size_t dataCount) {
  SampleFirmware s;
  s.keyword = keyword;
  s.dataCount = dataCount;
  return s;
}

SampleFirmware withDescriptor(SampleFirmware s, Descriptor descriptor, uint16_t productId,
                              std::vector<std::string> texts = {}) {
  s.descriptor = descriptor;
  s.productId = productId;
  s.texts = std::move(texts);
  return s;
}

SampleFirmware withGeneration(SampleFirmware s, uint8_t generation) {
  s.generation = generation;
  return s;
}

SampleFirmware withMarker(SampleFirmware s, std::optional<uint8_t> marker) {
  s.marker = marker;
  return s;
}

std::vector<NamedSample> validSamples() {
  const SampleFirmware pall = sample("PALL", 0x20000);
  const SampleFirmware boot = sample("BOOT", 0x4000);
  const SampleFirmware bsap = sample("BSAP", 0x14000);
  return {
      {"prog-pattern-b", withDescriptor(sample("PROG", 0x10000), Descriptor::PatternB, 0x4D12)},
      {"prog-marker-failed",
       withDescriptor(withMarker(sample("PROG", 0x10000), 0), Descriptor::PatternA, 0x4C11)},
      {"unknown-keyword", withDescriptor(sample("XXXX", 0x10000), Descriptor::PatternB, 0x5401)},
      {"boot-generation-3", withGeneration(boot, 3)},
      {"boot-generation-2", withGeneration(boot, 2)},
      {"boot", boot},
      {"conf", withDescriptor(sample("CONF", 0x4000), Descriptor::PatternA, 0x4D12)},
      {"bsap-4d02-generation-3", withGeneration(withDescriptor(bsap, Descriptor::PatternB, 0x4D02), 3)},
      {"bsap-4d02", withDescriptor(bsap, Descriptor::PatternB, 0x4D02)},
      {"pall-4c01", withDescriptor(pall, Descriptor::PatternB, 0x4C01)},
      {"pall-4c01-kr-a4", withDescriptor(pall, Descriptor::PatternB, 0x4C01, {"KR A4"})},
      {"pall-4c01-selvara", withDescriptor(pall, Descriptor::PatternB, 0x4C01, {"MDL:Selvara 2;"})},
      {"pall-4c01-tlm-basic", withDescriptor(pall, Descriptor::PatternB, 0x4C01, {"TLM BASIC"})},
      {"pall-legacy", withDescriptor(pall, Descriptor::Legacy, usb::kLegacyProductId)},
      {"pall-legacy-1.12-qd", withDescriptor(pall, Descriptor::Legacy, 0, {"1.12 qd"})},
      {"pall-legacy-1.14a", withDescriptor(pall, Descriptor::Legacy, 0, {"1.14aKR A4"})},
      {"pall-legacy-1.14a-qd", withDescriptor(pall, Descriptor::Legacy, 0, {"1.14a qdKR A4"})},
      {"pall-no-descriptor", pall},
      {"pall-marker-failed", withDescriptor(withMarker(pall, 3), Descriptor::PatternA, 0x4C11)},
  };
}

std::vector<NamedSample> invalidSamples() {
  SampleFirmware headerCut = sample("PALL", 0);
  headerCut.truncateTo = 100;
  return {
      {"invalid-uneven", sample("PALL", 0x20001)},
      {"invalid-too-small", sample("BSAP", 0x13FFE)},
      {"invalid-too-large", sample("BOOT", 0x10002)},
      {"invalid-header-cut", headerCut},
  };
}

}  // namespace

std::vector<NamedSample> sampleCatalogue() {
  std::vector<NamedSample> all = validSamples();
  for (NamedSample& invalid : invalidSamples()) all.push_back(std::move(invalid));
  return all;
}

}  // namespace velkor::test
