#include "os/sim/HandleTable.h"

namespace os::sim {

void* HandleTable::insert(std::shared_ptr<KernelObject> object) {
  uintptr_t value = next_;
  next_ += 4;
  objects_.emplace(value, std::move(object));
  return reinterpret_cast<void*>(value);
}

std::shared_ptr<KernelObject> HandleTable::findObject(const void* handle) const {
  auto found = objects_.find(reinterpret_cast<uintptr_t>(handle));
  return found == objects_.end() ? nullptr : found->second;
}

std::shared_ptr<KernelObject> HandleTable::remove(const void* handle, Closer closer) {
  auto found = objects_.find(reinterpret_cast<uintptr_t>(handle));
  if (found == objects_.end() || found->second->closer() != closer) return nullptr;
  std::shared_ptr<KernelObject> object = std::move(found->second);
  objects_.erase(found);
  return object;
}

}  // namespace os::sim
