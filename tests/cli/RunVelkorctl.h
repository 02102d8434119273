// velkorctl run in process for the tests: a command line in, output and exit code out; and the
// sample file they inspect.
#pragma once

#include <algorithm>
#include <filesystem>
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

// A fresh directory in the temporary directory, removed with all in it.
class TempDirectory {
 public:
  TempDirectory() { std::filesystem::create_directories(name_.path()); }
  ~TempDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(name_.path(), ignored);
  }
  std::string operator/(const std::string& file) const { return (name_.path() / file).string(); }
  // The names of the directory's entries, sorted.
  std::vector<std::string> entries() const;

 private:
  TempFile name_{""};
};

// A valid update image in the directory with the identity code and the firmware text its title
// gives; its path.
inline std::string firmwareFile(const TempDirectory& dir, uint16_t code, const std::string& text) {
  SampleFirmware sample;
  sample.descriptor = Descriptor::PatternB;
  sample.productId = code;
  sample.headerNote = " " + text;
  const std::string path = dir / ("fw" + std::to_string(code) + ".cas");
  return writeSampleFirmware(path, sample) ? path : std::string();
}

inline std::vector<std::string> TempDirectory::entries() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(name_.path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace velkor::test
