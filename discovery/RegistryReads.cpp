#include "discovery/RegistryReads.h"

#include <algorithm>
#include <cstring>

#include "os/Handles.h"
#include "os/Utf8.h"

namespace discovery {
namespace {

// A registry key's name has at most 255 UTF-16 units.
constexpr DWORD kLongestKeyName = 255;
// A value that grows between the tries is given up after this many.
constexpr int kValueReadAttempts = 3;

os::UniqueRegKey openKey(const std::string& keyPath, REGSAM access) {
  HKEY key = nullptr;
  if (os::RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, access, &key) != ERROR_SUCCESS) {
    return os::UniqueRegKey();
  }
  return os::UniqueRegKey(key);
}

// The longest name is told in UTF-16 units; the ANSI call gives it as UTF-8, up to three bytes
// a unit. A name that still does not fit (one added since) is tried once more in the room a
// key name can take at most.
std::string nameAt(HKEY key, DWORD index, DWORD longest) {
  for (DWORD units : {longest, kLongestKeyName}) {
    std::vector<char> name(units * os::kUtf8BytesPerUtf16Unit + 1, '\0');
    DWORD size = static_cast<DWORD>(name.size());
    LSTATUS status =
        os::RegEnumKeyExA(key, index, name.data(), &size, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS) return std::string(name.data(), strnlen(name.data(), name.size()));
    if (status != ERROR_MORE_DATA || units == kLongestKeyName) break;
  }
  return {};
}

}  // namespace

// The size asked for first may be that of the text as Windows stores it, in UTF-16, which in
// UTF-8 can take half as much again: a read that finds the block too small is tried again in
// the size it reports.
std::optional<std::string> readRegistryText(const std::string& keyPath, const char* valueName) {
  os::UniqueRegKey key = openKey(keyPath, KEY_QUERY_VALUE);
  if (!key) return std::nullopt;
  DWORD size = 0;
  if (os::RegQueryValueExA(key.get(), valueName, nullptr, nullptr, nullptr, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  for (int attempt = 0; attempt < kValueReadAttempts; ++attempt) {
    std::vector<BYTE> block(size);
    DWORD read = size;
    LSTATUS status = size == 0 ? ERROR_SUCCESS
                               : os::RegQueryValueExA(key.get(), valueName, nullptr, nullptr,
                                                      block.data(), &read);
    if (status == ERROR_SUCCESS) {
      const char* text = reinterpret_cast<const char*>(block.data());
      return std::string(text, strnlen(text, std::min<size_t>(read, block.size())));
    }
    if (status != ERROR_MORE_DATA || read <= size) break;
    size = read;
  }
  return std::nullopt;
}

std::optional<std::vector<std::string>> readSubkeyNames(const std::string& keyPath) {
  os::UniqueRegKey key = openKey(keyPath, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS);
  if (!key) return std::nullopt;
  DWORD count = 0;
  DWORD longest = 0;
  if (os::RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::vector<std::string> names;
  names.reserve(count);
  for (DWORD index = 0; index < count; ++index) names.push_back(nameAt(key.get(), index, longest));
  return names;
}

}  // namespace discovery
