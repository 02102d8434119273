// The registry reads of the print-queue walk, all under HKEY_LOCAL_MACHINE and read only: a
// value's text and a key's subkey names, with every key closed before the read returns.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace discovery {

// Key paths are formatted into a buffer of this size; a longer path is not read.
inline constexpr int kKeyPathSize = 2048;

// The value's text up to its first zero byte (a multi-string gives its first string), read in
// two calls: its size, then a block of exactly that size. Nullopt when the key or the value is
// missing or cannot be read.
std::optional<std::string> readRegistryText(const std::string& keyPath, const char* valueName);

// The key's subkey names by index, a name that cannot be read left empty. Nullopt when the key
// cannot be opened.
std::optional<std::vector<std::string>> readSubkeyNames(const std::string& keyPath);

// printf-style formatting of a key path; nullopt when it does not fit kKeyPathSize.
template <typename... Args>
std::optional<std::string> formatKeyPath(const char* format, Args... args) {
  char path[kKeyPathSize];
  int length = std::snprintf(path, sizeof path, format, args...);
  if (length < 0 || length >= kKeyPathSize) return std::nullopt;
  return std::string(path, static_cast<size_t>(length));
}

}  // namespace discovery
