// How plotter firmware checks an update stream before it takes it: the transfer line
// "<title> <count> <checksum> " in lowercase hexadecimal, padded to an even length and ended by a
// carriage return, then exactly <count> image bytes whose big-endian 16-bit word sum is
// <checksum>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sim {

struct UpdateStreamCheck {
  bool accepted = false;
  std::string reason;  // empty when accepted: "no transfer line", "malformed transfer line",
                       // "byte count", "checksum"
  std::string title;
  uint32_t count = 0;     // as the line announced it
  uint32_t checksum = 0;  // as the line announced it
  size_t lineLength = 0;  // the transfer line's bytes with its carriage return (0: not read)
};

// Update streams are at most a little over 2 MiB; a plotter keeps none far beyond that.
inline constexpr size_t kLargestUpdateStream = size_t{4} << 20;

// The longest transfer line: a 24-character title, two 8-digit numbers, blanks and the end.
inline constexpr size_t kLongestTransferLine = 24 + 1 + 8 + 1 + 8 + 2 + 1;

UpdateStreamCheck checkUpdateStream(const uint8_t* stream, size_t length);

// Only the transfer line at the start of stream: its title, count, checksum and length, or a
// line length of 0 with the reason "no transfer line" (no carriage return among the first
// kLongestTransferLine bytes, or among all when there are fewer) or "malformed transfer line".
// Never accepted: the image is not looked at.
UpdateStreamCheck readTransferLine(const uint8_t* stream, size_t length);

// The text the plotter takes from an accepted stream: the title without its four-letter section
// keyword and the blanks after it ("PROG 2.01 A3" gives "2.01 A3"); empty when nothing follows.
std::string updateText(const std::string& title);

}  // namespace sim
