// The two parts of an identity code (the form of a USB product ID) that the update compares.
#pragma once

#include <cstdint>

namespace firmware {

inline constexpr int deviceTypeOf(uint16_t code) { return code & 0x0F; }
inline constexpr int manufacturerCodeOf(uint16_t code) { return code >> 8; }

}  // namespace firmware
