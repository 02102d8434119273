#include "tests/support/SparsePlotFile.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace velkor::test {
namespace {

constexpr uint64_t kMarkEvery = uint64_t{4} << 20;

}  // namespace

SparsePlotFile::SparsePlotFile(uint64_t size) : size_(size) {
  std::ofstream out(path_, std::ios::binary);
  std::error_code error;
  std::filesystem::resize_file(path_, size, error);  // a hole, on file systems that have them
  if (error || !out) return;
  for (uint64_t boundary = kMarkEvery; boundary < size; boundary += kMarkEvery) {
    const auto byte = static_cast<uint8_t>(boundary / kMarkEvery * 37 + 1);
    mark(out, boundary - 1, byte);
    mark(out, boundary, static_cast<uint8_t>(byte ^ 0xFF));
  }
  if (size > 0) mark(out, size - 1, 0x5A);
  made_ = static_cast<bool>(out.flush());
}

// One byte in place of a zero. The checksum sums big-endian words: a byte at an even offset is
// the high byte of its word.
void SparsePlotFile::mark(std::ostream& out, uint64_t offset, uint8_t byte) {
  out.seekp(static_cast<std::streamoff>(offset));
  out.put(static_cast<char>(byte));
  checksum_ += offset % 2 == 0 ? uint32_t{byte} << 8 : uint32_t{byte};
}

}  // namespace velkor::test
