// The little JSON that velkorctl writes: one object per run, keys in the order given.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cli {

// The text as a JSON string literal, quotes included. Control characters and bytes from 0x80
// up (firmware headers are not UTF-8) are written as \u00XX, so the output is plain ASCII.
std::string jsonString(std::string_view text);

class JsonObject {
 public:
  JsonObject& add(std::string_view key, std::string_view value);
  JsonObject& add(std::string_view key, const char* value) { return add(key, std::string_view(value)); }
  JsonObject& add(std::string_view key, int64_t value);
  JsonObject& add(std::string_view key, bool value);
  // The object's text: {"key":value,...}
  std::string text() const { return "{" + members_ + "}"; }

 private:
  JsonObject& addRaw(std::string_view key, const std::string& json);
  std::string members_;
};

}  // namespace cli
