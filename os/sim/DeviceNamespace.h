// The simulated machine's device namespace: the device interfaces that virtual devices
// register (a class GUID and a path), and the lookup of device paths ("\\?\..." or "\\.\...",
// without regard to case, as Windows does) down to the device and the part of the path below
// the interface ("<interface path>\PIPE02" reaches the device with "PIPE02").
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "os/sim/FileObject.h"
#include "os/sim/SimDevice.h"

namespace os::sim {

struct DeviceInterface {
  GUID classGuid{};
  std::string path;  // as registered, with its "\\?\" prefix
  std::shared_ptr<SimDevice> device;
  bool present = true;
};

class DeviceNamespace {
 public:
  // Registers an interface; a path already known is made present again (with this device).
  void add(const GUID& classGuid, std::string path, std::shared_ptr<SimDevice> device);
  // The device's interfaces are no longer present.
  void remove(const SimDevice& device);
  // The interfaces of a class (of every class when classGuid is null), in registration order.
  std::vector<DeviceInterface> interfaces(const GUID* classGuid, bool presentOnly) const;

  struct Found {
    std::shared_ptr<SimDevice> device;
    std::string subPath;  // below the interface path, without the separating backslash
  };
  // The present device a path reaches.
  std::optional<Found> lookup(std::string_view path) const;

  // Opens the endpoint a device path reaches (ERROR_FILE_NOT_FOUND if none).
  OpenResult open(const std::string& path, DWORD access, bool overlapped) const;

  // Paths of the device namespace begin with "\\?\" or "\\.\".
  static bool isDevicePath(std::string_view path);

 private:
  std::vector<DeviceInterface> interfaces_;
};

// An open handle of a device endpoint. After the device is unplugged every request on it fails
// with ERROR_DEVICE_NOT_CONNECTED.
class DeviceFile : public FileObject {
 public:
  DeviceFile(std::string path, DWORD access, bool overlapped, std::shared_ptr<SimDevice> device,
             std::unique_ptr<DeviceEndpoint> endpoint)
      : FileObject(std::move(path), access, overlapped), device_(std::move(device)),
        endpoint_(std::move(endpoint)) {}

  IoCompletion submit(const IoRequest& request, const OVERLAPPED* overlapped) override;
  const SimDevice* device() const override { return device_.get(); }
  void disconnect() { connected_ = false; }

 private:
  std::shared_ptr<SimDevice> device_;
  std::unique_ptr<DeviceEndpoint> endpoint_;
  bool connected_ = true;
};

bool sameGuid(const GUID& a, const GUID& b);

}  // namespace os::sim
