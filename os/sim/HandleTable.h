// The simulated machine's one table of kernel objects.
//
// Every handle the program holds (files, devices, events, mappings, device lists, registry keys,
// printers, device notifications) is an entry here, so that one count shows every leak. Handle
// values look like Windows ones (small multiples of 4, never null or INVALID_HANDLE_VALUE) and
// are never reused, so a handle used after it was closed fails instead of reaching another
// object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace os::sim {

// The call that closes an object of this kind; any other closing call refuses the handle.
enum class Closer {
  CloseHandle,
  RegCloseKey,
  SetupDiDestroyDeviceInfoList,
  ClosePrinter,
  UnregisterDeviceNotification,
};

class KernelObject {
 public:
  explicit KernelObject(Closer closer) : closer_(closer) {}
  virtual ~KernelObject() = default;
  KernelObject(const KernelObject&) = delete;
  KernelObject& operator=(const KernelObject&) = delete;
  Closer closer() const { return closer_; }

 private:
  Closer closer_;
};

class HandleTable {
 public:
  void* insert(std::shared_ptr<KernelObject> object);

  // The object behind an open handle, if it is a T; null otherwise.
  template <typename T>
  std::shared_ptr<T> find(const void* handle) const {
    return std::dynamic_pointer_cast<T>(findObject(handle));
  }
  // Every open object that is a T, in the order the handles were opened.
  template <typename T>
  std::vector<std::shared_ptr<T>> all() const {
    std::vector<std::shared_ptr<T>> found;
    for (const auto& entry : objects_) {
      if (auto object = std::dynamic_pointer_cast<T>(entry.second)) found.push_back(object);
    }
    return found;
  }

  // Takes the handle out of the table if it is open and closed by that call; the object
  // (null if not) lives on as long as the caller keeps it.
  std::shared_ptr<KernelObject> remove(const void* handle, Closer closer);
  size_t size() const { return objects_.size(); }

 private:
  std::shared_ptr<KernelObject> findObject(const void* handle) const;

  std::map<uintptr_t, std::shared_ptr<KernelObject>> objects_;
  uintptr_t next_ = 0x40;
};

}  // namespace os::sim
