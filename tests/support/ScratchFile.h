// A host file with known contents, in a directory of its own under the host's temporary
// directory, removed with it. Byte i of the file is scratchByte(i).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sim/WordChecksum.h"
#include "tests/support/SampleFirmware.h"

namespace velkor::test {

inline uint8_t scratchByte(size_t index) {
  return static_cast<uint8_t>(index * 131 + (index >> 11));
}

inline std::vector<uint8_t> scratchBytes(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = scratchByte(i);
  return bytes;
}

// The checksum a virtual plotter keeps of a scratch file of that size.
inline uint32_t scratchChecksum(size_t size) {
  const std::vector<uint8_t> bytes = scratchBytes(size);
  sim::WordChecksum sum;
  sum.add(bytes.data(), bytes.size());
  return sum.value();
}

class ScratchFile {
 public:
  explicit ScratchFile(size_t size, const std::string& name = "drawing.plt")
      : path_((directory_.path() / name).string()) {
    std::filesystem::create_directories(directory_.path());
    std::vector<uint8_t> bytes = scratchBytes(size);
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(size));
  }
  // The directory goes with all in it; TempFile then finds nothing left to remove.
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove_all(directory_.path(), ignored);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const char* path() const { return path_.c_str(); }
  std::string directory() const { return directory_.string(); }

 private:
  TempFile directory_{""};  // a fresh name in the temporary directory, made a directory here
  std::string path_;
};

}  // namespace velkor::test
