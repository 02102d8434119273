// The serial-number text that print-queue discovery takes from a plotter's reply to
// "Get Serial Number".
#pragma once

#include <optional>
#include <string>

namespace discovery {

// The reply's first 19 characters, ended at a carriage return; a character that is neither a
// letter, a digit nor a blank ends the scan and leaves the text whole. Nullopt when the text is
// refused: every character at positions 5 to 10 (from 1) is "0" or a blank (an unset serial).
std::optional<std::string> serialTextFromReply(const std::string& reply);

}  // namespace discovery
