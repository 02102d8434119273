#include "firmware/FindPattern.h"

#include <cstring>

namespace firmware {
namespace {

// Starts are screened a block at a time, a machine word of them at once, for the pattern's
// first and last byte both in place; only a block that passes is searched start by start.
// Scanning for the first byte alone stops at every occurrence of it, and a descriptor
// pattern's first byte, 0x00, fills much of an image: that made a search of 2 MiB take
// milliseconds, where the screen keeps it to one pass at close to memory speed.
using Word = size_t;
constexpr Word kOnes = ~Word{0} / 0xFF;  // 0x01 in every byte
constexpr Word kHighBits = kOnes * 0x80;
constexpr size_t kBlock = 64;  // starts per screen, a whole number of words

Word loadWord(const unsigned char* bytes) {
  Word word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// Whether one of the kBlock starts may begin a match: firsts[k] is the first byte of start k,
// lasts[k] its last. A fixed-length loop without early exit, so that it compiles to straight
// word (or vector) operations.
bool blockMayMatch(const unsigned char* firsts, const unsigned char* lasts, unsigned char first,
                   unsigned char last) {
  const Word firstBytes = kOnes * first;
  const Word lastBytes = kOnes * last;
  Word found = 0;
  for (size_t k = 0; k < kBlock; k += sizeof(Word)) {
    // A zero byte in x marks a start with both bytes in place; the next line flags one.
    const Word x = (loadWord(firsts + k) ^ firstBytes) | (loadWord(lasts + k) ^ lastBytes);
    found |= (x - kOnes) & ~x & kHighBits;
  }
  return found != 0;
}

// The position just after the first match that starts in [from, to).
std::optional<size_t> firstMatch(const unsigned char* pattern, size_t patternLength,
                                 const unsigned char* data, size_t from, size_t to) {
  for (size_t start = from; start < to; ++start) {
    if (data[start] == pattern[0] &&
        std::memcmp(data + start + 1, pattern + 1, patternLength - 1) == 0) {
      return start + patternLength;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<size_t> findPattern(const unsigned char* pattern, size_t patternLength,
                                  const unsigned char* data, size_t n) {
  if (patternLength == 0 || patternLength > n) return std::nullopt;
  const size_t starts = n - patternLength + 1;  // the last one included
  const unsigned char first = pattern[0];
  const unsigned char last = pattern[patternLength - 1];
  size_t block = 0;
  for (; starts - block >= kBlock; block += kBlock) {
    if (!blockMayMatch(data + block, data + block + patternLength - 1, first, last)) continue;
    if (const std::optional<size_t> end =
            firstMatch(pattern, patternLength, data, block, block + kBlock)) {
      return end;
    }
  }
  return firstMatch(pattern, patternLength, data, block, starts);
}

}  // namespace firmware
