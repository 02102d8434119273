#include "os/sim/Registry.h"

#include <algorithm>
#include <cstring>

#include "os/Utf8.h"

namespace os::sim {
namespace {

class KeyHandle : public KernelObject {
 public:
  explicit KeyHandle(const RegistryKey& opened) : KernelObject(Closer::RegCloseKey), key(opened) {}
  const RegistryKey& key;
};

void put(LPDWORD out, size_t value) {
  if (out) *out = static_cast<DWORD>(value);
}

// Keys carry no class names or times here: an empty class and a zero time.
void noClassOrTime(LPSTR className, LPDWORD classNameSize, PFILETIME lastWriteTime) {
  if (className && classNameSize && *classNameSize > 0) className[0] = '\0';
  put(classNameSize, 0);
  if (lastWriteTime) *lastWriteTime = FILETIME{};
}

}  // namespace

const RegistryKey* Registry::resolve(HKEY key) const {
  if (key == HKEY_LOCAL_MACHINE) return &tree_.localMachine();
  std::shared_ptr<KeyHandle> open = handles_.find<KeyHandle>(key);
  return open ? &open->key : nullptr;
}

LSTATUS Registry::openKey(HKEY keyHandle, LPCSTR subKey, PHKEY result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  const RegistryKey* key = resolve(keyHandle);
  if (!key) return ERROR_INVALID_HANDLE;
  std::string_view relative = subKey ? subKey : "";
  if (std::optional<Fault> fault =
          faults_.check(Call::RegOpenKey, key->path() + "\\" + std::string(relative))) {
    return static_cast<LSTATUS>(fault->error);
  }
  const RegistryKey* target = relative.empty() ? key : key->find(relative);
  if (!target) return ERROR_FILE_NOT_FOUND;
  *result = static_cast<HKEY>(handles_.insert(std::make_shared<KeyHandle>(*target)));
  return ERROR_SUCCESS;
}

// With data null only the size (and type) is reported; too small a buffer gives
// ERROR_MORE_DATA and the size needed.
LSTATUS Registry::queryValue(HKEY keyHandle, LPCSTR name, LPDWORD type, LPBYTE data,
                             LPDWORD dataSize) {
  const RegistryKey* key = resolve(keyHandle);
  if (!key) return ERROR_INVALID_HANDLE;
  if (data && !dataSize) return ERROR_INVALID_PARAMETER;
  std::string_view valueName = name ? name : "";
  if (std::optional<Fault> fault =
          faults_.check(Call::RegQueryValue, key->path() + "\\" + std::string(valueName))) {
    return static_cast<LSTATUS>(fault->error);
  }
  const RegistryValue* value = key->value(valueName);
  if (!value) return ERROR_FILE_NOT_FOUND;
  if (type) *type = value->type;
  if (!dataSize) return ERROR_SUCCESS;
  DWORD room = *dataSize;
  *dataSize = static_cast<DWORD>(value->data.size());
  if (!data) return ERROR_SUCCESS;
  if (room < value->data.size()) return ERROR_MORE_DATA;
  std::copy(value->data.begin(), value->data.end(), data);
  return ERROR_SUCCESS;
}

LSTATUS Registry::queryInfoKey(HKEY keyHandle, LPSTR className, LPDWORD classNameSize,
                               LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                               LPDWORD values, LPDWORD maxValueNameLength,
                               LPDWORD maxValueLength, LPDWORD securityDescriptorSize,
                               PFILETIME lastWriteTime) {
  const RegistryKey* key = resolve(keyHandle);
  if (!key) return ERROR_INVALID_HANDLE;
  // Name lengths count UTF-16 units, as Windows counts them for the ANSI call too: a name in
  // UTF-8 may take up to three times as many bytes.
  size_t longestSubkey = 0, longestName = 0, longestData = 0;
  for (const auto& subkey : key->subkeys()) {
    longestSubkey = std::max(longestSubkey, os::utf16Length(subkey->name()));
  }
  for (const RegistryValue& value : key->values()) {
    longestName = std::max(longestName, os::utf16Length(value.name));
    longestData = std::max(longestData, value.data.size());
  }
  put(subKeys, key->subkeys().size());
  put(maxSubKeyLength, longestSubkey);
  put(values, key->values().size());
  put(maxValueNameLength, longestName);
  put(maxValueLength, longestData);
  put(maxClassLength, 0);
  put(securityDescriptorSize, 0);
  noClassOrTime(className, classNameSize, lastWriteTime);
  return ERROR_SUCCESS;
}

// nameSize holds the room in characters, terminator included; on success it is set to the
// name's length without the terminator.
LSTATUS Registry::enumKey(HKEY keyHandle, DWORD index, LPSTR name, LPDWORD nameSize,
                          LPSTR className, LPDWORD classNameSize, PFILETIME lastWriteTime) {
  const RegistryKey* key = resolve(keyHandle);
  if (!key) return ERROR_INVALID_HANDLE;
  if (!name || !nameSize) return ERROR_INVALID_PARAMETER;
  if (index >= key->subkeys().size()) return ERROR_NO_MORE_ITEMS;
  const std::string& found = key->subkeys()[index]->name();
  if (found.size() + 1 > *nameSize) return ERROR_MORE_DATA;
  std::memcpy(name, found.c_str(), found.size() + 1);
  *nameSize = static_cast<DWORD>(found.size());
  noClassOrTime(className, classNameSize, lastWriteTime);
  return ERROR_SUCCESS;
}

LSTATUS Registry::closeKey(HKEY key) {
  if (key == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
  return handles_.remove(key, Closer::RegCloseKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // namespace os::sim
