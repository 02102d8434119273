#include "app/cli/Json.h"

#include <cstdio>

#include "app/cli/Utf8.h"

namespace cli {
namespace {

// The escape of one ASCII character, or null when it stands as it is.
const char* shortEscape(char c) {
  switch (c) {
    case '"':
      return "\\\"";
    case '\\':
      return "\\\\";
    case '\n':
      return "\\n";
    case '\r':
      return "\\r";
    case '\t':
      return "\\t";
    default:
      return nullptr;
  }
}

void appendByteEscape(std::string& json, unsigned char byte) {
  char escaped[8];
  std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
  json += escaped;
}

}  // namespace

std::string jsonString(std::string_view text) {
  std::string json = "\"";
  size_t i = 0;
  while (i < text.size()) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const size_t length = utf8SequenceLength(text, i);
    if (const char* escape = shortEscape(text[i])) {
      json += escape;
    } else if (length == 0 || byte < 0x20 || byte == 0x7F) {
      appendByteEscape(json, byte);
    } else {
      json.append(text, i, length);
    }
    i += length == 0 ? 1 : length;
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

JsonObject& JsonObject::add(std::string_view key, const JsonObject& value) {
  return addRaw(key, value.text());
}

JsonObject& JsonObject::add(std::string_view key, const std::vector<JsonObject>& values) {
  std::string array = "[";
  for (const JsonObject& value : values) {
    if (array.size() > 1) array += ",";
    array += value.text();
  }
  return addRaw(key, array + "]");
}

JsonObject& JsonObject::add(std::string_view key, const std::vector<int64_t>& values) {
  std::string array = "[";
  for (int64_t value : values) {
    if (array.size() > 1) array += ",";
    array += std::to_string(value);
  }
  return addRaw(key, array + "]");
}

}  // namespace cli
