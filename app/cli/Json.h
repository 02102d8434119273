// The little JSON that velkorctl writes: one object per run, keys in the order given.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// The text as a JSON string literal, quotes included. Well-formed UTF-8 goes through as it is.
// Besides \" \\ \n \r \t, every other control character and every byte that is not part of
// well-formed UTF-8 (firmware headers and device replies need not be text) is written as
// \u00XX, which therefore always stands for the one byte XX.
std::string jsonString(std::string_view text);

class JsonObject {
 public:
  JsonObject& add(std::string_view key, std::string_view value);
  JsonObject& add(std::string_view key, const char* value) {
    return add(key, std::string_view(value));
  }
  JsonObject& add(std::string_view key, int64_t value);
  JsonObject& add(std::string_view key, bool value);
  JsonObject& add(std::string_view key, const JsonObject& value);
  // An array of objects: [{...},{...}]
  JsonObject& add(std::string_view key, const std::vector<JsonObject>& values);
  // An array of numbers: [1,2,3]
  JsonObject& add(std::string_view key, const std::vector<int64_t>& values);
  // The object's text: {"key":value,...}
  std::string text() const { return "{" + members_ + "}"; }

 private:
  JsonObject& addRaw(std::string_view key, const std::string& json);
  std::string members_;
};

}  // namespace cli
