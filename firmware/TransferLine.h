// The transfer line that opens every update stream: the title, the data byte count and the
// checksum, padded to an even length and ended by a carriage return (no line feed).
#pragma once

#include <cstddef>
#include <cstdint>

namespace firmware {

// The part of the header text that goes into the transfer line.
inline constexpr size_t kTitleLength = 24;

struct TransferLine {
  // Title, two counts of at most 8 hex digits, three spaces, the padding space and the CR.
  char text[kTitleLength + 2 * 8 + 3 + 2 + 1];
  size_t length;
};

// "%s %lx %lx " of the first 24 characters of the header text, n and the checksum, then "\r"
// when that has an odd length, else " \r". The counts are printed as 32-bit values so that
// every platform writes the same bytes.
TransferLine makeTransferLine(const char* headerText, uint32_t n, uint32_t checksum);

// The checksum of an update stream: the data as big-endian 16-bit words, summed modulo 2^32.
// For an odd n the last byte counts as the high byte of a word.
uint32_t checksumOf(const unsigned char* data, size_t n);

}  // namespace firmware
