// The parser's data buffer: one block for the whole run, reused by every file, so that no file
// allocates anything. Calls that use it must not overlap.
#pragma once

#include <cstdint>

namespace firmware {

// The largest data byte count of any section ("PALL").
inline constexpr uint32_t kDataBufferCapacity = 2113536;

unsigned char* dataBuffer();

}  // namespace firmware
