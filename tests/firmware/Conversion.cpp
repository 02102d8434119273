#include "tests/firmware/Conversion.h"

#include <fstream>

#include "firmware/UniqueFile.h"

namespace velkor::test {

Conversion convertFile(const std::vector<unsigned char>& file) {
  TempFile input, output(".stream");
  std::ofstream(input.path(), std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  Conversion conversion;
  char log[1024] = "";
  {
    firmware::UniqueFile in = firmware::openFile(input.string().c_str(), "rb");
    firmware::UniqueFile out = firmware::openFile(output.string().c_str(), "wb");
    conversion.result =
        firmware::convertFirmwareFile(in.get(), out.get(), log, sizeof log, &conversion.summary);
  }
  conversion.log = log;
  conversion.stream = readWholeFile(output.path());
  return conversion;
}

Conversion convertSample(const SampleFirmware& sample) {
  return convertFile(buildSampleFirmware(sample));
}

std::vector<unsigned char> dataOf(const SampleFirmware& sample) {
  const std::vector<unsigned char> file = buildSampleFirmware(sample);
  const size_t header = sample.headerLength ? sample.headerLength : sectionHeaderLength(sample.keyword);
  return {file.begin() + static_cast<std::ptrdiff_t>(header), file.end()};
}

std::string text(const std::vector<unsigned char>& bytes) { return {bytes.begin(), bytes.end()}; }

}  // namespace velkor::test
