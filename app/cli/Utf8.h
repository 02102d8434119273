// Which bytes of a text are UTF-8: velkorctl passes well-formed UTF-8 through as it is and
// escapes only the bytes that are not text (Json.h, Report.h say how).
#pragma once

#include <cstddef>
#include <string_view>

namespace cli {

// The length of the well-formed UTF-8 sequence that starts at text[at] (1 for ASCII), or 0 when
// none starts there: a stray continuation byte, a sequence cut short, an overlong form, a
// surrogate or a code point above U+10FFFF. at must be below text.size().
size_t utf8SequenceLength(std::string_view text, size_t at);

}  // namespace cli
