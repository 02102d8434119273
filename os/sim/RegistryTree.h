// The simulated registry's contents: a tree of keys below HKEY_LOCAL_MACHINE. Names are kept
// as written and compared without regard to case; subkeys are kept in the order Windows
// enumerates them (by upper-cased name). Keys are only ever added, so a key's address stays
// valid for the machine's lifetime.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "os/sim/RegText.h"

namespace os::sim {

class RegistryKey {
 public:
  RegistryKey(std::string name, const RegistryKey* parent)
      : name_(std::move(name)), parent_(parent) {}

  const std::string& name() const { return name_; }
  // The full name, "HKEY_LOCAL_MACHINE\..." (for fault rules and messages).
  std::string path() const;
  const std::vector<std::unique_ptr<RegistryKey>>& subkeys() const { return subkeys_; }
  const std::vector<RegistryValue>& values() const { return values_; }

  const RegistryKey* subkey(std::string_view name) const;
  // The key a backslash-separated relative path reaches; null if any part is missing.
  const RegistryKey* find(std::string_view relativePath) const;
  const RegistryValue* value(std::string_view name) const;

  RegistryKey& makeSubkey(std::string_view name);
  void setValue(RegistryValue value);

 private:
  std::string name_;
  const RegistryKey* parent_;
  std::vector<std::unique_ptr<RegistryKey>> subkeys_;
  std::vector<RegistryValue> values_;
};

class RegistryTree {
 public:
  const RegistryKey& localMachine() const { return localMachine_; }
  // Adds the keys and values of parsed .reg text; values named again replace the old ones.
  void merge(const RegistryText& text);

 private:
  RegistryKey localMachine_{"HKEY_LOCAL_MACHINE", nullptr};
};

}  // namespace os::sim
