// UTF-8 as the system writes and measures it: a code point written as UTF-8, for the texts the
// system makes up itself (registry files, terminal cells), and the lengths Windows gives in
// UTF-16 units for names the ANSI calls pass as UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace os {

inline void appendUtf8(std::string& out, uint32_t codePoint) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (codePoint >> 18));
    out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

// The UTF-16 units of well-formed UTF-8 text: one per lead byte, two for a code point beyond
// the basic plane.
inline size_t utf16Length(std::string_view utf8) {
  size_t units = 0;
  for (unsigned char byte : utf8) {
    if ((byte & 0xC0) != 0x80) ++units;
    if (byte >= 0xF0) ++units;
  }
  return units;
}

// The most bytes a name of this many UTF-16 units takes as UTF-8 (3 per unit: a pair of
// surrogates is 4 bytes for 2 units), without the terminator.
inline constexpr size_t kUtf8BytesPerUtf16Unit = 3;

}  // namespace os
