#include "sim/WorldValues.h"

#include <cstdio>
#include <utility>

#include "os/sim/CaseInsensitive.h"

namespace sim {
namespace {

bool isControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

// The value of a decimal or hexadecimal digit.
unsigned digitValue(char c) {
  if (c >= '0' && c <= '9') return unsigned(c - '0');
  if (c >= 'a' && c <= 'f') return unsigned(c - 'a' + 10);
  return unsigned(c - 'A' + 10);
}

}  // namespace

std::string shownText(std::string_view text) {
  std::string shown;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
      shown += c;
      continue;
    }
    char hex[5];
    std::snprintf(hex, sizeof hex, "\\x%02X", byte);
    shown += hex;
  }
  return shown;
}

std::optional<bool> yesNo(std::string_view text) {
  if (os::sim::equalsIgnoringCase(text, "yes")) return true;
  if (os::sim::equalsIgnoringCase(text, "no")) return false;
  return std::nullopt;
}

std::string readNumber(std::string_view key, std::string_view text, uint64_t max,
                       uint64_t* number) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string_view digits = hex ? text.substr(2) : text;
  if (digits.empty() || digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") !=
                            std::string_view::npos) {
    return "bad number for " + std::string(key) + ": \"" + shownText(text) + "\"";
  }
  const unsigned base = hex ? 16 : 10;
  uint64_t value = 0;
  for (char c : digits) {
    const unsigned digit = digitValue(c);
    if (digit > max || value > (max - digit) / base) {
      return std::string(key) + " " + shownText(text) + " is out of range (0 to " +
             std::to_string(max) + ")";
    }
    value = value * base + digit;
  }
  *number = value;
  return {};
}

std::string readQueueState(std::string_view key, std::string_view text,
                           os::sim::QueueState* state) {
  using os::sim::QueueState;
  constexpr std::pair<std::string_view, QueueState> kStates[] = {{"ready", QueueState::Ready},
                                                                 {"paused", QueueState::Paused},
                                                                 {"offline", QueueState::Offline},
                                                                 {"error", QueueState::Error}};
  for (const auto& [name, value] : kStates) {
    if (text == name) {
      *state = value;
      return {};
    }
  }
  return "unknown " + std::string(key) + " \"" + shownText(text) +
         "\" (ready, paused, offline or error)";
}

std::string keyNameFault(std::string_view what, std::string_view text,
                         std::string_view alsoRefused) {
  if (text.empty()) return std::string(what) + " is empty";
  for (char c : text) {
    if (c == '\\' || isControl(c) || alsoRefused.find(c) != std::string_view::npos) {
      return std::string(what) + " \"" + shownText(text) + "\" holds \"" +
             shownText(std::string_view(&c, 1)) + "\", which a registry key name cannot";
    }
  }
  return {};
}

}  // namespace sim
