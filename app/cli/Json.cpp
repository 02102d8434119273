#include "app/cli/Json.h"

#include <cstdio>

namespace cli {

std::string jsonString(std::string_view text) {
  std::string json = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"': json += "\\\""; break;
      case '\\': json += "\\\\"; break;
      case '\n': json += "\\n"; break;
      case '\r': json += "\\r"; break;
      case '\t': json += "\\t"; break;
      default:
        if (byte < 0x20 || byte >= 0x7F) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
          json += escaped;
        } else {
          json += c;
        }
    }
  }
  return json + "\"";
}

JsonObject& JsonObject::addRaw(std::string_view key, const std::string& json) {
  if (!members_.empty()) members_ += ",";
  members_ += jsonString(key) + ":" + json;
  return *this;
}

JsonObject& JsonObject::add(std::string_view key, std::string_view value) {
  return addRaw(key, jsonString(value));
}

JsonObject& JsonObject::add(std::string_view key, int64_t value) {
  return addRaw(key, std::to_string(value));
}

JsonObject& JsonObject::add(std::string_view key, bool value) {
  return addRaw(key, value ? "true" : "false");
}

}  // namespace cli
