// Builds firmware update files (.cas) of every section kind with a chosen identity, valid or
// not, so that tests, demos and the fuzzer's seeds never depend on a file from outside.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velkor::test {

// Which USB device descriptor the image embeds (see the parser's identity rules).
enum class Descriptor { None, PatternA, PatternB, Legacy };

struct SampleFirmware {
  std::string keyword = "PALL";          // the first four bytes, known or not
  std::string headerNote = " sample firmware";  // header text after the keyword
  size_t headerLength = 0;               // 0: the header length of the keyword's section
  size_t dataCount = 0x20000;            // n: odd and out-of-range counts are allowed
  std::optional<uint8_t> marker = 1;     // data byte 4 ("PROG", unknown) or 0; 1 passes both
  Descriptor descriptor = Descriptor::None;
  uint16_t productId = 0;                // idProduct after the descriptor pattern
  size_t descriptorAt = 0x100;           // data offset of the pattern
  std::vector<std::string> texts;        // text patterns, placed one after another
  size_t textsAt = 0x200;
  std::optional<uint8_t> generation;     // data byte 0x3FFC
  std::optional<uint8_t> fill;           // every other data byte; none: bytes 0x10-0xFF
  std::optional<size_t> truncateTo;      // cut the whole file to this many bytes
};

// The header length the keyword's section has: 0x10000 for "PROG" and unknown keywords.
size_t sectionHeaderLength(const std::string& keyword);

std::vector<unsigned char> buildSampleFirmware(const SampleFirmware& sample);
// Writes the built file; false when it cannot be written.
bool writeSampleFirmware(const std::filesystem::path& path, const SampleFirmware& sample);

// An update the built-in world's "Classic" takes (after one question, on the maker): firmware
// with the given title, a device descriptor of its model.
inline SampleFirmware classicFirmware(const std::string& title = " 1.20 A4") {
  SampleFirmware sample;
  sample.descriptor = Descriptor::PatternB;
  sample.productId = 0x4C01;
  sample.headerNote = title;
  return sample;
}

// One sample of every section kind and identity rule, and the typical invalid files.
struct NamedSample {
  std::string name;  // a file name without extension
  SampleFirmware sample;
};
std::vector<NamedSample> sampleCatalogue();

// A file in the temporary directory, removed when the object goes.
class TempFile {
 public:
  explicit TempFile(const std::string& suffix = ".cas");
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string string() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

// The whole content of a file; empty when it cannot be read.
std::vector<unsigned char> readWholeFile(const std::filesystem::path& path);

}  // namespace velkor::test
