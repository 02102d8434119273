#include "app/cli/Report.h"

#include <algorithm>
#include <cstdio>

#include "app/cli/Utf8.h"

namespace cli {
namespace {

constexpr size_t kLabelWidth = 20;

// Whether the well-formed sequence at text[at] is a control character (C0, DEL or C1), which a
// terminal would act on instead of showing it.
bool isControl(std::string_view text, size_t at, size_t length) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (length == 1) return lead < 0x20 || lead == 0x7F;
  return length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0;
}

}  // namespace

Report& Report::text(std::string key, std::string label, std::string value) {
  fields_.push_back({std::move(key), std::move(label), std::move(value)});
  return *this;
}

Report& Report::number(std::string key, std::string label, int64_t value) {
  fields_.push_back({std::move(key), std::move(label), value});
  return *this;
}

Report& Report::flag(std::string key, std::string label, bool value) {
  fields_.push_back({std::move(key), std::move(label), value});
  return *this;
}

Report& Report::object(std::string key, JsonObject value) {
  fields_.push_back({std::move(key), "", std::move(value)});
  return *this;
}

Report& Report::objects(std::string key, std::vector<JsonObject> values) {
  fields_.push_back({std::move(key), "", std::move(values)});
  return *this;
}

Report& Report::hex(const std::string& key, std::string label, uint32_t value, int digits) {
  return text(key, std::move(label), hexText(value, digits)).number(key + "Value", "", value);
}

void Report::writeText(std::ostream& out) const {
  for (const Field& field : fields_) {
    if (field.label.empty()) continue;
    out << field.label
        << std::string(kLabelWidth - std::min(kLabelWidth - 1, field.label.size()), ' ');
    if (const auto* s = std::get_if<std::string>(&field.value)) out << printable(*s);
    if (const auto* n = std::get_if<int64_t>(&field.value)) out << *n;
    if (const auto* b = std::get_if<bool>(&field.value)) out << (*b ? "yes" : "no");
    out << '\n';
  }
}

JsonObject Report::json() const {
  JsonObject object;
  for (const Field& field : fields_) {
    if (field.key.empty()) continue;
    std::visit([&](const auto& value) { object.add(field.key, value); }, field.value);
  }
  return object;
}

std::string hexText(uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*lx", digits, static_cast<unsigned long>(value));
  return text;
}

std::string printable(std::string_view text) {
  std::string shown;
  size_t i = 0;
  while (i < text.size()) {
    const size_t length = utf8SequenceLength(text, i);
    if (length == 0 || isControl(text, i, length)) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(text[i]));
      shown += escaped;
      ++i;
    } else {
      shown.append(text, i, length);
      i += length;
    }
  }
  return shown;
}

}  // namespace cli
