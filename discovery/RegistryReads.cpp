#include "discovery/RegistryReads.h"

#include <algorithm>
#include <cstring>

#include "os/Handles.h"

namespace discovery {
namespace {

os::UniqueRegKey openKey(const std::string& keyPath, REGSAM access) {
  HKEY key = nullptr;
  if (os::RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, access, &key) != ERROR_SUCCESS) {
    return os::UniqueRegKey();
  }
  return os::UniqueRegKey(key);
}

std::string nameAt(HKEY key, DWORD index, DWORD longest) {
  std::vector<char> name(longest + 1, '\0');
  DWORD size = longest + 1;
  if (os::RegEnumKeyExA(key, index, name.data(), &size, nullptr, nullptr, nullptr, nullptr) !=
      ERROR_SUCCESS) {
    return {};
  }
  return std::string(name.data(), strnlen(name.data(), name.size()));
}

}  // namespace

std::optional<std::string> readRegistryText(const std::string& keyPath, const char* valueName) {
  os::UniqueRegKey key = openKey(keyPath, KEY_QUERY_VALUE);
  if (!key) return std::nullopt;
  DWORD size = 0;
  if (os::RegQueryValueExA(key.get(), valueName, nullptr, nullptr, nullptr, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::vector<BYTE> block(size);
  if (size > 0 && os::RegQueryValueExA(key.get(), valueName, nullptr, nullptr, block.data(),
                                       &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const char* text = reinterpret_cast<const char*>(block.data());
  return std::string(text, strnlen(text, std::min<size_t>(size, block.size())));
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
