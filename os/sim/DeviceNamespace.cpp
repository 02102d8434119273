#include "os/sim/DeviceNamespace.h"

#include <algorithm>
#include <cstring>

#include "os/sim/CaseInsensitive.h"

namespace os::sim {
namespace {

constexpr std::string_view kPrefix = "\\\\?\\";
constexpr std::string_view kDosPrefix = "\\\\.\\";

// The path without its prefix, in upper case: "\\?\" and "\\.\" name the same namespace.
std::string normalized(std::string_view path) {
  if (DeviceNamespace::isDevicePath(path)) path.remove_prefix(kPrefix.size());
  return upperCase(path);
}

}  // namespace

bool sameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

bool DeviceNamespace::isDevicePath(std::string_view path) {
  return path.substr(0, kPrefix.size()) == kPrefix ||
         path.substr(0, kDosPrefix.size()) == kDosPrefix;
}

void DeviceNamespace::add(const GUID& classGuid, std::string path,
                          std::shared_ptr<SimDevice> device) {
  if (!isDevicePath(path)) path.insert(0, kPrefix);
  std::string key = normalized(path);
  for (DeviceInterface& known : interfaces_) {
    if (normalized(known.path) == key && sameGuid(known.classGuid, classGuid)) {
      known.device = std::move(device);
      known.present = true;
      return;
    }
  }
  interfaces_.push_back({classGuid, std::move(path), std::move(device), true});
}

void DeviceNamespace::remove(const SimDevice& device) {
  for (DeviceInterface& known : interfaces_) {
    if (known.device.get() == &device) known.present = false;
  }
}

std::vector<DeviceInterface> DeviceNamespace::interfaces(const GUID* classGuid,
                                                         bool presentOnly) const {
  std::vector<DeviceInterface> listed;
  for (const DeviceInterface& known : interfaces_) {
    if (presentOnly && !known.present) continue;
    if (classGuid && !sameGuid(known.classGuid, *classGuid)) continue;
    listed.push_back(known);
  }
  return listed;
}

// The longest interface path that is the whole path or ends where a backslash follows.
std::optional<DeviceNamespace::Found> DeviceNamespace::lookup(std::string_view path) const {
  std::string wanted = normalized(path);
  const DeviceInterface* best = nullptr;
  size_t bestLength = 0;
  for (const DeviceInterface& known : interfaces_) {
    std::string candidate = normalized(known.path);
    bool covers = wanted.compare(0, candidate.size(), candidate) == 0 &&
                  (wanted.size() == candidate.size() || wanted[candidate.size()] == '\\');
    if (known.present && covers && candidate.size() >= bestLength) {
      best = &known;
      bestLength = candidate.size();
    }
  }
  if (!best) return std::nullopt;
  std::string_view rest = path.substr(std::min(path.size(), kPrefix.size() + bestLength));
  if (!rest.empty()) rest.remove_prefix(1);
  return Found{best->device, std::string(rest)};
}

OpenResult DeviceNamespace::open(const std::string& path, DWORD access, bool overlapped) const {
  std::optional<Found> found = lookup(path);
  std::unique_ptr<DeviceEndpoint> endpoint =
      found ? found->device->open(found->subPath, access) : nullptr;
  if (!endpoint) {
    return {nullptr, found ? found->device->openFailure() : DWORD{ERROR_FILE_NOT_FOUND}};
  }
  return {std::make_shared<DeviceFile>(path, access, overlapped, found->device, std::move(endpoint)),
          ERROR_SUCCESS};
}

IoCompletion DeviceFile::submit(const IoRequest& request, const OVERLAPPED*) {
  if (!connected_) return IoCompletion::now({ERROR_DEVICE_NOT_CONNECTED, 0});
  return endpoint_->submit(request);
}

}  // namespace os::sim
