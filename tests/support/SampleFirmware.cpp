#include "tests/support/SampleFirmware.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>

#include "usb/UsbIdentifiers.h"

namespace velkor::test {
namespace {

constexpr size_t kGenerationByte = 0x3FFC;

bool isProgramLike(const std::string& keyword) {
  for (const char* known : {"BOOT", "CONF", "BSAP", "PALL"}) {
    if (keyword == known) return false;
  }
  return true;
}

// Deterministic bytes from 0x10 to 0xFF: never a descriptor's leading 0 nor a generation of
// 2 or 3, so that only what a sample places by hand decides its identity.
void fillData(unsigned char* data, size_t n, const SampleFirmware& sample) {
  uint32_t state = 0x9E3779B9u;
  for (size_t i = 0; i < n; ++i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    data[i] = sample.fill ? *sample.fill : static_cast<unsigned char>(0x10 + state % 0xF0);
  }
}

void place(std::vector<unsigned char>& data, size_t at, const unsigned char* bytes, size_t count) {
  for (size_t i = 0; i < count && at + i < data.size(); ++i) data[at + i] = bytes[i];
}

void placeDescriptor(std::vector<unsigned char>& data, const SampleFirmware& sample) {
  if (sample.descriptor == Descriptor::None) return;
  const uint16_t vendor =
      sample.descriptor == Descriptor::Legacy ? usb::kLegacyVendorId : usb::kVendorId;
  const unsigned char packetSize = sample.descriptor == Descriptor::PatternA ? 0x40 : 0x08;
  const unsigned char bytes[] = {0x00,
                                 packetSize,
                                 static_cast<unsigned char>(vendor & 0xFF),
                                 static_cast<unsigned char>(vendor >> 8),
                                 static_cast<unsigned char>(sample.productId & 0xFF),
                                 static_cast<unsigned char>(sample.productId >> 8)};
  place(data, sample.descriptorAt, bytes, sizeof bytes);
}

std::vector<unsigned char> buildData(const SampleFirmware& sample) {
  std::vector<unsigned char> data(sample.dataCount);
  fillData(data.data(), data.size(), sample);
  placeDescriptor(data, sample);
  size_t at = sample.textsAt;
  for (const std::string& text : sample.texts) {
    place(data, at, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    at += text.size() + 1;
  }
  if (sample.generation) place(data, kGenerationByte, &*sample.generation, 1);
  if (sample.marker) place(data, isProgramLike(sample.keyword) ? 4 : 0, &*sample.marker, 1);
  return data;
}

}  // namespace

size_t sectionHeaderLength(const std::string& keyword) {
  return isProgramLike(keyword) ? 0x10000 : 0x4000;
}

std::vector<unsigned char> buildSampleFirmware(const SampleFirmware& sample) {
  const size_t headerLength =
      sample.headerLength != 0 ? sample.headerLength : sectionHeaderLength(sample.keyword);
  std::vector<unsigned char> file(headerLength, 0);
  const std::string text = sample.keyword + sample.headerNote;
  std::copy_n(text.begin(), std::min(text.size(), headerLength), file.begin());
  const std::vector<unsigned char> data = buildData(sample);
  file.insert(file.end(), data.begin(), data.end());
  if (sample.truncateTo && *sample.truncateTo < file.size()) file.resize(*sample.truncateTo);
  return file;
}

bool writeSampleFirmware(const std::filesystem::path& path, const SampleFirmware& sample) {
  const std::vector<unsigned char> file = buildSampleFirmware(sample);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  return static_cast<bool>(out.flush());
}

TempFile::TempFile(const std::string& suffix) {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = std::filesystem::temp_directory_path() /
          ("velkor-" + std::to_string(stamp) + "-" + std::to_string(counter++) + suffix);
}

TempFile::~TempFile() {
  std::error_code ignored;
  std::filesystem::remove(path_, ignored);
}

std::vector<unsigned char> readWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace velkor::test
