// velkorctl run in process for the tests: a command line in, output and exit code out; and the
// sample file they inspect.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "app/cli/Velkorctl.h"
#include "tests/support/SampleFirmware.h"

namespace velkor::test {

struct Outcome {
  int exit;
  std::string out;
  std::string err;
};

inline Outcome velkorctl(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int exit = cli::runVelkorctl(args, {out, err});
  return {exit, out.str(), err.str()};
}

// A "PALL" image of constant bytes 0x22 but for the marker, the descriptor and the text, so
// that its checksum (0x22235354) could be worked out independently.
inline SampleFirmware selvara() {
  SampleFirmware s;
  s.fill = 0x22;
  s.descriptor = Descriptor::PatternB;
  s.productId = 0x4C01;
  s.texts = {"MDL:Selvara 2;"};
  return s;
}

}  // namespace velkor::test
