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
};

UpdateStreamCheck checkUpdateStream(const uint8_t* stream, size_t length);

// The text the plotter takes from an accepted stream: the title without its four-letter section
// keyword and the blanks after it ("PROG 2.01 A3" gives "2.01 A3"); empty when nothing follows.
std::string updateText(const std::string& title);

}  // namespace sim
