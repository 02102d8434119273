// A plain first-occurrence search over an image's data.
#pragma once

#include <cstddef>
#include <optional>

namespace firmware {

// The position just after the first occurrence of the pattern in the n data bytes; every start
// at which the whole pattern fits is tried, the last one included. None when absent or empty.
std::optional<size_t> findPattern(const unsigned char* pattern, size_t patternLength,
                                  const unsigned char* data, size_t n);

}  // namespace firmware
