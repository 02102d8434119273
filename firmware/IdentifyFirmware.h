// Works out which plotter line an image was built for: its identity code, in the form of the
// line's USB product ID (device type in bits 0-3, manufacturer code in bits 8-15; 0 for none).
#pragma once

#include <cstddef>
#include <cstdint>

#include "firmware/SectionTable.h"

namespace firmware {

// The data byte whose value (3, 2 or another) tells apart the generations of one plotter line.
inline constexpr size_t kGenerationByte = 0x3FFC;

uint16_t identifyFirmware(const unsigned char* data, size_t n, bool markerPassed,
                          IdentityKind identityKind, bool extended);

}  // namespace firmware
