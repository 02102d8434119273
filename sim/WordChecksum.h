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
    const size_t pairs = length / 2;
    for (size_t i = 0; i < pairs; ++i) sum += uint32_t(data[2 * i]) << 8 | data[2 * i + 1];
    if (length % 2 != 0) {
      sum += uint32_t(data[length - 1]) << 8;
      odd_ = true;
    }
    sum_ = sum;
  }
  uint32_t value() const { return sum_; }

 private:
  uint32_t sum_ = 0;
  bool odd_ = false;
};

}  // namespace sim
