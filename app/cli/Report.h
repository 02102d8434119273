// A command's result as labelled fields: printed as aligned "label  value" lines for people,
// or as one JSON object for programs, from the same list.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/cli/Json.h"

namespace cli {

class Report {
 public:
  Report& text(std::string key, std::string label, std::string value);
  Report& number(std::string key, std::string label, int64_t value);
  Report& flag(std::string key, std::string label, bool value);
  // A code shown in hexadecimal with the given digits ("0x6c01"), and in JSON also as a number
  // under the key followed by "Value", so that programs need not parse the text.
  Report& hex(const std::string& key, std::string label, uint32_t value, int digits);

  // Nested JSON, in the JSON object only.
  Report& object(std::string key, JsonObject value);
  Report& objects(std::string key, std::vector<JsonObject> values);
  // Fields with an empty label appear only in JSON, those with an empty key only as text.
  void writeText(std::ostream& out) const;
  JsonObject json() const;
  void writeJson(std::ostream& out) const { out << json().text() << '\n'; }
  void write(std::ostream& out, bool json) const { json ? writeJson(out) : writeText(out); }

 private:
  struct Field {
    std::string key;
    std::string label;
    std::variant<std::string, int64_t, bool, JsonObject, std::vector<JsonObject>> value;
  };
  std::vector<Field> fields_;
};

// The value in hexadecimal as USB tools show it: 0x and lowercase digits, at least `digits`.
std::string hexText(uint32_t value, int digits);
// The text for a terminal: well-formed UTF-8 as it is; control characters and bytes that are
// not part of well-formed UTF-8 as \xXX, so that nothing reaches the terminal as a command.
std::string printable(std::string_view text);

// How velkorctl's output is encoded and how it reports errors, for the help texts.
inline constexpr const char kOutputHelp[] =
    "Output:\n"
    "  Text is UTF-8. Bytes that are not text (control characters, bytes that are not\n"
    "  well-formed UTF-8 in file headers or replies) show as \\xXX in text output; in JSON\n"
    "  they are \\u00XX, which always stands for the byte XX (other non-ASCII text is never\n"
    "  escaped), besides \\\" \\\\ \\n \\r \\t. A hexadecimal code in JSON, such as\n"
    "  \"identityCode\":\"0x6c01\", has its number beside it: \"identityCodeValue\":27649.\n"
    "  An error is one line on standard error, \"velkorctl COMMAND: what went wrong\"; a usage\n"
    "  error adds \"Try 'velkorctl COMMAND --help'.\". With --json it is a JSON object on\n"
    "  standard output instead: {...,\"error\":{\"code\":N,\"message\":\"...\"},\"exitCode\":N},\n"
    "  N being the exit code and ... the fields the command had found before it failed.\n";

}  // namespace cli
