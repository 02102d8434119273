#include "firmware/FindPattern.h"

#include <cstring>

namespace firmware {

std::optional<size_t> findPattern(const unsigned char* pattern, size_t patternLength,
                                  const unsigned char* data, size_t n) {
  if (patternLength == 0 || patternLength > n) return std::nullopt;
  const size_t lastStart = n - patternLength;
  size_t start = 0;
  // Scan for the first byte with memchr, then compare the rest.
  while (start <= lastStart) {
    const void* hit = std::memchr(data + start, pattern[0], lastStart - start + 1);
    if (hit == nullptr) return std::nullopt;
    start = static_cast<size_t>(static_cast<const unsigned char*>(hit) - data);
    if (std::memcmp(data + start + 1, pattern + 1, patternLength - 1) == 0) {
      return start + patternLength;
    }
    ++start;
  }
  return std::nullopt;
}

}  // namespace firmware
