// A plot file of any size that takes next to no disk and reads fast: zeros but for a marked
// byte on each side of every 4 MiB boundary and at the very end, so that its checksum tells
// whether every part arrived, each in its place. Removed with the object.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "tests/support/SampleFirmware.h"

namespace velkor::test {

class SparsePlotFile {
 public:
  explicit SparsePlotFile(uint64_t size);
  const char* path() const { return path_.c_str(); }
  uint64_t size() const { return size_; }
  // The checksum a virtual plotter keeps of it (sim::WordChecksum).
  uint32_t checksum() const { return checksum_; }
  // False when the file could not be made.
  bool made() const { return made_; }

 private:
  void mark(std::ostream& out, uint64_t offset, uint8_t byte);

  TempFile file_{".plt"};
  std::string path_ = file_.string();
  uint64_t size_;
  uint32_t checksum_ = 0;
  bool made_ = false;
};

}  // namespace velkor::test
