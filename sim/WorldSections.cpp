#include "sim/WorldSections.h"

#include <map>

#include "sim/WorldValues.h"

namespace sim {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// What a one-letter escape stands for, or '\0'.
char escaped(char letter) {
  switch (letter) {
    case 'r':
      return '\r';
    case 'n':
      return '\n';
    case 't':
      return '\t';
    case '\\':
      return '\\';
    case '"':
      return '"';
    default:
      return '\0';
  }
}

// The escape at text[at] (a backslash) appended to out; at moves to its last character.
std::string decodeEscape(std::string_view text, size_t& at, std::string& out) {
  if (at + 1 >= text.size()) return "bad escape: a backslash ends the line";
  const char letter = text[at + 1];
  if (char c = escaped(letter); c != '\0') {
    out += c;
    at += 1;
    return {};
  }
  if (letter == 'x' && at + 3 < text.size() && hexDigit(text[at + 2]) >= 0 &&
      hexDigit(text[at + 3]) >= 0) {
    out += static_cast<char>(hexDigit(text[at + 2]) * 16 + hexDigit(text[at + 3]));
    at += 3;
    return {};
  }
  return "bad escape " + shownText(text.substr(at, letter == 'x' ? 4 : 2)) +
         " (\\r, \\n, \\t, \\\\, \\\" or \\xHH)";
}

class LineReader {
 public:
  explicit LineReader(std::vector<WorldSection>& sections) : sections_(sections) {}

  // The fault's text, or empty.
  std::string read(std::string_view line, int number) {
    line = trimmed(line);
    if (line.empty() || line.front() == '#' || line.front() == ';') return {};
    if (line.front() == '[') return header(line, number);
    return entry(line, number);
  }

 private:
  std::string header(std::string_view line, int number) {
    const size_t close = line.find(']');
    if (close == std::string_view::npos) return "section header without its closing ']'";
    std::string_view after = trimmed(line.substr(close + 1));
    if (!after.empty() && after.front() != ';') return "characters after the section header";
    std::string_view inner = trimmed(line.substr(1, close - 1));
    size_t blank = 0;
    while (blank < inner.size() && !isBlank(inner[blank])) ++blank;
    std::string_view kind = inner.substr(0, blank);
    std::string_view name = trimmed(inner.substr(blank));
    if (kind != "plotter" && kind != "queue") {
      return "unknown section [" + std::string(kind) + "] (plotter or queue)";
    }
    if (name.empty()) return "[" + std::string(kind) + "] without its name";
    sections_.push_back({std::string(kind), std::string(name), number, {}});
    keyLines_.clear();
    return {};
  }

  std::string entry(std::string_view line, int number) {
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) return "missing '=' after the key";
    std::string key(trimmed(line.substr(0, equals)));
    if (key.empty()) return "missing key before '='";
    if (sections_.empty()) return "key " + key + " outside a section";
    if (auto [first, fresh] = keyLines_.try_emplace(key, number); !fresh) {
      return "duplicate key " + key + " (first at line " + std::to_string(first->second) + ")";
    }
    std::string value;
    if (std::string fault = decodeWorldValue(line.substr(equals + 1), &value); !fault.empty()) {
      return key + ": " + fault;
    }
    sections_.back().entries.push_back({std::move(key), std::move(value), number});
    return {};
  }

  std::vector<WorldSection>& sections_;
  std::map<std::string, int> keyLines_;  // of the last section: a map keeps long files fast
};

}  // namespace

const WorldEntry* WorldSection::find(std::string_view key) const {
  for (const WorldEntry& entry : entries) {
    if (entry.key == key) return &entry;
  }
  return nullptr;
}

std::string decodeWorldValue(std::string_view text, std::string* value) {
  std::string out;
  bool quoted = false;
  bool started = false;
  size_t kept = 0;  // out up to here came from quotes or escapes: never trimmed
  for (size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (!quoted && isBlank(c) && at + 1 < text.size() && text[at + 1] == ';') break;
    if (!quoted && isBlank(c) && !started) continue;
    started = true;
    if (c == '\\') {
      if (std::string fault = decodeEscape(text, at, out); !fault.empty()) return fault;
    } else if (c == '"') {
      quoted = !quoted;
    } else {
      out += c;
      if (!quoted) continue;
    }
    kept = out.size();
  }
  if (quoted) return "unterminated quote";
  while (out.size() > kept && isBlank(out.back())) out.pop_back();
  *value = std::move(out);
  return {};
}

std::optional<std::vector<WorldSection>> readWorldSections(std::string_view text,
                                                           WorldFault* fault) {
  std::vector<WorldSection> sections;
  LineReader reader(sections);
  int number = 0;
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (std::string what = reader.read(line, ++number); !what.empty()) {
      *fault = {number, std::move(what)};
      return std::nullopt;
    }
    start = end + 1;
  }
  return sections;
}

}  // namespace sim
