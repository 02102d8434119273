#include "os/sim/RegistryTree.h"

#include <algorithm>

#include "os/sim/CaseInsensitive.h"

namespace os::sim {
namespace {

// Calls visit on each backslash-separated part of path; stops at the first false.
template <typename Visit>
bool eachPart(std::string_view path, Visit visit) {
  while (!path.empty()) {
    size_t split = path.find('\\');
    if (!visit(path.substr(0, split))) return false;
    if (split == std::string_view::npos) break;
    path.remove_prefix(split + 1);
  }
  return true;
}

// The item of items whose name (as nameOf gives it) equals name without regard to case.
template <typename Items, typename NameOf>
auto findByName(Items& items, std::string_view name, NameOf nameOf) {
  return std::find_if(items.begin(), items.end(),
                      [&](const auto& item) { return equalsIgnoringCase(nameOf(item), name); });
}

}  // namespace

std::string RegistryKey::path() const { return parent_ ? parent_->path() + "\\" + name_ : name_; }

const RegistryKey* RegistryKey::subkey(std::string_view name) const {
  auto found = findByName(subkeys_, name, [](const auto& key) { return key->name_; });
  return found == subkeys_.end() ? nullptr : found->get();
}

const RegistryKey* RegistryKey::find(std::string_view relativePath) const {
  const RegistryKey* key = this;
  bool found = eachPart(relativePath, [&](std::string_view part) {
    key = part.empty() ? nullptr : key->subkey(part);
    return key != nullptr;
  });
  return found ? key : nullptr;
}

const RegistryValue* RegistryKey::value(std::string_view name) const {
  auto found = findByName(values_, name, [](const RegistryValue& v) { return v.name; });
  return found == values_.end() ? nullptr : &*found;
}

RegistryKey& RegistryKey::makeSubkey(std::string_view name) {
  auto found = findByName(subkeys_, name, [](const auto& key) { return key->name_; });
  if (found != subkeys_.end()) return **found;
  std::string key = upperCase(name);
  auto place = std::find_if(subkeys_.begin(), subkeys_.end(),
                            [&](const auto& other) { return upperCase(other->name_) > key; });
  return **subkeys_.insert(place, std::make_unique<RegistryKey>(std::string(name), this));
}

void RegistryKey::setValue(RegistryValue value) {
  auto found = findByName(values_, value.name, [](const RegistryValue& v) { return v.name; });
  if (found != values_.end()) {
    *found = std::move(value);
  } else {
    values_.push_back(std::move(value));
  }
}

void RegistryTree::merge(const RegistryText& text) {
  for (const RegistryKeyText& keyText : text.keys) {
    RegistryKey* key = &localMachine_;
    eachPart(keyText.path, [&](std::string_view part) {
      key = &key->makeSubkey(part);
      return true;
    });
    for (const RegistryValue& value : keyText.values) key->setValue(value);
  }
}

}  // namespace os::sim
