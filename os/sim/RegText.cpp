#include "os/sim/RegText.h"

#include <cstdint>

#include "os/Utf8.h"
#include "os/sim/CaseInsensitive.h"

namespace os::sim {
namespace {

constexpr std::string_view kRootKey = "HKEY_LOCAL_MACHINE";

// UTF-16LE (an even count of bytes) as UTF-8; a lone surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::string_view bytes) {
  auto unit = [&](size_t i) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                 (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  };
  std::string out;
  size_t units = bytes.size() / 2;
  for (size_t i = 0; i < units; ++i) {
    uint32_t u = unit(i);
    bool high = u >= 0xD800 && u < 0xDC00;
    if (high && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) < 0xE000) {
      u = 0x10000 + ((u - 0xD800) << 10) + (unit(++i) - 0xDC00);
    } else if (u >= 0xD800 && u < 0xE000) {
      u = 0xFFFD;
    }
    os::appendUtf8(out, u);
  }
  return out;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A hexadecimal number of 1 to 8 digits, all of text.
std::optional<DWORD> hexNumber(std::string_view text) {
  if (text.empty() || text.size() > 8) return std::nullopt;
  DWORD value = 0;
  for (char c : text) {
    if (hexDigit(c) < 0) return std::nullopt;
    value = (value << 4) | static_cast<DWORD>(hexDigit(c));
  }
  return value;
}

// Comma-separated bytes of one or two hexadecimal digits; a trailing comma is allowed.
std::optional<std::vector<BYTE>> hexBytes(std::string_view text) {
  std::vector<BYTE> bytes;
  while (!(text = trimmed(text)).empty()) {
    size_t comma = text.find(',');
    std::optional<DWORD> byte = hexNumber(trimmed(text.substr(0, comma)));
    if (!byte || *byte > 0xFF) return std::nullopt;
    bytes.push_back(static_cast<BYTE>(*byte));
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return bytes;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// A quoted text at the start of text with \\ and \" escapes: the text and the count of
// characters it took, quotes included.
std::optional<std::pair<std::string, size_t>> quoted(std::string_view text) {
  std::string out;
  for (size_t i = 1; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') return std::make_pair(std::move(out), i + 1);
    if (c == '\\' && i + 1 < text.size()) c = text[++i];
    out += c;
  }
  return std::nullopt;
}

bool isTextType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

class Parser {
 public:
  explicit Parser(std::string_view text) {
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string_view::npos; start = end + 1) {
      lines_.push_back(text.substr(start, end - start));
    }
    lines_.push_back(text.substr(start));
  }

  std::optional<RegistryText> run(std::string* error) {
    const char* problem = header();
    while (!problem && ++line_ < lines_.size()) problem = statement(trimmed(lines_[line_]));
    if (!problem) return std::move(result_);
    if (error) *error = "line " + std::to_string(line_ + 1) + ": " + problem;
    return std::nullopt;
  }

 private:
  const char* header() {
    while (line_ + 1 < lines_.size() && trimmed(lines_[line_]).empty()) ++line_;
    std::string_view first = trimmed(lines_[line_]);
    unicode_ = first == "Windows Registry Editor Version 5.00";
    if (unicode_ || first == "REGEDIT4") return nullptr;
    return "expected \"REGEDIT4\" or \"Windows Registry Editor Version 5.00\"";
  }

  const char* statement(std::string_view line) {
    if (line.empty() || line.front() == ';') return nullptr;
    if (line.front() == '[') return key(line);
    if (line.front() == '"' || line.front() == '@') return value(line);
    return "expected a [key], a value or a comment";
  }

  const char* key(std::string_view line) {
    if (line.back() != ']' || line.size() < 2) return "key without its closing ']'";
    std::string_view inner = line.substr(1, line.size() - 2);
    if (!inner.empty() && inner.front() == '-') return "key deletions are not supported";
    size_t split = inner.find('\\');
    if (!equalsIgnoringCase(inner.substr(0, split), kRootKey)) {
      return "only keys below HKEY_LOCAL_MACHINE are supported";
    }
    std::string_view path = split == std::string_view::npos ? "" : inner.substr(split + 1);
    if (split != std::string_view::npos &&
        (path.empty() || path.back() == '\\' || path.find("\\\\") != std::string_view::npos)) {
      return "empty key name in the key path";
    }
    result_.keys.push_back({std::string(path), {}});
    return nullptr;
  }

  const char* value(std::string_view line) {
    if (result_.keys.empty()) return "value before the first [key]";
    RegistryValue entry;
    std::string_view rest = line.substr(1);
    if (line.front() == '"') {
      auto name = quoted(line);
      if (!name) return "value name without its closing quote";
      entry.name = std::move(name->first);
      rest = line.substr(name->second);
    }
    rest = trimmed(rest);
    if (rest.empty() || rest.front() != '=') return "expected '=' after the value name";
    std::string joined = continued(trimmed(rest.substr(1)));
    if (const char* problem = data(joined, entry)) return problem;
    store(std::move(entry));
    return nullptr;
  }

  // Hex data goes on over the following lines while a line ends with a backslash.
  std::string continued(std::string_view first) {
    std::string joined(first);
    if (!startsWithIgnoringCase(first, "hex")) return joined;
    while (!joined.empty() && joined.back() == '\\' && line_ + 1 < lines_.size()) {
      joined.pop_back();
      joined += trimmed(lines_[++line_]);
    }
    return joined;
  }

  const char* data(std::string_view text, RegistryValue& entry) {
    if (!text.empty() && text.front() == '"') return textData(text, entry);
    if (text == "-") return "value deletions are not supported";
    if (startsWithIgnoringCase(text, "dword:")) return dwordData(text.substr(6), entry);
    if (startsWithIgnoringCase(text, "hex:")) return hexData(REG_BINARY, text.substr(4), entry);
    if (startsWithIgnoringCase(text, "hex(")) {
      size_t close = text.find("):");
      std::optional<DWORD> type =
          close == std::string_view::npos ? std::nullopt : hexNumber(text.substr(4, close - 4));
      if (!type) return "hex(type): needs a hexadecimal type";
      return hexData(*type, text.substr(close + 2), entry);
    }
    return "unknown kind of value";
  }

  static const char* textData(std::string_view text, RegistryValue& entry) {
    auto content = quoted(text);
    if (!content) return "text without its closing quote";
    if (!trimmed(text.substr(content->second)).empty()) return "characters after the text";
    entry.type = REG_SZ;
    entry.data.assign(content->first.begin(), content->first.end());
    entry.data.push_back(0);
    return nullptr;
  }

  static const char* dwordData(std::string_view digits, RegistryValue& entry) {
    std::optional<DWORD> number = hexNumber(trimmed(digits));
    if (!number) return "dword: needs 1 to 8 hexadecimal digits";
    entry.type = REG_DWORD;
    for (int shift = 0; shift < 32; shift += 8) {
      entry.data.push_back(static_cast<BYTE>(*number >> shift));
    }
    return nullptr;
  }

  // Version 5 files give texts in hex as UTF-16LE; they are kept as UTF-8 like the others.
  const char* hexData(DWORD type, std::string_view list, RegistryValue& entry) const {
    std::optional<std::vector<BYTE>> bytes = hexBytes(list);
    if (!bytes) return "hex data must be bytes of two hexadecimal digits separated by commas";
    entry.type = type;
    if (!unicode_ || !isTextType(type)) {
      entry.data = std::move(*bytes);
      return nullptr;
    }
    if (bytes->size() % 2 != 0) return "UTF-16 text with an odd count of bytes";
    std::string text = utf16ToUtf8({reinterpret_cast<const char*>(bytes->data()), bytes->size()});
    entry.data.assign(text.begin(), text.end());
    return nullptr;
  }

  // A value named again in the same key replaces the earlier one, as regedit does.
  void store(RegistryValue entry) {
    std::vector<RegistryValue>& values = result_.keys.back().values;
    for (RegistryValue& known : values) {
      if (equalsIgnoringCase(known.name, entry.name)) {
        known = std::move(entry);
        return;
      }
    }
    values.push_back(std::move(entry));
  }

  std::vector<std::string_view> lines_;
  size_t line_ = 0;
  bool unicode_ = false;
  RegistryText result_;
};

}  // namespace

std::optional<RegistryText> parseRegistryText(std::string_view text, std::string* error) {
  // regedit writes version 5 files as UTF-16LE with a byte-order mark.
  if (text.substr(0, 2) == "\xFF\xFE") {
    std::string decoded = utf16ToUtf8(text.substr(2, (text.size() - 2) & ~size_t{1}));
    return Parser(decoded).run(error);
  }
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  return Parser(text).run(error);
}

}  // namespace os::sim
