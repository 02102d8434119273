// The checksum that plotter firmware computes over an update image, also kept over plot data:
// the bytes taken as big-endian 16-bit words, summed modulo 2^32. Data may arrive in pieces of
// any length; an odd byte at the end of a piece pairs with the first byte of the next.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sim {

class WordChecksum {
 public:
  void add(const uint8_t* data, size_t length) {
    if (length == 0) return;
    if (odd_) {
      sum_ += data[0];
      ++data;
      --length;
      odd_ = false;
    }
    uint32_t sum = sum_;
    size_t pairs = length / 2;
    // Blocks of a fixed count, which the compiler vectorises: this runs over every byte of
    // every file a virtual plotter receives.
    for (; pairs >= kBlockPairs; pairs -= kBlockPairs, data += 2 * kBlockPairs) {
      sum += sumPairs(data, kBlockPairs);
    }
    sum += sumPairs(data, pairs);
    data += 2 * pairs;
    if (length % 2 != 0) {
      sum += uint32_t(data[0]) << 8;
      odd_ = true;
    }
    sum_ = sum;
  }
  uint32_t value() const { return sum_; }

 private:
  static constexpr size_t kBlockPairs = 256;

  static uint32_t sumPairs(const uint8_t* data, size_t pairs) {
    uint32_t sum = 0;
    for (size_t i = 0; i < pairs; ++i) sum += uint32_t(data[2 * i]) << 8 | data[2 * i + 1];
    return sum;
  }

  uint32_t sum_ = 0;
  bool odd_ = false;
};

}  // namespace sim
