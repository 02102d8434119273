// Runs the parser over a sample file and collects what it produced.
#pragma once

#include <string>
#include <vector>

#include "firmware/ConvertFirmwareFile.h"
#include "tests/support/SampleFirmware.h"

namespace velkor::test {

struct Conversion {
  int result = 0;
  std::string log;
  std::vector<unsigned char> stream;  // what reached the output file
  firmware::FirmwareSummary summary{};
};

Conversion convertFile(const std::vector<unsigned char>& file);
Conversion convertSample(const SampleFirmware& sample);

// The n data bytes of a built file: everything after its header region.
std::vector<unsigned char> dataOf(const SampleFirmware& sample);

std::string text(const std::vector<unsigned char>& bytes);

}  // namespace velkor::test
