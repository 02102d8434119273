#include "app/cli/Report.h"

#include <algorithm>
#include <cstdio>

#include "app/cli/Json.h"

namespace cli {
namespace {
constexpr size_t kLabelWidth = 20;
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

void Report::writeText(std::ostream& out) const {
  for (const Field& field : fields_) {
    if (field.label.empty()) continue;
    out << field.label << std::string(kLabelWidth - std::min(kLabelWidth - 1, field.label.size()), ' ');
    if (const auto* s = std::get_if<std::string>(&field.value)) out << printable(*s);
    if (const auto* n = std::get_if<int64_t>(&field.value)) out << *n;
    if (const auto* b = std::get_if<bool>(&field.value)) out << (*b ? "yes" : "no");
    out << '\n';
  }
}

void Report::writeJson(std::ostream& out) const {
  JsonObject object;
  for (const Field& field : fields_) {
    if (field.key.empty()) continue;
    std::visit([&](const auto& value) { object.add(field.key, value); }, field.value);
  }
  out << object.text() << '\n';
}

std::string hex16(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04x", value & 0xFFFFu);
  return text;
}

std::string hex32(uint32_t value) {
  char text[12];
  std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(value));
  return text;
}

std::string printable(const std::string& text) {
  std::string shown = text;
  for (char& c : shown) {
    if (c < 0x20 || c > 0x7E) c = '.';
  }
  return shown;
}

}  // namespace cli
