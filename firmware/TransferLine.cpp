#include "firmware/TransferLine.h"

#include <bit>
#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace firmware {

TransferLine makeTransferLine(const char* headerText, uint32_t n, uint32_t checksum) {
  TransferLine line{};
  const int written = std::snprintf(line.text, sizeof line.text, "%.*s %" PRIx32 " %" PRIx32 " ",
                                    static_cast<int>(kTitleLength), headerText, n, checksum);
  line.length = written > 0 ? static_cast<size_t>(written) : 0;
  // An even length keeps the data that follows on a 16-bit word boundary.
  if (line.length % 2 == 0) line.text[line.length++] = ' ';
  line.text[line.length++] = '\r';
  line.text[line.length] = '\0';
  return line;
}

namespace {

// A 16-bit word as loaded from memory, read with its first byte high.
inline uint32_t bigEndian(uint16_t word) {
  if constexpr (std::endian::native == std::endian::big) return word;
  return static_cast<uint16_t>(word >> 8 | word << 8);
}

}  // namespace

uint32_t checksumOf(const unsigned char* data, size_t n) {
  uint32_t sum = 0;
  size_t i = 0;
  // Whole chunks of words first: a loop of fixed length that the compiler can vectorise.
  constexpr size_t kChunk = 256;
  for (; n - i >= kChunk; i += kChunk) {
    uint32_t chunkSum = 0;
    for (size_t k = 0; k < kChunk; k += 2) {
      uint16_t word;
      std::memcpy(&word, data + i + k, sizeof word);
      chunkSum += bigEndian(word);
    }
    sum += chunkSum;
  }
  for (; i + 1 < n; i += 2) sum += static_cast<uint32_t>(data[i] << 8 | data[i + 1]);
  if (i < n) sum += static_cast<uint32_t>(data[i] << 8);
  return sum;
}

}  // namespace firmware
