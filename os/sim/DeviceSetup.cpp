#include "os/sim/DeviceSetup.h"

#include <cstddef>
#include <cstring>
#include <vector>

#include "os/sim/LastError.h"

namespace os::sim {
namespace {

class DeviceList : public KernelObject {
 public:
  explicit DeviceList(std::vector<DeviceInterface> listed)
      : KernelObject(Closer::SetupDiDestroyDeviceInfoList), entries(std::move(listed)) {}
  std::vector<DeviceInterface> entries;
};

constexpr DWORD kDetailHeader = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);

// The list entry an interface record names (its Reserved field holds the entry's place + 1).
const DeviceInterface* entryOf(const DeviceList& list, const SP_DEVICE_INTERFACE_DATA* data) {
  if (!data || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) return nullptr;
  if (data->Reserved == 0 || data->Reserved > list.entries.size()) return nullptr;
  return &list.entries[data->Reserved - 1];
}

void describeDevice(const DeviceInterface& entry, DWORD place, PSP_DEVINFO_DATA devInfo) {
  devInfo->ClassGuid = entry.classGuid;
  devInfo->DevInst = place;
  devInfo->Reserved = 0;
}

}  // namespace

HDEVINFO DeviceSetup::getClassDevs(const GUID* classGuid, DWORD flags) {
  DWORD error = ERROR_SUCCESS;
  if (!classGuid && !(flags & DIGCF_ALLCLASSES)) error = ERROR_INVALID_PARAMETER;
  if (std::optional<Fault> fault = faults_.check(Call::SetupDiGetClassDevs, "")) {
    error = fault->error;
  }
  if (error) {
    failWith(error);
    return INVALID_HANDLE_VALUE;
  }
  const GUID* only = (flags & DIGCF_ALLCLASSES) ? nullptr : classGuid;
  auto list = std::make_shared<DeviceList>(devices_.interfaces(only, flags & DIGCF_PRESENT));
  return handles_.insert(std::move(list));
}

BOOL DeviceSetup::enumInterfaces(HDEVINFO listHandle, const GUID* classGuid, DWORD index,
                                 PSP_DEVICE_INTERFACE_DATA data) {
  std::shared_ptr<DeviceList> list = handles_.find<DeviceList>(listHandle);
  if (!list) return failWith(ERROR_INVALID_HANDLE);
  if (!classGuid || !data) return failWith(ERROR_INVALID_PARAMETER);
  if (data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) return failWith(ERROR_INVALID_USER_BUFFER);
  DWORD seen = 0;
  for (size_t place = 0; place < list->entries.size(); ++place) {
    const DeviceInterface& entry = list->entries[place];
    if (!sameGuid(entry.classGuid, *classGuid) || seen++ != index) continue;
    data->InterfaceClassGuid = entry.classGuid;
    data->Flags = SPINT_ACTIVE;
    data->Reserved = place + 1;
    return TRUE;
  }
  return failWith(ERROR_NO_MORE_ITEMS);
}

BOOL DeviceSetup::getInterfaceDetail(HDEVINFO listHandle, PSP_DEVICE_INTERFACE_DATA data,
                                     PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD detailSize,
                                     PDWORD requiredSize, PSP_DEVINFO_DATA devInfo) {
  std::shared_ptr<DeviceList> list = handles_.find<DeviceList>(listHandle);
  if (!list) return failWith(ERROR_INVALID_HANDLE);
  const DeviceInterface* entry = entryOf(*list, data);
  if (!entry) return failWith(ERROR_INVALID_PARAMETER);
  if (detail ? detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) : detailSize != 0) {
    return failWith(ERROR_INVALID_USER_BUFFER);
  }
  if (devInfo && devInfo->cbSize != sizeof(SP_DEVINFO_DATA)) {
    return failWith(ERROR_INVALID_USER_BUFFER);
  }
  DWORD needed = kDetailHeader + static_cast<DWORD>(entry->path.size()) + 1;
  if (requiredSize) *requiredSize = needed;
  if (devInfo) describeDevice(*entry, static_cast<DWORD>(data->Reserved), devInfo);
  if (!detail || detailSize < needed) return failWith(ERROR_INSUFFICIENT_BUFFER);
  // DevicePath is declared as one character; the caller's block holds the rest.
  char* path = reinterpret_cast<char*>(detail) + kDetailHeader;
  std::memcpy(path, entry->path.c_str(), entry->path.size() + 1);
  return TRUE;
}

BOOL DeviceSetup::destroyList(HDEVINFO list) {
  if (!handles_.remove(list, Closer::SetupDiDestroyDeviceInfoList)) {
    return failWith(ERROR_INVALID_HANDLE);
  }
  return TRUE;
}

}  // namespace os::sim
