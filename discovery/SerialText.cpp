#include "discovery/SerialText.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace discovery {
namespace {

constexpr size_t kSerialTextSize = 20;

bool isSerialCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == ' '; }

// Positions past the end count as neither "0" nor a blank, so a short text is never refused.
bool looksUnset(const std::string& text) {
  for (size_t position = 4; position < 10; ++position) {
    if (position >= text.size()) return false;
    if (text[position] != '0' && text[position] != ' ') return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> serialTextFromReply(const std::string& reply) {
  char buffer[kSerialTextSize] = {};
  std::memcpy(buffer, reply.data(), std::min(reply.size(), kSerialTextSize - 1));
  for (char* c = buffer; *c != '\0'; ++c) {
    if (*c == '\r') {
      *c = '\0';
      break;
    }
    if (!isSerialCharacter(*c)) break;
  }
  std::string text(buffer);
  if (looksUnset(text)) return std::nullopt;
  return text;
}

}  // namespace discovery
