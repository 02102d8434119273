// A command's result as labelled fields: printed as aligned "label  value" lines for people,
// or as one JSON object for programs, from the same list.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

namespace cli {

class Report {
 public:
  Report& text(std::string key, std::string label, std::string value);
  Report& number(std::string key, std::string label, int64_t value);
  Report& flag(std::string key, std::string label, bool value);

  // Fields with an empty label appear only in JSON, those with an empty key only as text.
  void writeText(std::ostream& out) const;
  void writeJson(std::ostream& out) const;
  void write(std::ostream& out, bool json) const { json ? writeJson(out) : writeText(out); }

 private:
  struct Field {
    std::string key;
    std::string label;
    std::variant<std::string, int64_t, bool> value;
  };
  std::vector<Field> fields_;
};

// A 16-bit identifier as USB tools show it: 0x followed by four lowercase hex digits.
std::string hex16(unsigned value);
std::string hex32(uint32_t value);
// The text with every byte outside printable ASCII shown as '.', for a terminal.
std::string printable(const std::string& text);

}  // namespace cli
